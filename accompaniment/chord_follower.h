#pragma once
// The chord follower: keys below the split point choose the chord; three held pitch classes
// start playing; every step recognises the chord, watches single-key commands, flashes the
// beat light, ends playing at a bar end when asked, and plays the step. User-interface thread.

#include <array>
#include <cstdint>

#include "accompaniment/accompaniment_host.h"
#include "accompaniment/chord_recognition.h"

namespace accompaniment {

class PartPlayers;
struct PlayerState;

// The held-chord voicing on the THRU channel, which the follower drives on chord changes.
class ChordVoicing {
  public:
    virtual ~ChordVoicing() = default;
    virtual void ReleaseHeldChordNotes() = 0;  // all six remembered voices
    virtual void ReleaseThirdVoice() = 0;      // current voice 3
    virtual void SoundHeldChord() = 0;
};

struct ChordState {
    std::array<std::int8_t, 12> HeldKeys{};
    std::array<std::int32_t, 12> ChordSnapshot{};
    std::array<std::int32_t, 12> HeldClassList{};
    ChordResult chord{};  // ChordRoot and ChordAdjust
    std::uint8_t SeventhMode = 0;
    std::uint8_t WasSeventh = 0;
    std::int32_t ChordChanged = 0;
    std::int32_t SingleKeyCounter = 0;
    std::int32_t EndRequested = 0;
    std::uint8_t ChordHoldMode = 0;
    std::int8_t BeatFlash = 1;
    std::uint8_t AccompanimentRunning = 0;
    std::uint8_t RevoicingChord = 0;
};

// The transport's start and stop: a pending end and the single-key count are cleared; a start
// also lets the parts sound again and lets a THRU clash be reported anew.
void PlayingStarted(ChordState& chord, PlayerState& players);
void PlayingStopped(ChordState& chord);

class ChordFollower {
  public:
    ChordFollower(ChordState& state, AccompanimentHost& host, PartPlayers& players, ChordVoicing& voicing,
                  const std::uint8_t& waltzMode);

    // One key event below the split point; velocity 0 releases. A key going down (velocity
    // above 0) while stopped starts playing once three or more classes are held; a release never
    // does.
    void SetChordKey(std::uint32_t pitchClass, std::int32_t velocity);
    std::int32_t CountHeldKeys() const;
    // One tick; step 0..255 as the engine posted it.
    void StepAccompaniment(std::int32_t step);

  private:
    void SingleKeyCommand();
    void RecogniseChord();
    ChordState& s_;
    AccompanimentHost& host_;
    PartPlayers& players_;
    ChordVoicing& voicing_;
    const std::uint8_t& waltzMode_;
};

}  // namespace accompaniment
