#pragma once
// Creates a Standard MIDI File: the "MThd" header, "MTrk" chunks whose lengths are patched when the
// track is closed, an end-of-track event added when the caller wrote none, delta times gathered
// between events, running status for note messages, and one writer per event kind.
//
// Typical use: construct, WriteHeader(format, estimated track count, division), then per track
// StartTrack and AddDelta / event writers, then Close(): closing closes the last track, fixes the
// header's track count (only when WriteHeader wrote one) and says whether the file is complete.
//
// The caller closes. A failure found while closing reaches this object's OnError, and a destructor
// cannot call a subclass's override any more; so the destructor of a writer that was never closed
// says so on stderr, then closes (the file is finished, its errors go to stderr only).
//
// Errors stick: the first failure is reported once through OnError and Close() then returns false.
// I/O failure (the file could not be created, a write was refused, the disk is full) is reported as
// "write error (maybe disk full)"; a caller's mistake (a length a file cannot hold, data missing, a
// status that is not the writer's, a copy whose source ends early) says what it was. Neither ends
// the program, in any build. Single-threaded.

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "midifile/MidiBuffer.h"
#include "platform/midi_grammar.h"

namespace midifile {

class MidiWrite : public MidiBuffer {
  public:
    static constexpr uint32_t MaxVarLen = platform::midi::MaxVarLen;

    explicit MidiWrite(const char* path);
    ~MidiWrite() override;

    // Finishes the file (last track, track count, flush, close). True when everything written
    // reached the file. Later calls return the same answer and write nothing.
    bool Close();
    bool Closed() const { return closed_; }
    bool Failed() const { return ErrorSeen(); }

    virtual void WriteChannelPrefix(int channel);
    virtual void WritePortPrefix(int port);
    virtual void WriteSequenceNumber(int number);
    virtual void WriteSmpteOffset(int rate, int hours, int minutes, int seconds, int frames, int fractional);
    virtual void WriteKeySignature(int sharpsFlats, int minor);
    // A delta of 0x1000000 ticks or more was added; default: the warning.
    virtual void OnLargePauseWritten(uint32_t ticks);

    void WriteHeader(int format, int trackCount, int division);
    void StartTrack();
    void CloseTrack();
    int TrackCount() const { return trackCount_; }
    // Ticks before the next event; the sum is clamped at 0x0FFFFFFF (the largest delta a file holds).
    void AddDelta(uint32_t ticks);

    // Channel writers: channel 0..15, data bytes as given.
    void WriteNoteOn(int channel, int key, int velocity);
    void WriteNoteOff(int channel, int key, int velocity);
    void WritePolyPressure(int channel, int key, int pressure);
    void WriteControlChange(int channel, int controller, int value);
    void WriteProgramChange(int channel, int program);
    void WriteChannelPressure(int channel, int pressure);
    void WritePitchBend(int channel, int value);  // 0..16383
    void WriteSongPosition(int value);
    void WriteSongSelect(int song);
    // 0xF6, 0xF8, 0xFA, 0xFB, 0xFC or 0xFE; any other status writes nothing and is reported.
    void WriteSystemByte(int status);
    // Exclusive data with or without its leading F0, through the first F7 within `length` bytes;
    // a closing F7 is added when missing. Length 0 writes an empty message (F0 01 F7).
    void WriteSysex(int64_t length, const uint8_t* data);
    // The same over a region of another file; the file's position is restored. A region that
    // starts at or after the file's end writes nothing.
    void WriteSysexFromFile(std::FILE* file, int64_t offset, int64_t length);
    // An exclusive event exactly as a reader delivered it: status 0xF0 (OnSysex) or 0xF7
    // (OnSysexEscape), the length, then the bytes as given (no F7 added or searched for). This is
    // how a copy keeps divided messages and escape packets as they were.
    void WriteExclusive(int status, int64_t length, const uint8_t* data);
    // The same over a region of another file (OnSysexInFile, OnSysexEscapeInFile).
    void WriteExclusiveFromFile(int status, std::FILE* file, int64_t offset, int64_t length);
    void WriteGmSystemOn();
    void WriteGsReset();
    void WriteGsExit();
    void WriteXgSystemOn();
    // Exactly `length` bytes of data (0 allowed).
    void WriteMeta(int type, int64_t length, const uint8_t* data);
    void WriteMetaFromFile(int type, std::FILE* file, int64_t offset, int64_t length);
    void WriteText(int type, int64_t length, const char* text);
    void WriteText(int type, std::string_view text);
    // Once per track.
    void WriteEndOfTrack();
    void WriteTempo(uint32_t microsecondsPerQuarter);
    // denominator is a count (4 for a quarter); written as its base-2 logarithm.
    void WriteTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds);

    // Low level, at WritePos.
    void WriteByte(int b);
    void WriteWord16(uint32_t value);
    void WriteWord24(uint32_t value);
    void WriteWord32(uint32_t value);
    void WriteVarLen(uint32_t value);
    void WriteBytes(int64_t n, const uint8_t* data);
    // Copies n bytes of another file from offset; a source that ends early is padded with zeros
    // (so the lengths already written stay true) and reported.
    void CopyFromFile(std::FILE* file, int64_t offset, int64_t n);
    // Ignored unless 0 <= pos <= midilength().
    void SeekWrite(int64_t pos);

    int64_t WritePos() const { return writePos_; }
    uint64_t TrackTicks() const { return trackTicks_; }

  protected:
    void WritePendingDelta();
    void WriteStatus(int status);
    // Writes the status unless running status allows leaving it out.
    void WriteChannelStatus(int status, int firstData);
    // Reports the first failure through OnError (later ones only keep Close() false).
    void Fail(const char* what);
    void FailWith(const char* format, long long value);

  private:
    // False, reported, for an event's data that cannot be written: a length a file cannot hold,
    // or no data for a length above 0. kind names the event in the report.
    bool CheckData(const char* kind, int64_t length, bool hasData);
    bool CheckExclusiveStatus(int status);

    int64_t trackChunkStart_ = -1;
    bool trackOpen_ = false;
    int64_t writePos_ = 0;
    int trackCount_ = 0;
    int lastStatus_ = -1;
    bool endOfTrackWritten_ = false;
    uint32_t pendingDelta_ = 0;
    uint64_t trackTicks_ = 0;
    int division_ = 0;
    bool headerWritten_ = false;
    bool closed_ = false;
    bool closeResult_ = false;
};

}  // namespace midifile
