#include "midifile/MidiWrite.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "midifile/MidiRead.h"
#include "platform/midi_grammar.h"

namespace midifile {

namespace midi = platform::midi;

namespace {
constexpr uint32_t LargePause = 0x1000000;
// The file could not be created or a write was refused: the buffer's own text for I/O failure.
constexpr const char* kWriteError = "write error (maybe disk full)";

// The sysex pattern tables start with F0; WriteSysex skips it.
template <size_t N>
void WritePattern(MidiWrite& w, const uint8_t (&pattern)[N]) {
    w.WriteSysex(static_cast<int64_t>(N), pattern);
}
}  // namespace

MidiWrite::MidiWrite(const char* path) : MidiBuffer(path, nullptr, Write) {}

MidiWrite::~MidiWrite() {
    if (closed_) return;
    std::fprintf(stderr, "error: MIDI file %s%s%s was not closed by its writer; closing it now\n",
                 Path() != nullptr ? "\"" : "", Path() != nullptr ? Path() : "(no name)",
                 Path() != nullptr ? "\"" : "");
    Close();
}

bool MidiWrite::Close() {
    if (closed_) return closeResult_;
    closed_ = true;
    if (FileHandle() != nullptr) {
        if (trackOpen_) CloseTrack();
        // Only a header this writer wrote has a track count to fix; anything else at offset 10
        // is someone's data.
        if (headerWritten_ && trackCount_ > 0) {
            SeekWrite(10);
            WriteWord16(static_cast<uint32_t>(trackCount_));
        }
    }
    const bool hadFile = FileHandle() != nullptr;
    const bool closedOk = CloseFile();
    closeResult_ = hadFile && closedOk && !ErrorSeen();
    return closeResult_;
}

void MidiWrite::Fail(const char* what) {
    if (!ErrorSeen()) ReportError(what);
}

void MidiWrite::FailWith(const char* format, long long value) {
    if (ErrorSeen()) return;
    char text[96];
    std::snprintf(text, sizeof text, format, value);
    ReportError(text);
}

bool MidiWrite::CheckData(const char* kind, int64_t length, bool hasData) {
    char text[96];
    if (length < 0 || length > MaxVarLen)
        std::snprintf(text, sizeof text, "%s length %lld out of range", kind, static_cast<long long>(length));
    else if (length > 0 && !hasData)
        std::snprintf(text, sizeof text, "%s without its data", kind);
    else
        return true;
    Fail(text);
    return false;
}

bool MidiWrite::CheckExclusiveStatus(int status) {
    if (status == 0xF0 || status == 0xF7) return true;
    FailWith("exclusive status %02llX is neither F0 nor F7", status);
    return false;
}

void MidiWrite::OnLargePauseWritten(uint32_t) {
    OnWarning("generating unrealistic large pause");
}

void MidiWrite::WriteHeader(int format, int trackCount, int division) {
    SeekWrite(0);
    WriteBytes(4, reinterpret_cast<const uint8_t*>("MThd"));
    WriteWord32(6);
    WriteWord16(static_cast<uint32_t>(format));
    WriteWord16(static_cast<uint32_t>(trackCount));
    division_ = division;
    WriteWord16(static_cast<uint32_t>(division));
    headerWritten_ = midilength() >= 14 && !ErrorSeen();
}

void MidiWrite::StartTrack() {
    if (trackOpen_) CloseTrack();
    endOfTrackWritten_ = false;
    lastStatus_ = -1;
    pendingDelta_ = 0;
    trackTicks_ = 0;
    trackChunkStart_ = midilength();
    SeekWrite(trackChunkStart_);
    WriteBytes(4, reinterpret_cast<const uint8_t*>("MTrk"));
    WriteWord32(0);
    trackOpen_ = true;
    ++trackCount_;
}

void MidiWrite::CloseTrack() {
    if (!trackOpen_) return;  // nothing to end: no stray end-of-track outside a track
    SeekWrite(midilength());
    if (!endOfTrackWritten_) WriteEndOfTrack();
    const int64_t end = midilength();
    SeekWrite(trackChunkStart_ + 4);
    WriteWord32(static_cast<uint32_t>(end - trackChunkStart_ - 8));
    trackChunkStart_ = 0;
    trackOpen_ = false;
}

void MidiWrite::AddDelta(uint32_t ticks) {
    if (ticks >= LargePause) OnLargePauseWritten(ticks);
    pendingDelta_ = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{pendingDelta_} + ticks, MaxVarLen));
    trackTicks_ += ticks;
}

