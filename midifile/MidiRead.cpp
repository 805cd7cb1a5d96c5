// MidiRead: construction, header, track loop, clock and the low-level reading operations.
// The event decoder lives in MidiReadEvent.cpp, the default callbacks in MidiReadCallbacks.cpp.
#include <algorithm>
#include <cstring>

#include "midifile/MidiRead.h"
#include "platform/midi_grammar.h"

namespace midifile {

namespace midi = platform::midi;

namespace {
constexpr uint32_t LargePause = 0x1000000;
__extension__ typedef unsigned __int128 UInt128;  // kept out of the header: not standard C++

bool PlausibleChunkTag(const uint8_t* tag) {
    for (int i = 0; i < 4; ++i)
        if (tag[i] < 0x20 || tag[i] > 0x7E) return false;
    return true;
}
}  // namespace

MidiRead::MidiRead(const char* path, std::FILE* file, int mode) : MidiBuffer(path, file, mode) {}

MidiRead::~MidiRead() = default;

int MidiRead::ReadAll() {
    Aborted = false;
    ClearErrorSeen();
    EventStart = ReadPos;
    if (!ReadHeader()) return 0;
    EventStart = ReadPos;
    for (currentTrack_ = 1; currentTrack_ <= trackCount_; ++currentTrack_)
        if (!ReadTrack(currentTrack_)) return 0;
    if (ReadPos >= midilength()) {
        lastPercent_ = 100;
        OnProgress(100);
    }
    if (Stopped()) return 0;
    OnEndOfFile();
    return Stopped() ? 0 : 1;
}

int MidiRead::ReadHeader() {
    Aborted = false;
    ClearErrorSeen();
    percentLow_ = percentHigh_ = 0;
    limit_ = midilength();
    if (FileHandle() == nullptr) return 0;
    FindHeader();
    const uint8_t* tag = Peek(4);
    if (tag == nullptr || std::memcmp(tag, "MThd", 4) != 0) {
        ReportError("missing midi header MThd");
        return 0;
    }
    ReadPos += 4;
    if (Peek(4) == nullptr) {
        ReportError("unexpected end of file");
        return 0;
    }
    uint32_t length = ReadWord32();
    if (length < 6) {
        ReportError("illegal midi header");
        return 0;
    }
    const int64_t dataStart = ReadPos;
    if (static_cast<int64_t>(length) > midilength() - dataStart) {
        ReportError("unexpected end of file");
        return 0;
    }
    uint32_t format = ReadWord16();
    if (format > 2) {
        ReportError("invalid midi version");
        return 0;
    }
    format_ = static_cast<int>(format);
    trackCount_ = static_cast<int>(ReadWord16());
    division_ = static_cast<int>(ReadWord16());
    divisionMillis_ = static_cast<uint64_t>(division_) * 1000u;
    CurrentTempo = 500000;
    ReadPos = dataStart + length;  // a longer header's extra bytes are skipped
    OnHeader(format_, trackCount_, division_);
    return Stopped() ? 0 : 1;
}

bool MidiRead::FindHeader() {
    const int64_t size = midilength();
    for (int64_t i = 0; i < size;) {
        const int64_t n = AvailableAt(i);
        if (n < 4) break;
        ReadPos = i;
        const uint8_t* block = BlockAt(i, n);
        if (block == nullptr) break;
        for (int64_t j = 0; j + 4 <= n;) {
            const void* m = std::memchr(block + j, 'M', static_cast<size_t>(n - 3 - j));
            if (m == nullptr) break;
            j = static_cast<const uint8_t*>(m) - block;
            if (std::memcmp(block + j, "MThd", 4) == 0) {
                ReadPos = i + j;
                return true;
            }
            ++j;
        }
        i += n - 3;  // consecutive blocks overlap by three bytes
    }
    ReadPos = 0;
    return false;
}

int MidiRead::ReadTrack(int track) {
    if (Stopped()) return 0;
    TrackEnded = false;
    TrackTicks = 0;
    MillisRemainder = 0;
    TrackMillis = 0;
    RunningStatus = -1;
    EventStart = ReadPos;
    limit_ = midilength();

    // Chunks of other kinds between tracks are skipped by their length.
    for (;;) {
        const uint8_t* tag = Peek(4);
        if (tag != nullptr && std::memcmp(tag, "MTrk", 4) == 0) break;
        const uint8_t* chunk = Peek(8);
        if (chunk == nullptr || !PlausibleChunkTag(chunk)) {
            ReportError("missing midi track MTrk");
            return 0;
        }
        uint32_t skip =
            (uint32_t{chunk[4]} << 24) | (uint32_t{chunk[5]} << 16) | (uint32_t{chunk[6]} << 8) | chunk[7];
        ReadPos += 8 + static_cast<int64_t>(skip);
        EventStart = ReadPos;
    }
    ReadPos += 4;
    if (Peek(4) == nullptr) {
        ReportError("unexpected end of file");
        return 0;
    }
    TrackLength = ReadWord32();
    const int64_t end = ReadPos + TrackLength;
    if (end > midilength()) {
        ReportError("unexpected end of file");
        return 0;
    }
    limit_ = end;
    TrackChannel = PrescanTrackChannel(TrackLength);
    OnTrackStart(track, TrackLength, TrackChannel);
    if (Stopped()) return 0;

    if ((EventMask & MaskSkipTrackBodies) == 0) {
        while (!TrackEnded && ReadPos < end) {
            if (ReadPos < percentLow_ || ReadPos >= percentHigh_) UpdateProgress();
            const uint32_t delta = ReadVarLen();
            if (Stopped()) return 0;
            if (delta >= LargePause) {
                OnLargePause(delta);
                TrackEnded = true;
                break;
            }
            OnDeltaTime(delta);
            if (Stopped()) return 0;
            TrackTicks += delta;
            AdvanceClockInline(delta);
            if (ReadEvent(end) <= 0) {
                TrackEnded = false;
                if (!Stopped()) ReportError("unexpected end of file");
                return 0;
            }
            if (Stopped()) return 0;
        }
    }
    if (Stopped()) return 0;
    TrackEnded = false;
    ReadPos = end;
    EventStart = ReadPos;
    limit_ = midilength();
    OnTrackEnd(track);
    return Stopped() ? 0 : 1;
}

void MidiRead::UpdateProgress() {
    const int64_t size = midilength();
    if (size <= 0) return;
    const int64_t percent = ReadPos * 100 / size;
    if (percent != lastPercent_) {
        lastPercent_ = static_cast<int>(percent);
        OnProgress(lastPercent_);
    }
    // The ReadPos range that gives the same percentage; saves a division per event.
    percentLow_ = (percent * size + 99) / 100;
    percentHigh_ = ((percent + 1) * size + 99) / 100;
}

void MidiRead::RefreshClockCache() {
    clockTempo_ = CurrentTempo;
    clockDivision_ = divisionMillis_;
    tempoQuot_ = CurrentTempo / divisionMillis_;
    tempoRem_ = CurrentTempo % divisionMillis_;
    divisionInverse_ = UINT64_MAX / divisionMillis_;
}

void MidiRead::AdvanceClock(uint32_t ticks) {
    AdvanceClockInline(ticks);
}

// Once per event: inline in the track loop (a shared library's exported function would not be).
inline void MidiRead::AdvanceClockInline(uint32_t ticks) {
    const uint64_t d = divisionMillis_;
    if (ticks == 0 || d == 0 || ticks >= LargePause) return;
    if (clockTempo_ != CurrentTempo || clockDivision_ != d) RefreshClockCache();
    if (MillisRemainder >= d) {  // a subclass may have set it: carry the whole milliseconds first
        TrackMillis += MillisRemainder / d;
        MillisRemainder %= d;
    }
    // Each tick adds tempo / D whole milliseconds and tempo % D to the remainder. x < 2^24 x 2^26 +
    // D, so x / D by a multiply with the cached inverse is exact up to one: correct it once.
    const uint64_t x = MillisRemainder + ticks * tempoRem_;
    uint64_t q = static_cast<uint64_t>((static_cast<UInt128>(x) * divisionInverse_) >> 64);
    uint64_t r = x - q * d;
    while (r >= d) {
        ++q;
        r -= d;
    }
    TrackMillis += ticks * tempoQuot_ + q;
    MillisRemainder = r;
}

uint32_t MidiRead::ReadWord16() {
    const uint8_t* p = Peek(2);
    if (p == nullptr) return 0;
    ReadPos += 2;
    return (uint32_t{p[0]} << 8) | p[1];
}

uint32_t MidiRead::ReadWord24() {
    const uint8_t* p = Peek(3);
    if (p == nullptr) return 0;
    ReadPos += 3;
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
}

uint32_t MidiRead::ReadWord32() {
    const uint8_t* p = Peek(4);
    if (p == nullptr) return 0;
    ReadPos += 4;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint32_t MidiRead::ReadVarLenLong() {
    // At most four bytes, fewer near the end of the track: a quantity cut off there is an error.
    const int64_t n = std::clamp<int64_t>(limit_ - ReadPos, 0, midi::MaxVarLenBytes);
    const uint8_t* p = n > 0 ? Peek(n) : nullptr;
    const midi::VarLen q = p != nullptr ? midi::DecodeVarLen(p, static_cast<size_t>(n))
                                        : midi::VarLen{0, 0, midi::VarLenEnd::Truncated};
    ReadPos += q.bytes;
    VarLenBytes = q.bytes;
    switch (q.end) {
        case midi::VarLenEnd::Complete:
            return q.value;
        case midi::VarLenEnd::TooLong:
            ReportError("variable length quantity too long");
            return 0;
        case midi::VarLenEnd::Truncated:
            break;
    }
    ReportError("unexpected end of file");
    TrackEnded = true;
    return 0;
}

const uint8_t* MidiRead::ConsumeFailed(int64_t n) {
    if (BufferCapacity() == 0) {
        ReportError("out of memory");
    } else if (n > BufferCapacity()) {
        OnWarning("midi event larger than internal bufsize ignored");
    } else if (n > 0) {
        ReportError("unexpected end of file");
        TrackEnded = true;
    }
    return nullptr;
}

int MidiRead::SkipBytes(int64_t n) {
    if (n < 0 || ReadPos > limit_ - n) return 0;
    ReadPos += n;
    return 1;
}

int MidiRead::PrescanTrackChannel(int64_t length) {
    if ((EventMask & MaskSkipTrackBodies) != 0) return NOCHANNEL;
    const int64_t start = ReadPos;
    const int64_t n = std::min(AvailableAt(start), length);
    const uint8_t* p = Peek(n);
    if (p == nullptr || n <= 0) return NOCHANNEL;

    int result = NOCHANNEL;
    int running = -1;
    int64_t i = 0;
    // The bytes left from an offset, and a varlen there (none when the offset is past the end).
    const auto varLenAt = [&](int64_t at) {
        return at < n ? midi::DecodeVarLen(p + at, static_cast<size_t>(n - at))
                      : midi::VarLen{0, 0, midi::VarLenEnd::Truncated};
    };
    while (i < n) {
        i += varLenAt(i).bytes;  // the delta
        if (i >= n) break;
        const midi::ResolvedStatus resolved = midi::ResolveStatus(p[i], running);
        if (resolved.consumed) ++i;
        const int status = resolved.status;
        int channel = -1;
        switch (midi::ClassifyFileStatus(status)) {
            case midi::FileEvent::Channel:
                channel = status & 0x0F;
                running = status;
                i += midi::ChannelDataLength(status);
                break;
            case midi::FileEvent::System:
                i += midi::FixedDataLength(status);
                break;
            case midi::FileEvent::Exclusive:
            case midi::FileEvent::Escape: {
                // The same rule as the reader: a declared length that fits the track is taken; an
                // escape has no other. Else an F0 message runs to the next F7.
                const midi::VarLen field = varLenAt(i);
                if (field.end == midi::VarLenEnd::Complete &&
                    int64_t{field.value} <= length - i - field.bytes) {
                    i += field.bytes + int64_t{field.value};
                    break;
                }
                if (status == 0xF7 || i >= n) goto done;
                const void* f = std::memchr(p + i, 0xF7, static_cast<size_t>(n - i));
                if (f == nullptr) goto done;
                i = static_cast<const uint8_t*>(f) - p + 1;
                break;
            }
            case midi::FileEvent::Meta: {
                ++i;  // type
                const midi::VarLen len = varLenAt(i);
                i += len.bytes + std::min<int64_t>(len.value, n);
                break;
            }
            case midi::FileEvent::NotStatus:  // a data byte with no running status
            case midi::FileEvent::Unexpected:
                goto done;
        }
        if (channel >= 0) {
            if (result == NOCHANNEL) {
                result = channel;
            } else if (result != channel) {
                result = MULTICHANNEL;
                break;
            }
        }
    }
done:
    ReadPos = start;
    return result;
}

}  // namespace midifile
