#pragma once
// A reader that writes every event it reads through a MidiWrite, as it was read: delta times,
// channel messages, system messages, exclusive data and escape packets in their own form (a divided
// message stays divided), meta events and texts, data that stayed in the file copied from it. The
// file's structure is the subclass's: this class writes no header and starts no track, so a copy
// can take tracks apart or put them together. A subclass filters by overriding an event's callback
// (calling this class's to let it through) and says through KeepsResets whether the four reset
// messages are copied.
//
// The writer is asked for on every event (Out), so it may be made after the reader. Single-
// threaded, like both sides.

#include <cstdint>
#include <cstdio>

#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"

namespace midifile {

class MidiCopy : public MidiRead {
  public:
    MidiCopy(const char* path, std::FILE* file, int mode) : MidiRead(path, file, mode) {}

    void OnDeltaTime(uint32_t ticks) override;
    void OnMetaEvent(int type, int64_t length, const uint8_t* data) override;
    void OnMetaEventInFile(int type, std::FILE* file, int64_t offset, int64_t length) override;
    void OnText(int type, int64_t length, const char* kind, const char* text) override;
    void OnEndOfTrack() override;
    void OnChannelPrefix(int channel) override;
    void OnPortPrefix(int port) override;
    void OnSequenceNumber(int number) override;
    void OnSmpteOffset(int rate, int hours, int minutes, int seconds, int frames, int fractional) override;
    void OnTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds) override;
    void OnTempo(uint32_t microsecondsPerQuarter) override;
    void OnKeySignature(int sharpsFlats, int minor) override;
    void OnProgramChange(int channel, int program) override;
    void OnControlChange(int channel, int controller, int value) override;
    void OnNoteOn(int channel, int key, int velocity) override;
    void OnNoteOff(int channel, int key, int velocity) override;
    void OnPitchBend(int channel, int value) override;
    void OnPolyPressure(int channel, int key, int pressure) override;
    void OnChannelPressure(int channel, int pressure) override;
    void OnSongPosition(int value) override;
    void OnSongSelect(int song) override;
    void OnTuneRequest() override;
    void OnTimingClock() override;
    void OnStart() override;
    void OnContinue() override;
    void OnStop() override;
    void OnActiveSensing() override;
    void OnSysex(int64_t length, const uint8_t* data) override;
    void OnSysexInFile(std::FILE* file, int64_t offset, int64_t length) override;
    void OnSysexEscape(int64_t length, const uint8_t* data) override;
    void OnSysexEscapeInFile(std::FILE* file, int64_t offset, int64_t length) override;
    void OnXgSystemOn() override;
    void OnGmSystemOn() override;
    void OnGsReset() override;
    void OnGsExit() override;

  protected:
    // The writer the events go to; it must exist whenever an event is read.
    virtual MidiWrite& Out() = 0;
    // Whether a reset message read now is copied; default: always.
    virtual bool KeepsResets() { return true; }
};

}  // namespace midifile