void MidiWrite::WritePendingDelta() {
    WriteVarLen(pendingDelta_);
    pendingDelta_ = 0;
}

void MidiWrite::WriteStatus(int status) {
    assert(midi::IsStatus(status) && "code >= 0x80");
    if (!(status == lastStatus_ && status < 0xA0)) WriteByte(status);
    lastStatus_ = status;
}

void MidiWrite::WriteChannelStatus(int status, int firstData) {
    // A first data byte with its top bit set would be read as a status: keep the status then.
    if (firstData >= 0x80 || firstData < 0) lastStatus_ = -1;
    WriteStatus(status);
}

#define CHECK_CHANNEL(channel) assert(channel >= 0 && channel < 16 && "channel >= 0 && channel < 16")

void MidiWrite::WriteNoteOn(int channel, int key, int velocity) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    WriteChannelStatus(0x90 | (channel & 0x0F), key);
    WriteByte(key);
    WriteByte(velocity);
}

void MidiWrite::WriteNoteOff(int channel, int key, int velocity) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    const bool asNoteOn = velocity == 0 && lastStatus_ >= 0x90 && lastStatus_ <= 0x9F;
    WriteChannelStatus((asNoteOn ? 0x90 : 0x80) | (channel & 0x0F), key);
    WriteByte(key);
    WriteByte(velocity);
}

void MidiWrite::WritePolyPressure(int channel, int key, int pressure) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    WriteStatus(0xA0 | (channel & 0x0F));
    WriteByte(key);
    WriteByte(pressure);
}

void MidiWrite::WriteControlChange(int channel, int controller, int value) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    WriteStatus(0xB0 | (channel & 0x0F));
    WriteByte(controller);
    WriteByte(value);
}

void MidiWrite::WriteProgramChange(int channel, int program) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    WriteStatus(0xC0 | (channel & 0x0F));
    WriteByte(program);
}

void MidiWrite::WriteChannelPressure(int channel, int pressure) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    WriteStatus(0xD0 | (channel & 0x0F));
    WriteByte(pressure);
}

void MidiWrite::WritePitchBend(int channel, int value) {
    CHECK_CHANNEL(channel);
    WritePendingDelta();
    WriteStatus(0xE0 | (channel & 0x0F));
    WriteByte(value & 0x7F);
    WriteByte((value >> 7) & 0x7F);
}

void MidiWrite::WriteSongPosition(int value) {
    WritePendingDelta();
    WriteStatus(0xF2);
    WriteByte(value & 0x7F);
    WriteByte((value >> 7) & 0x7F);
}

void MidiWrite::WriteSongSelect(int song) {
    WritePendingDelta();
    WriteStatus(0xF3);
    WriteByte(song);
}

void MidiWrite::WriteSystemByte(int status) {
    if (midi::IsSystemByte(status)) {
        WritePendingDelta();
        WriteStatus(status);
    } else {
        FailWith("not a one-byte system message: %02llX", status);
    }
}

void MidiWrite::WriteSysex(int64_t length, const uint8_t* data) {
    if (!CheckData("sysex", length, data != nullptr)) return;
    WritePendingDelta();
    if (length > 0 && data[0] == 0xF0) {
        ++data;
        --length;
    }
    WriteStatus(0xF0);
    int64_t count = length;
    if (length > 0)
        if (const void* f = std::memchr(data, 0xF7, static_cast<size_t>(length)))
            count = static_cast<const uint8_t*>(f) - data + 1;
    const bool missing = count == 0 || data[count - 1] != 0xF7;
    WriteVarLen(static_cast<uint32_t>(count + (missing ? 1 : 0)));
    WriteBytes(count, data);
    if (missing) WriteByte(0xF7);
}

