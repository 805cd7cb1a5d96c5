#include "player/song.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>

#include "midifile/MidiRead.h"
#include "platform/midi_grammar.h"
#include "platform/regular_file.h"
#include "platform/short_message.h"

namespace player {

namespace {

__extension__ typedef unsigned __int128 UInt128;

// Times beyond this are clamped: no file plays that long, and the arithmetic stays defined.
constexpr uint64_t kMaxTimeUs = uint64_t{1} << 62;

struct TickedEvent {
    uint64_t tick;
    SongEvent event;
};

struct TempoChange {
    uint64_t tick;
    uint32_t microsecondsPerQuarter;
};

// Collects the events of every track with their ticks; times come afterwards from the tempo map.
class SongReader final : public midifile::MidiRead {
  public:
    SongReader(const char* path, std::FILE* file, Song& song)
        : MidiRead(path, file, WholeFileRead), song_(song) {
        // Channel messages arrive as their bytes; exclusive data is not taken apart.
        EventMask = MaskRawNotes | MaskRawPolyPressure | MaskRawControlChange | MaskRawProgramChange |
                    MaskRawChannelPressure | MaskRawPitchBend | MaskNoResetMatch;
    }

    std::string error;
    std::vector<TickedEvent> events;
    std::vector<TempoChange> tempos;
    uint64_t endTick = 0;
    int divisionField = 0;

    void OnError(const char* text) override {
        if (error.empty()) error = text;
    }
    void OnWarning(const char*) override {}
    void OnHeader(int format, int trackCount, int division) override {
        song_.format = format;
        song_.trackCount = trackCount;
        divisionField = division;
        if (format > 1) {
            ReportError("format 2 files are not played");
        } else if (trackCount <= 0) {
            ReportError("the file holds no tracks: nothing to play");
        } else if (division == 0) {
            ReportError("no timing: division 0");
        }
    }
    void OnTrackStart(int, int64_t, int) override {
        tick_ = 0;
        pending_.clear();
        pendingOpen_ = false;
    }
    void OnTrackEnd(int) override { endTick = std::max(endTick, tick_); }
    void OnDeltaTime(uint32_t ticks) override { tick_ += ticks; }
    void OnTempo(uint32_t microsecondsPerQuarter) override {
        tempos.push_back({tick_, microsecondsPerQuarter});
    }
    void OnRawEvent(int status, int64_t length, const uint8_t* data) override {
        uint32_t packed = static_cast<uint32_t>(status);
        for (int64_t i = 0; i < length && i < 2; ++i) packed |= uint32_t{data[i]} << (8 * (i + 1));
        // A data byte of 0x80 or more cannot be sent; the library warned about it already.
        if (platform::decodeShortMessage(packed)) AddShort(packed);
    }
    void OnSysex(int64_t length, const uint8_t* data) override {
        pending_.assign({0xF0});
        pending_.insert(pending_.end(), data, data + length);
        pendingOpen_ = true;
        FinishPending();
    }
    void OnSysexInFile(std::FILE* file, int64_t offset, int64_t length) override {
        std::vector<uint8_t> data;
        if (ReadRegion(file, offset, length, data)) OnSysex(length, data.data());
    }
    void OnSysexEscape(int64_t length, const uint8_t* data) override {
        if (pendingOpen_) {
            pending_.insert(pending_.end(), data, data + length);
            FinishPending();
        } else {
            AddEscapedMessages(data, length);
        }
    }
    void OnSysexEscapeInFile(std::FILE* file, int64_t offset, int64_t length) override {
        std::vector<uint8_t> data;
        if (ReadRegion(file, offset, length, data)) OnSysexEscape(length, data.data());
    }

  private:
    void AddShort(uint32_t packed) {
        SongEvent e;
        e.shortMessage = packed;
        events.push_back({tick_, e});
    }
    void AddExclusive(const uint8_t* bytes, size_t length) {
        if (song_.exclusiveData.size() + length > std::numeric_limits<uint32_t>::max()) {
            ReportError("out of memory");
            return;
        }
        SongEvent e;
        e.exclusiveOffset = static_cast<uint32_t>(song_.exclusiveData.size());
        e.exclusiveLength = static_cast<uint32_t>(length);
        song_.exclusiveData.insert(song_.exclusiveData.end(), bytes, bytes + length);
        events.push_back({tick_, e});
    }
    // A complete message (F0 ... F7 with data bytes between) is sent; while it has no F7 yet it
    // waits for its continuation packets. Anything else in it cannot be sent and is dropped.
    void FinishPending() {
        if (pending_.size() < 2 || pending_.back() != 0xF7) return;
        pendingOpen_ = false;
        const bool clean =
            std::all_of(pending_.begin() + 1, pending_.end() - 1, [](uint8_t b) { return b < 0x80; });
        if (clean) AddExclusive(pending_.data(), pending_.size());
        pending_.clear();
    }
    // An escape packet on its own carries bytes to be sent as they stand: complete channel
    // messages and complete exclusive messages are sent; other bytes are not.
    void AddEscapedMessages(const uint8_t* data, int64_t length) {
        for (int64_t i = 0; i < length;) {
            const uint8_t status = data[i];
            if (status == 0xF0) {
                const uint8_t* end = std::find(data + i + 1, data + length, uint8_t{0xF7});
                if (end == data + length) return;
                const int64_t n = end - (data + i) + 1;
                if (std::all_of(data + i + 1, end, [](uint8_t b) { return b < 0x80; }))
                    AddExclusive(data + i, static_cast<size_t>(n));
                i += n;
                continue;
            }
            const int needed =
                platform::midi::IsChannelStatus(status) ? platform::midi::ChannelDataLength(status) : -1;
            if (needed < 0 || i + needed >= length) {
                ++i;
                continue;
            }
            uint32_t packed = status;
            for (int k = 1; k <= needed; ++k) packed |= uint32_t{data[i + k]} << (8 * k);
            if (platform::decodeShortMessage(packed)) AddShort(packed);
            i += 1 + needed;
        }
    }
    bool ReadRegion(std::FILE* file, int64_t offset, int64_t length, std::vector<uint8_t>& out) {
        if (file == nullptr || length < 0) return false;
        out.resize(static_cast<size_t>(length));
        const long saved = std::ftell(file);
        const bool ok = std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
                        std::fread(out.data(), 1, out.size(), file) == out.size();
        std::fseek(file, saved, SEEK_SET);
        if (!ok) ReportError("unexpected end of file");
        return ok;
    }

