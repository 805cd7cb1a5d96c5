#pragma once
// Held-chord voicing: in chord-hold mode every THRU key is joined by three voices from the
// chord held below the split point, placed just below the key. User-interface thread.

#include <array>
#include <cstdint>
#include <vector>

#include "accompaniment/chord_follower.h"
#include "accompaniment/part_data.h"

namespace live {

struct HeldChordState {
    // Current voices 1..3, then previous voices 1..3.
    std::array<std::uint16_t, 6> HeldChordNotes{};
};

class HeldChordVoicing final : public accompaniment::ChordVoicing {
  public:
    HeldChordVoicing(HeldChordState& state, const accompaniment::ChordState& chord,
                     const accompaniment::PartData& data, accompaniment::AccompanimentHost& host);

    // The key and velocity the voices are built for (the THRU key and the chord velocity).
    void SetThruKey(std::int32_t thruNote, std::int32_t chordVelocity, bool held) {
        thruNote_ = thruNote;
        chordVelocity_ = chordVelocity;
        thruHeld_ = held;
    }
    void ThruKeyReleased(std::int32_t thruNote);

    void SoundHeldChord() override;
    void ReleaseHeldChordNotes() override;
    void ReleaseThirdVoice() override;

    // The key of class k placed at or below t.
    static std::int32_t PlaceBelow(std::int32_t cls, std::int32_t t);

  private:
    struct Voice {
        int channel;
        std::int32_t note;
        std::int32_t forKey;  // the THRU key it was voiced for
    };
    void sound(std::int32_t note);
    void release(int channel, std::int32_t note);
    HeldChordState& s_;
    const accompaniment::ChordState& chord_;
    const accompaniment::PartData& d_;
    accompaniment::AccompanimentHost& host_;
    std::int32_t thruNote_ = 0;
    std::int32_t chordVelocity_ = 0;
    bool thruHeld_ = false;
    // Every voice that sounds now, so that none is left behind: the octave-down voice has no
    // slot among the six remembered notes, and the channel may change while a voice sounds.
    std::vector<Voice> sounding_;
};

}  // namespace live
