#pragma once
// Decoding of the keyboard's short messages: program changes choose the THRU program; channel
// pressure, pitch bend and system messages pass on; keys below the split point go to the chord
// follower; keys on the THRU channel are transposed and played (with the held-chord voices in
// chord-hold mode). User-interface thread, one message at a time.

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "accompaniment/chord_follower.h"
#include "accompaniment/part_data.h"
#include "live/held_chord.h"
#include "live/live_host.h"

namespace live {

struct MidiInputState {
    std::uint16_t InStatusKind = 0;
    std::uint16_t LastMidiStatus = 0;
    std::uint16_t InChannelIndex = 0;
    std::uint16_t InNote = 0;
    std::uint16_t InVelocity = 0;
    std::uint16_t ThruNote = 0;
    std::uint16_t ChordVelocity = 0;
    std::int32_t ThruProgramIndex = 0;
    std::uint8_t MidiInBusy = 0;
};

class MidiInput {
  public:
    MidiInput(MidiInputState& state, accompaniment::PartData& data, accompaniment::ChordState& chord,
              accompaniment::ChordFollower& follower, HeldChordVoicing& voicing, LiveHost& host,
              const std::uint8_t& drumChannel);

    void HandleMidiInput(std::uint32_t packed);
    // Keys held now (for tests and diagnostics).
    std::size_t heldKeys() const { return routes_.size(); }

  private:
    // Where a held key went, so that its release ends exactly what it started even when the
    // split point, octave, THRU channel or chord changed meanwhile.
    struct Route {
        enum class Kind { Display, Chord, Thru } kind = Kind::Display;
        std::uint32_t pitchClass = 0;
        int channel = 0;
        std::int32_t note = -1;     // -1: nothing was sent
        std::int32_t thruNote = 0;  // the transposed key, in range or not: its voices' key
    };
    void keyDown(std::uint16_t key, std::uint16_t velocity);
    void keyUp(std::uint16_t key);
    Route playThru(std::uint16_t key, std::uint16_t velocity);
    void sendThruProgram();

    MidiInputState& s_;
    accompaniment::PartData& d_;
    accompaniment::ChordState& chord_;
    accompaniment::ChordFollower& follower_;
    HeldChordVoicing& voicing_;
    LiveHost& host_;
    const std::uint8_t& drumChannel_;
    std::map<std::pair<int, int>, Route> routes_;  // by (incoming channel, key)
};

}  // namespace live