void MidiWrite::WriteSysexFromFile(std::FILE* file, int64_t offset, int64_t length) {
    if (file == nullptr || offset < 0 || length < 0) return;
    const long saved = std::ftell(file);
    if (std::fseek(file, 0, SEEK_END) != 0) return;
    const int64_t fileSize = std::ftell(file);
    if (offset >= fileSize) {
        std::fseek(file, saved, SEEK_SET);
        return;
    }
    std::fseek(file, static_cast<long>(offset), SEEK_SET);
    if (length > 0 && std::fgetc(file) == 0xF0) {
        ++offset;
        --length;
    }
    // The span runs through the first F7 within the region.
    int64_t count = length;
    bool found = false;
    std::fseek(file, static_cast<long>(offset), SEEK_SET);
    uint8_t piece[4096];
    for (int64_t done = 0; done < length && !found;) {
        const size_t want = static_cast<size_t>(std::min<int64_t>(length - done, sizeof piece));
        const size_t got = std::fread(piece, 1, want, file);
        if (got == 0) break;
        if (const void* f = std::memchr(piece, 0xF7, got)) {
            count = done + (static_cast<const uint8_t*>(f) - piece) + 1;
            found = true;
        }
        done += static_cast<int64_t>(got);
    }
    if (count > MaxVarLen - 1) {
        std::fseek(file, saved, SEEK_SET);
        FailWith("sysex length %lld out of range", count);
        return;
    }
    WritePendingDelta();
    WriteStatus(0xF0);
    WriteVarLen(static_cast<uint32_t>(count + (found ? 0 : 1)));
    CopyFromFile(file, offset, count);
    if (!found) WriteByte(0xF7);
    std::fseek(file, saved, SEEK_SET);
}

void MidiWrite::WriteExclusive(int status, int64_t length, const uint8_t* data) {
    if (!CheckExclusiveStatus(status) || !CheckData("sysex", length, data != nullptr)) return;
    WritePendingDelta();
    WriteStatus(status);
    WriteVarLen(static_cast<uint32_t>(length));
    WriteBytes(length, data);
}

void MidiWrite::WriteExclusiveFromFile(int status, std::FILE* file, int64_t offset, int64_t length) {
    if (!CheckExclusiveStatus(status) || !CheckData("sysex", length, true)) return;
    if (file == nullptr) {
        Fail("sysex copy without a source file");
        return;
    }
    if (offset < 0) {
        FailWith("sysex source offset %lld out of range", offset);
        return;
    }
    WritePendingDelta();
    WriteStatus(status);
    WriteVarLen(static_cast<uint32_t>(length));
    CopyFromFile(file, offset, length);
}

void MidiWrite::WriteGmSystemOn() {
    WritePattern(*this, GmSystemOnMessage);
}
void MidiWrite::WriteGsReset() {
    WritePattern(*this, GsResetMessage);
}
void MidiWrite::WriteGsExit() {
    WritePattern(*this, GsExitMessage);
}
void MidiWrite::WriteXgSystemOn() {
    WritePattern(*this, XgSystemOnMessage);
}

void MidiWrite::WriteMeta(int type, int64_t length, const uint8_t* data) {
    if (!CheckData("meta event", length, data != nullptr)) return;
    WritePendingDelta();
    WriteStatus(0xFF);
    WriteByte(type);
    WriteVarLen(static_cast<uint32_t>(length));
    WriteBytes(length, data);
    if (type == platform::midi::MetaEndOfTrack) endOfTrackWritten_ = true;
}

void MidiWrite::WriteMetaFromFile(int type, std::FILE* file, int64_t offset, int64_t length) {
    if (!CheckData("meta event", length, true)) return;
    WritePendingDelta();
    WriteStatus(0xFF);
    WriteByte(type);
    WriteVarLen(static_cast<uint32_t>(length));
    CopyFromFile(file, offset, length);
    if (type == platform::midi::MetaEndOfTrack) endOfTrackWritten_ = true;
}

void MidiWrite::WriteText(int type, int64_t length, const char* text) {
    WriteMeta(type, length, reinterpret_cast<const uint8_t*>(text));
}

void MidiWrite::WriteText(int type, std::string_view text) {
    WriteMeta(type, static_cast<int64_t>(text.size()), reinterpret_cast<const uint8_t*>(text.data()));
}

void MidiWrite::WriteEndOfTrack() {
    if (endOfTrackWritten_) return;
    WriteMeta(platform::midi::MetaEndOfTrack, 0, nullptr);
}

void MidiWrite::WriteChannelPrefix(int channel) {
    const uint8_t d = static_cast<uint8_t>(channel);
    WriteMeta(0x20, 1, &d);
}

void MidiWrite::WritePortPrefix(int port) {
    const uint8_t d = static_cast<uint8_t>(port);
    WriteMeta(0x21, 1, &d);
}

void MidiWrite::WriteSequenceNumber(int number) {
    const uint8_t d[2] = {static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number)};
    WriteMeta(0x00, 2, d);
}

