#include "accompaniment/chord_follower.h"

#include "accompaniment/part_players.h"

namespace accompaniment {

ChordFollower::ChordFollower(ChordState& state, AccompanimentHost& host, PartPlayers& players,
                             ChordVoicing& voicing, const std::uint8_t& waltzMode)
    : s_(state), host_(host), players_(players), voicing_(voicing), waltzMode_(waltzMode) {}

void ChordFollower::SetChordKey(std::uint32_t pitchClass, std::int32_t velocity) {
    if (pitchClass < 12) {
        auto& held = s_.HeldKeys[pitchClass];
        // Releases never mark a change: the chord stays when the hand is lifted.
        if (velocity > 0 && velocity != held) s_.ChordChanged = 1;
        held = static_cast<std::int8_t>(velocity);
    }
    // Only a key going down starts playing: a key lifted after a stop, with three classes still
    // held, must leave the band silent.
    if (velocity > 0 && CountHeldKeys() > 2 && s_.AccompanimentRunning == 0) host_.StartPlaying();
}

std::int32_t ChordFollower::CountHeldKeys() const {
    std::int32_t n = 0;
    for (auto v : s_.HeldKeys)
        if (v > 0) ++n;
    return n;
}

void ChordFollower::RecogniseChord() {
    accompaniment::RecogniseChord(s_.ChordSnapshot, s_.SeventhMode == 1, s_.chord);
}

void ChordFollower::SingleKeyCommand() {
    s_.SingleKeyCounter = 0;
    int held = -1;
    for (int c = 0; c < 12; ++c)
        if (s_.HeldKeys[static_cast<std::size_t>(c)] > 0) held = c;
    switch (held) {
        case 0:
            s_.ChordHoldMode = 1;
            break;
        case 1:
            if (s_.ChordHoldMode == 1) {
                s_.ChordHoldMode = 0;
                voicing_.ReleaseHeldChordNotes();
            }
            break;
        case 4:
            s_.EndRequested = 1;
            break;
        default:
            host_.Panic();
            break;
    }
}

void PlayingStarted(ChordState& chord, PlayerState& players) {
    chord.EndRequested = 0;
    chord.SingleKeyCounter = 0;
    players.Silenced = 0;
    players.clashReported = false;
}

void PlayingStopped(ChordState& chord) {
    chord.EndRequested = 0;
    chord.SingleKeyCounter = 0;
}

void ChordFollower::StepAccompaniment(std::int32_t step) {
    s_.SeventhMode = 0;
    const bool barEnd = waltzMode_ == 0 ? step % 32 == 0 : step % 32 == 24;
    if (s_.EndRequested == 1 && barEnd) {
        host_.StopPlaying();
        s_.AccompanimentRunning = 0;
        s_.EndRequested = 0;
        players_.Silence();
    }
    if (CountHeldKeys() == 1)
        ++s_.SingleKeyCounter;
    else
        s_.SingleKeyCounter = 0;
    if (step % 8 == 0) {
        s_.BeatFlash = static_cast<std::int8_t>(-s_.BeatFlash);
        host_.ShowBeat(s_.BeatFlash > 0);
    }
    if (s_.SingleKeyCounter > 8 && CountHeldKeys() == 1) SingleKeyCommand();
    if (CountHeldKeys() < 4 && s_.WasSeventh == 1) {
        s_.ChordChanged = 1;
        s_.WasSeventh = 0;
        voicing_.ReleaseThirdVoice();
    }
    RecogniseChord();
    if (s_.ChordChanged != 0 && CountHeldKeys() >= 3) {
        if (s_.ChordHoldMode == 1) {
            s_.RevoicingChord = 1;
            voicing_.ReleaseHeldChordNotes();
        }
        std::size_t k = 0;
        for (std::size_t c = 0; c < 12; ++c) {
            s_.ChordSnapshot[c] = s_.HeldKeys[c];
            if (s_.HeldKeys[c] > 0) s_.HeldClassList[k++] = static_cast<std::int32_t>(c);
        }
        if (CountHeldKeys() == 4) {
            s_.SeventhMode = 1;
            s_.WasSeventh = 1;
        }
        RecogniseChord();
        if (s_.ChordHoldMode == 1) voicing_.SoundHeldChord();
        s_.RevoicingChord = 0;
    }
    s_.ChordChanged = 0;
    players_.PlayStep(step);
}

}  // namespace accompaniment
