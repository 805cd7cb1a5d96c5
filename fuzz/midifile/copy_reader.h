#pragma once
// A reader that copies a whole file through a MidiWrite: the header, each track, and every event
// by the library's own copying reader. Used by the fuzz target to check that whatever reads
// cleanly is written so that it reads cleanly again, and by the round-trip tests.

#include "midifile/MidiCopy.h"
#include "midifile/MidiWrite.h"

namespace midifile::fuzzing {

class CopyReader : public MidiCopy {
  public:
    CopyReader(const char* path, std::FILE* file, int mode, MidiWrite& out)
        : MidiCopy(path, file, mode), w_(out) {}

    void OnError(const char*) override {}
    void OnWarning(const char*) override {}
    void OnHeader(int format, int trackCount, int division) override {
        w_.WriteHeader(format, trackCount, division);
    }
    void OnTrackStart(int, int64_t, int) override { w_.StartTrack(); }
    void OnLargePause(uint32_t ticks) override { w_.AddDelta(ticks); }

  protected:
    MidiWrite& Out() override { return w_; }

  private:
    MidiWrite& w_;
};

}  // namespace midifile::fuzzing