void MidiWrite::WriteTempo(uint32_t microsecondsPerQuarter) {
    const uint8_t d[3] = {static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                          static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                          static_cast<uint8_t>(microsecondsPerQuarter)};
    WriteMeta(0x51, 3, d);
}

void MidiWrite::WriteSmpteOffset(int rate, int hours, int minutes, int seconds, int frames, int fractional) {
    const uint8_t d[5] = {static_cast<uint8_t>((rate << 5) | (hours & 0x1F)), static_cast<uint8_t>(minutes),
                          static_cast<uint8_t>(seconds), static_cast<uint8_t>(frames),
                          static_cast<uint8_t>(fractional)};
    WriteMeta(0x54, 5, d);
}

void MidiWrite::WriteTimeSignature(int numerator, int denominator, int clocksPerClick, int thirtySeconds) {
    // The largest dd with 2^dd <= denominator; a damaged denominator still gives a data byte.
    int dd = 0;
    while (dd < 30 && (int64_t{1} << (dd + 1)) <= denominator) ++dd;
    const uint8_t d[4] = {static_cast<uint8_t>(numerator), static_cast<uint8_t>(dd),
                          static_cast<uint8_t>(clocksPerClick), static_cast<uint8_t>(thirtySeconds)};
    WriteMeta(0x58, 4, d);
}

void MidiWrite::WriteKeySignature(int sharpsFlats, int minor) {
    const uint8_t d[2] = {static_cast<uint8_t>(sharpsFlats), static_cast<uint8_t>(minor)};
    WriteMeta(0x59, 2, d);
}

void MidiWrite::WriteByte(int b) {
    const uint8_t byte = static_cast<uint8_t>(b);
    WriteBytes(1, &byte);
}

void MidiWrite::WriteWord16(uint32_t value) {
    const uint8_t d[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    WriteBytes(2, d);
}

void MidiWrite::WriteWord24(uint32_t value) {
    const uint8_t d[3] = {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
                          static_cast<uint8_t>(value)};
    WriteBytes(3, d);
}

void MidiWrite::WriteWord32(uint32_t value) {
    const uint8_t d[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    WriteBytes(4, d);
}

void MidiWrite::WriteVarLen(uint32_t value) {
    uint8_t d[midi::MaxVarLenBytes];
    WriteBytes(midi::EncodeVarLen(value, d), d);
}

void MidiWrite::WriteBytes(int64_t n, const uint8_t* data) {
    if (n <= 0 || data == nullptr) return;
    if (FileHandle() == nullptr) {
        Fail(kWriteError);
        return;
    }
    while (n > 0) {
        const int64_t piece = std::min(n, AvailableAt(writePos_));
        uint8_t* block = piece > 0 ? BlockAt(writePos_, piece) : nullptr;
        if (block == nullptr) {
            Fail(kWriteError);
            return;
        }
        std::memcpy(block, data, static_cast<size_t>(piece));
        writePos_ += piece;
        data += piece;
        n -= piece;
    }
}

void MidiWrite::CopyFromFile(std::FILE* file, int64_t offset, int64_t n) {
    if (n <= 0) return;
    int64_t done = 0;
    if (file != nullptr) {
        const long saved = std::ftell(file);
        if (std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
            uint8_t piece[256];
            while (done < n) {
                const size_t want = static_cast<size_t>(std::min<int64_t>(n - done, sizeof piece));
                const size_t got = std::fread(piece, 1, want, file);
                if (got == 0) break;
                WriteBytes(static_cast<int64_t>(got), piece);
                done += static_cast<int64_t>(got);
            }
        }
        std::fseek(file, saved, SEEK_SET);
    }
    if (done < n) {
        // Keep the lengths already written true, and say that the copy is incomplete.
        const uint8_t zeros[256] = {};
        const int64_t copied = done;
        for (; done < n; done += std::min<int64_t>(n - done, sizeof zeros))
            WriteBytes(std::min<int64_t>(n - done, sizeof zeros), zeros);
        if (file == nullptr)
            Fail("copy without a source file: padded with zeros");
        else
            FailWith("copy source ended after %lld bytes: padded with zeros", copied);
    }
}

void MidiWrite::SeekWrite(int64_t pos) {
    if (pos >= 0 && pos <= midilength()) writePos_ = pos;
}

}  // namespace midifile
