#pragma once
// Reads a Standard MIDI File (format 0, 1 or 2) from a MidiBuffer and turns it into calls on its
// own virtual callbacks: one per chunk, delta time and event, with running status resolved,
// controllers named, meta events split into fields, the GM/GS/XG reset messages recognised and a
// pitch-bend-range RPN sequence folded into one call. Derive, override what you need, call ReadAll.
//
// Untrusted input is the normal case: every read is bounded by the end of the current track and of
// the file, no input makes the reader loop or touch memory outside its buffer, and once an error
// has been reported ReadAll returns 0. Single-threaded; callbacks run inside ReadAll on the caller's
// thread. Data pointers handed to callbacks point into the buffer and are valid only during the
// call; texts are not terminated (their length is given). Channels are 0..15.

#include <cstdint>
#include <cstdio>

#include "midifile/MidiBuffer.h"

namespace midifile {

// System-exclusive patterns as they appear in a file: F0, the data, the closing F7.
extern const uint8_t GmSystemOnMessage[6];
extern const uint8_t GsResetMessage[11];
extern const uint8_t GsExitMessage[11];
extern const uint8_t XgSystemOnMessage[9];

class MidiRead : public MidiBuffer {
  public:
    static constexpr int MULTICHANNEL = -2;
    static constexpr int NOCHANNEL = -1;

    // EventMask bits; a set bit changes the delivery of that kind only.
    enum : uint32_t {
        MaskAllControllers = 0x001,   // every control change to OnControlChange, no folding
        MaskSkipTrackBodies = 0x002,  // OnTrackStart (NOCHANNEL) and OnTrackEnd only
        MaskUndecodedMeta = 0x004,    // metas other than end of track to OnMetaEvent(InFile)
        MaskNoResetMatch = 0x008,     // exclusive data not compared with the reset messages
        MaskRawNotes = 0x010,         // note-off/on to OnRawEvent
        MaskRawPolyPressure = 0x020,
        MaskRawControlChange = 0x040,
        MaskRawProgramChange = 0x080,
        MaskRawChannelPressure = 0x100,
        MaskRawPitchBend = 0x200,
        MaskRawSystem = 0x400,  // system messages and metas to OnRawEvent(InFile)
    };

    // mode: MidiBuffer::WindowRead or MidiBuffer::WholeFileRead. Does not read.
    MidiRead(const char* path, std::FILE* file, int mode);
    ~MidiRead() override;

    // Reads header, every track and the end of file. 1 on success, 0 after any error or abort.
    virtual int ReadAll();
    virtual int ReadHeader();
    virtual int ReadTrack(int track);
    // Reads one event ending no later than `end`; bytes consumed, 0 on failure.
    virtual int64_t ReadEvent(int64_t end);

