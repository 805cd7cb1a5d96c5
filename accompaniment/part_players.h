#pragma once
// The four part players: at every step each part with a note releases its previous note,
// sends its program and sounds the step's note moved to the chord; a one-shot timer per part
// releases it after the step's duration. User-interface thread.

#include <array>
#include <cstdint>

#include "accompaniment/accompaniment_host.h"
#include "accompaniment/chord_recognition.h"
#include "accompaniment/part_data.h"

namespace accompaniment {

struct PlayerState {
    std::array<std::int32_t, kParts> LastPartNote{};
    std::array<std::int32_t, kParts> LastPartProgram{};
    std::int32_t Silenced = 0;
    // The channel each part's last note went out on, so that its release follows it there
    // even when the part's channel changed meanwhile.
    std::array<std::int32_t, kParts> lastChannel{-1, -1, -1, -1};  // -1: nothing played yet
    bool clashReported = false;  // the THRU clash box is shown once per clash
};

// The text of the clash box.
inline constexpr const char* kThruClashText =
    "The THROUGH channel (THRU) \nis the same as one of the \nCOMBO instrument Channels. \nPlease change it.";

class PartPlayers {
  public:
    PartPlayers(PlayerState& state, const PartData& data, const ChordResult& chord, AccompanimentHost& host);

    void PlayStep(std::int32_t step);
    void PlayPart(int part, std::int32_t step);
    // The part's release timer has fired.
    void PartTimerFired(int part);
    // The accompaniment page's stop: notes from here on go out silent.
    void Silence() { s_.Silenced = 1; }
    // Ends each part's last note on the channel it went out on, and its release timer: the
    // parts are about to be emptied, and a note without a duration would sound on.
    void ReleaseSounding();
    // The note a written note sounds as: octave, root and adjustment, folded into 0..127.
    std::int32_t SoundingNote(int part, std::int32_t written) const;

  private:
    void sendProgram(int channel, std::int32_t programItem);
    PlayerState& s_;
    const PartData& d_;
    const ChordResult& chord_;
    AccompanimentHost& host_;
};

}  // namespace accompaniment
