#pragma once
// A reader that copies every event it is given through a MidiWrite: the shape of the import's
// split-file copy. Used by the fuzz target to check that whatever reads cleanly is written so that
// it reads cleanly again.

#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"

namespace midifile::fuzzing {

class CopyReader : public MidiRead {
  public:
    CopyReader(const char* path, std::FILE* file, int mode, MidiWrite& out)
        : MidiRead(path, file, mode), w_(out) {}

    void OnError(const char*) override {}
    void OnWarning(const char*) override {}
    void OnHeader(int format, int trackCount, int division) override {
        w_.WriteHeader(format, trackCount, division);
    }
    void OnTrackStart(int, int64_t, int) override { w_.StartTrack(); }
    void OnDeltaTime(uint32_t ticks) override { w_.AddDelta(ticks); }
    void OnLargePause(uint32_t ticks) override { w_.AddDelta(ticks); }
    void OnMetaEvent(int type, int64_t length, const uint8_t* data) override {
        w_.WriteMeta(type, length, data);
    }
    void OnMetaEventInFile(int type, std::FILE* file, int64_t offset, int64_t length) override {
        w_.WriteMetaFromFile(type, file, offset, length);
    }
    void OnText(int type, int64_t length, const char*, const char* text) override {
        w_.WriteText(type, length, text);
    }
    void OnEndOfTrack() override { w_.WriteEndOfTrack(); }
    void OnChannelPrefix(int channel) override { w_.WriteChannelPrefix(channel); }
    void OnPortPrefix(int port) override { w_.WritePortPrefix(port); }
    void OnSequenceNumber(int number) override { w_.WriteSequenceNumber(number); }
    void OnSmpteOffset(int r, int h, int m, int s, int f, int ff) override {
        w_.WriteSmpteOffset(r, h, m, s, f, ff);
    }
    void OnTimeSignature(int n, int d, int c, int b) override { w_.WriteTimeSignature(n, d, c, b); }
    void OnTempo(uint32_t t) override { w_.WriteTempo(t); }
    void OnKeySignature(int sf, int mi) override { w_.WriteKeySignature(sf, mi); }
    void OnProgramChange(int c, int p) override { w_.WriteProgramChange(c, p); }
    void OnControlChange(int c, int n, int v) override { w_.WriteControlChange(c, n, v); }
    void OnNoteOn(int c, int k, int v) override { w_.WriteNoteOn(c, k, v); }
    void OnNoteOff(int c, int k, int v) override { w_.WriteNoteOff(c, k, v); }
    void OnPitchBend(int c, int v) override { w_.WritePitchBend(c, v); }
    void OnPolyPressure(int c, int k, int p) override { w_.WritePolyPressure(c, k, p); }
    void OnChannelPressure(int c, int p) override { w_.WriteChannelPressure(c, p); }
    void OnSongPosition(int v) override { w_.WriteSongPosition(v); }
    void OnSongSelect(int s) override { w_.WriteSongSelect(s); }
    void OnTuneRequest() override { w_.WriteSystemByte(0xF6); }
    void OnTimingClock() override { w_.WriteSystemByte(0xF8); }
    void OnStart() override { w_.WriteSystemByte(0xFA); }
    void OnContinue() override { w_.WriteSystemByte(0xFB); }
    void OnStop() override { w_.WriteSystemByte(0xFC); }
    void OnActiveSensing() override { w_.WriteSystemByte(0xFE); }
    // Exclusive data and escape packets are copied as they stood, divided messages included.
    void OnSysex(int64_t length, const uint8_t* data) override { w_.WriteExclusive(0xF0, length, data); }
    void OnSysexInFile(std::FILE* file, int64_t offset, int64_t length) override {
        w_.WriteExclusiveFromFile(0xF0, file, offset, length);
    }
    void OnSysexEscape(int64_t length, const uint8_t* data) override {
        w_.WriteExclusive(0xF7, length, data);
    }
    void OnSysexEscapeInFile(std::FILE* file, int64_t offset, int64_t length) override {
        w_.WriteExclusiveFromFile(0xF7, file, offset, length);
    }
    void OnXgSystemOn() override { w_.WriteXgSystemOn(); }
    void OnGmSystemOn() override { w_.WriteGmSystemOn(); }
    void OnGsReset() override { w_.WriteGsReset(); }
    void OnGsExit() override { w_.WriteGsExit(); }

  private:
    MidiWrite& w_;
};

}  // namespace midifile::fuzzing