    virtual void OnHeader(int format, int trackCount, int division);
    virtual void OnTrackStart(int track, int64_t length, int trackChannel);
    virtual void OnTrackEnd(int track);
    virtual void OnDeltaTime(uint32_t ticks);
    virtual void OnRawEvent(int status, int64_t length, const uint8_t* data);
    virtual void OnRawEventInFile(int status, std::FILE* file, int64_t offset, int64_t length);
    virtual void OnMetaEvent(int type, int64_t length, const uint8_t* data);
    virtual void OnMetaEventInFile(int type, std::FILE* file, int64_t offset, int64_t length);
    // kind: "text", "copyright", "trackname", "instrument", "lyric", "marker", "cuepoint", or
    // nullptr for types 0x08..0x0F.
    virtual void OnText(int type, int64_t length, const char* kind, const char* text);
    virtual void OnEndOfTrack();
    virtual void OnChannelPrefix(int channel);
    virtual void OnPortPrefix(int port);
    virtual void OnSequenceNumber(int number);
    virtual void OnSmpteOffset(int rate, int hours, int minutes, int seconds, int frames, int fractional);
    // denominator is a count (1 << dd).
    virtual void OnTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds);
    virtual void OnTempo(uint32_t microsecondsPerQuarter);
    virtual void OnKeySignature(int sharpsFlats, int minor);
    virtual void OnProgramChange(int channel, int program);
    virtual void OnControlChange(int channel, int controller, int value);
    // Named controllers; each defaults to OnControlChange(channel, its number, value).
    virtual void OnBankSelectMsb(int channel, int value);
    virtual void OnModulation(int channel, int value);
    virtual void OnBreath(int channel, int value);
    virtual void OnFoot(int channel, int value);
    virtual void OnPortamentoTime(int channel, int value);
    virtual void OnDataEntry(int channel, int value);
    virtual void OnVolume(int channel, int value);
    virtual void OnPan(int channel, int value);
    virtual void OnExpression(int channel, int value);
    virtual void OnBankSelectLsb(int channel, int value);
    virtual void OnSustain(int channel, int value);
    virtual void OnReverb(int channel, int value);
    virtual void OnChorus(int channel, int value);
    virtual void OnDataIncrement(int channel, int value);
    virtual void OnDataDecrement(int channel, int value);
    virtual void OnRpnLsb(int channel, int value);
    virtual void OnRpnMsb(int channel, int value);
    // The RPN 0/0 data-entry sequence; the default replays it as the separate calls.
    virtual void OnPitchBendRange(int channel, int semitones);
    virtual void OnNoteOn(int channel, int key, int velocity);
    virtual void OnNoteOff(int channel, int key, int velocity);
    virtual void OnPitchBend(int channel, int value);  // 0..16383
    virtual void OnPolyPressure(int channel, int key, int pressure);
    virtual void OnChannelPressure(int channel, int pressure);
    virtual void OnSongPosition(int value);
    virtual void OnSongSelect(int song);
    virtual void OnTuneRequest();
    virtual void OnTimingClock();
    virtual void OnStart();
    virtual void OnContinue();
    virtual void OnStop();
    virtual void OnActiveSensing();
    // An F0 message: its data as the file holds it after F0 and the length field (the closing F7
    // included when the file has one; the first packet of a divided message has none). length may
    // be 0. Data written without a length field arrives from the byte after F0 through the F7.
    virtual void OnSysex(int64_t length, const uint8_t* data);
    virtual void OnSysexInFile(std::FILE* file, int64_t offset, int64_t length);
    // An F7 escape packet: exactly its declared bytes (a continuation of a divided message, or any
    // bytes to be sent as they stand). Never an F0 message; the defaults do nothing. A copy writes
    // it back with MidiWrite::WriteExclusive(0xF7, ...).
    virtual void OnSysexEscape(int64_t length, const uint8_t* data);
    virtual void OnSysexEscapeInFile(std::FILE* file, int64_t offset, int64_t length);
    virtual void OnXgSystemOn();
    virtual void OnGmSystemOn();
    virtual void OnGsReset();
    virtual void OnGsExit();
    virtual void OnEndOfFile();
    // A delta of 0x1000000 ticks or more; the rest of the track is not read.
    virtual void OnLargePause(uint32_t ticks);
    virtual void OnProgress(int percent);

    // The next n bytes without consuming them (bounded by the track end), or nullptr.
    const uint8_t* Peek(int64_t n) {
        if (n < 0 || ReadPos > limit_ - n) return nullptr;
        return BlockAt(ReadPos, n);
    }