    Song& song_;
    uint64_t tick_ = 0;
    std::vector<uint8_t> pending_;
    bool pendingOpen_ = false;
};

// Microseconds at a tick on the file's timing: a tempo map over ticks per quarter note, or a
// fixed frame rate (the division's high byte is minus the frames per second, 29 meaning 29.97).
class TimeMap {
  public:
    TimeMap(int division, std::vector<TempoChange> tempos) : tempos_(std::move(tempos)) {
        if ((division & 0x8000) != 0) {
            const int fps = -static_cast<int8_t>(division >> 8);
            const int perFrame = division & 0xFF;
            // us per tick = 1e6 / (fps x perFrame); 29.97 frames are 30000 / 1001.
            smpteNumerator_ = fps == 29 ? UInt128{1000000} * 1001 : UInt128{1000000};
            smpteDenominator_ = fps == 29
                                    ? UInt128{30000} * static_cast<unsigned>(perFrame)
                                    : UInt128{static_cast<unsigned>(fps)} * static_cast<unsigned>(perFrame);
        } else {
            ticksPerQuarter_ = static_cast<unsigned>(division);
        }
        std::stable_sort(tempos_.begin(), tempos_.end(),
                         [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    }

    // Ticks must come in non-decreasing order.
    uint64_t At(uint64_t tick) {
        UInt128 us;
        if (ticksPerQuarter_ == 0) {
            us = smpteDenominator_ == 0 ? 0 : UInt128{tick} * smpteNumerator_ / smpteDenominator_;
        } else {
            while (next_ < tempos_.size() && tempos_[next_].tick <= tick) {
                scaled_ += UInt128{tempos_[next_].tick - segmentTick_} * tempo_;
                segmentTick_ = tempos_[next_].tick;
                tempo_ = tempos_[next_].microsecondsPerQuarter;
                ++next_;
            }
            us = (scaled_ + UInt128{tick - segmentTick_} * tempo_) / ticksPerQuarter_;
        }
        return us > kMaxTimeUs ? kMaxTimeUs : static_cast<uint64_t>(us);
    }

  private:
    std::vector<TempoChange> tempos_;
    unsigned ticksPerQuarter_ = 0;
    UInt128 smpteNumerator_ = 0;
    UInt128 smpteDenominator_ = 0;
    size_t next_ = 0;
    uint64_t segmentTick_ = 0;
    uint32_t tempo_ = 500000;  // until the first tempo event
    UInt128 scaled_ = 0;       // microseconds x ticks per quarter up to segmentTick_
};

}  // namespace

bool LoadSong(const std::string& path, Song& song, std::string& error) {
    song = Song{};
    platform::OpenRefusal refusal = platform::OpenRefusal::None;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        platform::OpenRegularFile(path.c_str(), &refusal), &std::fclose);
    if (!file) {
        error = refusal == platform::OpenRefusal::NotRegular ? "not a regular file" : "cannot open file";
        return false;
    }
    // The size of what was opened: a name replaced meanwhile cannot slip a larger file through.
    struct stat st {};
    if (::fstat(::fileno(file.get()), &st) == 0 && static_cast<uint64_t>(st.st_size) > kMaxSongFileBytes) {
        error = "the file is larger than " + std::to_string(kMaxSongFileBytes >> 20) + " MB";
        return false;
    }
    SongReader reader(path.c_str(), file.get(), song);
    if (reader.ReadAll() != 1) {
        error = reader.error.empty() ? "cannot read file" : reader.error;
        song = Song{};
        return false;
    }
    std::stable_sort(reader.events.begin(), reader.events.end(),
                     [](const TickedEvent& a, const TickedEvent& b) { return a.tick < b.tick; });
    TimeMap map(reader.divisionField, std::move(reader.tempos));
    song.events.reserve(reader.events.size());
    for (auto& e : reader.events) {
        e.event.timeUs = map.At(e.tick);
        song.events.push_back(e.event);
    }
    const uint64_t lastTick = reader.events.empty() ? 0 : reader.events.back().tick;
    song.lengthUs = map.At(std::max(reader.endTick, lastTick));
    error.clear();
    return true;
}

}  // namespace player