    // Reading operations for subclasses. Reads never pass the current track's end (the file's end
    // outside tracks).
    int ReadByte() {
        const uint8_t* p = Peek(1);
        if (p == nullptr) return -1;
        ++ReadPos;
        return *p;
    }
    uint32_t ReadWord16();
    uint32_t ReadWord24();
    uint32_t ReadWord32();
    // At most 4 bytes; a cut-off or longer quantity is reported and gives 0.
    uint32_t ReadVarLen() {
        if (ReadPos < limit_) {  // most quantities are one byte: decode it here
            const uint8_t* p = BlockAt(ReadPos, 1);
            if (p != nullptr && *p < 0x80) {
                VarLenBytes = 1;
                ++ReadPos;
                return *p;
            }
        }
        return ReadVarLenLong();
    }
    // The next n bytes, consumed; nullptr (reported) when they are not there.
    const uint8_t* Consume(int64_t n) {
        if (const uint8_t* p = Peek(n)) {
            ReadPos += n;
            return p;
        }
        return ConsumeFailed(n);
    }
    int SkipBytes(int64_t n);
    void SeekRead(int64_t pos) {
        if (pos >= 0) ReadPos = pos;
    }
    bool FindHeader();
    // ReadPos at an F0 message's length field, limit = bytes left in the track. The declared
    // length whenever its field is complete and the data fits within limit (0 included): ReadPos
    // moves behind the field. Otherwise the data runs from the field's start through the next F7:
    // that count, ReadPos left at the field. -1 when there is no F7 either.
    int64_t SysexDataLength(int64_t limit);
    int PrescanTrackChannel(int64_t length);
    // Adds ticks to TrackMillis at CurrentTempo without drift; O(1).
    void AdvanceClock(uint32_t ticks);

    // Matches exclusive data (after F0, closing F7 included) against one of the patterns above.
    static bool MatchesResetMessage(const uint8_t* pattern, size_t patternLength, const uint8_t* data,
                                    int64_t length);

    int Format() const { return format_; }
    int TrackCount() const { return trackCount_; }
    int Division() const { return division_; }
    int CurrentTrack() const { return currentTrack_; }

    uint32_t EventMask = 0;
    int TrackChannel = NOCHANNEL;
    uint64_t TrackTicks = 0;
    uint64_t TrackMillis = 0;
    uint64_t MillisRemainder = 0;  // in 1/(division x 1000) ms
    uint32_t CurrentTempo = 0;     // microseconds per quarter note
    int RunningStatus = -1;
    int64_t TrackLength = 0;
    bool TrackEnded = false;
    bool Aborted = false;  // set by an OnError override to stop the reading
    int64_t EventStart = 0;
    int64_t ReadPos = 0;
    int VarLenBytes = 0;

  protected:
    int format_ = 0;
    int trackCount_ = 0;
    int division_ = 0;
    int currentTrack_ = 0;
    uint64_t divisionMillis_ = 0;  // division x 1000
    int lastPercent_ = -1;

    // Aborted by a subclass, or an error reported since ReadAll/ReadHeader began.
    bool Stopped() const { return Aborted || ErrorSeen(); }

  private:
    bool ReadMeta(int64_t end);
    bool ReadSysex(int status, int64_t end);
    bool ReadChannelMessage(int status);
    bool ReadSystemMessage(int status);
    bool ReadControlChange(int channel, const uint8_t* data);
    void ReportByte(const char* format, int byte);
    uint32_t ReadVarLenLong();
    const uint8_t* ConsumeFailed(int64_t n);
    void RefreshClockCache();
    inline void AdvanceClockInline(uint32_t ticks);  // defined in MidiRead.cpp, its only user
    void UpdateProgress();

    int64_t limit_ = 0;       // reads stop here: the track's end, or the file's end
    int64_t percentLow_ = 0;  // ReadPos range in which the percentage stays lastPercent_
    int64_t percentHigh_ = 0;
    uint64_t tempoQuot_ = 0;  // CurrentTempo / (division x 1000), cached for AdvanceClock
    uint64_t tempoRem_ = 0;
    uint32_t clockTempo_ = 0;  // the tempo and division the cache was made for
    uint64_t clockDivision_ = 0;
    uint64_t divisionInverse_ = 0;  // floor((2^64 - 1) / (division x 1000))
};

}  // namespace midifile
