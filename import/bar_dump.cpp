// The bar dump: a time-signature scan, then the notes of each dumped track written bar by bar.
#include "import/bar_dump.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace midiimport {

using midifile::MidiRead;

struct DumpRun {
    DumpRun(ImportContext& c, std::FILE* f) : ctx(c), file(f) {}

    ImportContext& ctx;
    std::FILE* file;
    int unitsperquarter = 0;
    std::vector<TactChange> tactchangelist;
    int64_t BarStart = 0;
    int64_t BarLength = 0;
    int64_t NextBarStart = 0;
    int32_t BarNumber = 1;
    size_t TactIndex = 0;
    bool failed = false;

    // The pages' progress figure: the split file is read twice, once by each reader.
    int64_t fileBytes = 0;
    int64_t readBefore = 0;  // bytes of the readings finished
    const MidiRead* reading = nullptr;
    unsigned events = 0;
    void EventRead() {
        if ((++events & 255u) != 0 || reading == nullptr || fileBytes <= 0) return;
        const int64_t done = readBefore + std::clamp<int64_t>(reading->ReadPos, 0, fileBytes);
        ctx.pages.showProgress(static_cast<int>(std::clamp<int64_t>(done * 50 / fileBytes, 0, 100)));
    }

    void Fail(const char* text) {
        if (!failed) AbortWithBox(ctx, text);
        failed = true;
    }
    void Write(const std::string& text) {
        if (!text.empty()) std::fwrite(text.data(), 1, text.size(), file);
    }
    void StartTrack() {
        BarStart = 0;
        BarLength = tactchangelist.empty() ? 4 * int64_t{unitsperquarter} : tactchangelist[0].units;
        TactIndex = 1;
        NextBarStart = BarStart + BarLength;
        BarNumber = 1;
    }
    // A time-signature change 1 to 3 ticks after a bar line counts from that bar line; at most one
    // change takes effect per bar.
    void AdvanceBar() {
        BarStart += BarLength;
        if (TactIndex < tactchangelist.size() && BarStart >= tactchangelist[TactIndex].tick - 3) {
            BarLength = tactchangelist[TactIndex].units;
            ++TactIndex;
        }
        NextBarStart = BarStart + BarLength;
        ++BarNumber;
    }
};

int64_t UnitsPerBar(int nom, int denom, int unitsperquarter) {
    if (nom <= 0 || denom <= 0 || unitsperquarter <= 0) return 0;
    if (denom == 4) return int64_t{nom} * unitsperquarter;
    return int64_t{nom} * 4 * unitsperquarter / denom;
}

std::string FormatBarLength(int64_t ticks, int unitsperquarter) {
    const int64_t whole = 4 * int64_t{unitsperquarter};
    if (whole <= 0) return {};
    if (ticks == whole) return "4/4";
    std::string text;
    char piece[48];
    if (ticks > whole) {
        std::snprintf(piece, sizeof piece, "%lld", static_cast<long long>(ticks / whole));
        text += piece;
        ticks %= whole;
        if (ticks > 0) text += ' ';
    }
    if (ticks > 0) {
        for (int d = 1; d <= 32; d *= 2) {
            if (ticks * d % whole == 0) {
                std::snprintf(piece, sizeof piece, "%lld/%d", static_cast<long long>(ticks * d / whole), d);
                return text + piece;
            }
        }
        std::snprintf(piece, sizeof piece, "%lld units", static_cast<long long>(ticks));
        text += piece;
    }
    return text;
}

// ---- time signatures ----

MidiScanTactList::MidiScanTactList(const char* path, DumpRun& run)
    : MidiRead(path, nullptr, WindowRead), run_(run) {
    EventMask = MaskAllControllers;
}

void MidiScanTactList::OnError(const char*) {
    run_.Fail("FILE ERROR - TACT:");
    Aborted = true;
}

void MidiScanTactList::OnHeader(int, int, int division) {
    // A split without tracks (nothing in the input to take) dumps as an empty text.
    if (division <= 0 || (division & 0x8000) != 0) {
        OnError("unusable header");
        return;
    }
    run_.unitsperquarter = division;
    std::fprintf(run_.file, "%d", division);
    run_.tactchangelist.clear();
    OnTimeSignature(4, 4, 24, 8);
}

void MidiScanTactList::OnDeltaTime(uint32_t) {
    run_.EventRead();
}

void MidiScanTactList::OnTimeSignature(int numerator, int denominator, int, int) {
    const int64_t units = UnitsPerBar(numerator, denominator, run_.unitsperquarter);
    if (units <= 0 || units > INT32_MAX) return;  // a damaged signature gives no bar length
    const auto tick = static_cast<int64_t>(TrackTicks);
    for (TactChange& t : run_.tactchangelist) {
        if (t.tick == tick) {
            t = {tick, numerator, denominator, static_cast<int32_t>(units)};
            return;
        }
    }
    run_.tactchangelist.push_back({tick, numerator, denominator, static_cast<int32_t>(units)});
}

// ---- notes ----

MidiDump::MidiDump(const char* path, DumpRun& run) : MidiRead(path, nullptr, WindowRead), run_(run) {
    EventMask = MaskAllControllers | MaskUndecodedMeta | MaskNoResetMatch;
}

void MidiDump::OnError(const char*) {
    run_.Fail("FILE ERROR - DUMP:");
    Aborted = true;
}

bool MidiDump::Wanted(int channel) const {
    return channel >= 0 && channel < 16 &&
           run_.ctx.import.dump.DumpChannels[static_cast<size_t>(channel)] != 0;
}

void MidiDump::OnTrackStart(int, int64_t, int trackChannel) {
    // A note left sounding by the previous track does not belong to this one.
    slots_.fill(NoteSlot{});
    count_ = 0;
    const auto& marked = run_.ctx.import.dump.DumpChannels;
    const bool anyMarked = std::any_of(marked.begin(), marked.end(), [](int32_t m) { return m != 0; });
    dumped_ = trackChannel >= 0 ? Wanted(trackChannel) : anyMarked;
    if (!dumped_) {
        EventMask |= MaskSkipTrackBodies;
        return;
    }
    run_.StartTrack();
}

void MidiDump::OnDeltaTime(uint32_t) {
    run_.EventRead();
}

void MidiDump::OnTrackEnd(int) {
    WriteBar();
    EventMask &= ~MaskSkipTrackBodies;
}

void MidiDump::WriteDueBars() {
    // Every bar the reading has passed, so that a sparse track loses no notes.
    const auto tick = static_cast<int64_t>(TrackTicks);
    while (tick >= run_.NextBarStart && run_.BarNumber <= kLastDumpedBar) WriteBar();
}

void MidiDump::OnNoteOn(int channel, int key, int velocity) {
    if (!dumped_ || !Wanted(channel) || key < 0 || key > 127 || velocity < 0 || velocity > 127) return;
    const auto tick = static_cast<int64_t>(TrackTicks);
    NoteSlot* sounding = nullptr;
    for (int i = 0; i < count_ && sounding == nullptr; ++i) {
        NoteSlot& s = slots_[static_cast<size_t>(i)];
        if (s.key == key && s.end == -1) sounding = &s;
    }
    // A drum note-on is a hit of its own: it ends the drum's note still sounding (a ghost note, a
    // cymbal struck again, the same drum from another track). Only a strike at the very tick of
    // the sounding one is the same hit. A melodic note-on of a sounding key is ignored.
    const bool drums = run_.ctx.import.split.InstrumentMode == 0;
    if (sounding != nullptr && drums && sounding->start != tick) {
        sounding->end = tick;
        sounding = nullptr;
    }
    if (sounding == nullptr) {
        NoteSlot* slot = nullptr;
        if (count_ < kNoteSlots) {
            slot = &slots_[static_cast<size_t>(count_++)];
        } else {
            for (NoteSlot& s : slots_)
                if (s.key < 0) {
                    slot = &s;
                    break;
                }
        }
        if (slot != nullptr) *slot = {tick, -1, key, velocity};  // with none free the note is dropped
    }
    WriteDueBars();
}

void MidiDump::OnNoteOff(int channel, int key, int) {
    if (!dumped_ || !Wanted(channel) || key < 0 || key > 127) return;
    for (int i = 0; i < count_; ++i) {
        NoteSlot& s = slots_[static_cast<size_t>(i)];
        if (s.key == key && s.end == -1) {
            s.end = static_cast<int64_t>(TrackTicks);
            break;
        }
    }
    WriteDueBars();
}

void MidiDump::SortBarNotes() {
    // Earliest start first; at equal starts the longer note, then the higher key. Free slots last.
    auto before = [](const NoteSlot& a, const NoteSlot& b) {
        if (a.start != b.start) return a.start < b.start;
        if (a.end != b.end) return a.end > b.end;
        return a.key > b.key;
    };
    for (int i = 0; i < count_; ++i) {
        int best = -1;
        for (int j = i; j < count_; ++j) {
            const NoteSlot& s = slots_[static_cast<size_t>(j)];
            if (s.key >= 0 && (best < 0 || before(s, slots_[static_cast<size_t>(best)]))) best = j;
        }
        if (best < 0) break;
        if (best == i) continue;
        NoteSlot& here = slots_[static_cast<size_t>(i)];
        NoteSlot& chosen = slots_[static_cast<size_t>(best)];
        if (here.key < 0) {
            here = chosen;
            chosen.key = -1;
        } else {
            std::swap(here, chosen);
        }
    }
}

void MidiDump::WriteNote(const NoteSlot& n) {
    const int q = run_.unitsperquarter;
    const int64_t barEnd = run_.BarStart + run_.BarLength;
    char piece[64];
    std::snprintf(piece, sizeof piece, "M%03d\t", run_.BarNumber);
    text_ = piece;
    if (n.start < run_.BarStart) {
        text_ += 'j';
    } else {
        const int64_t at = n.start - run_.BarStart;
        std::snprintf(piece, sizeof piece, "q%lld.%03lld ", static_cast<long long>(at / q + 1),
                      static_cast<long long>(at % q));
        text_ += piece;
    }
    std::snprintf(piece, sizeof piece,
                  run_.ctx.import.split.InstrumentMode != 0 ? " Z%d V%03d" : " u%d V%03d", n.key, n.velocity);
    text_ += piece;
    if (n.end >= 0 && n.end <= barEnd) {
        const int64_t length = n.end - std::max(n.start, run_.BarStart);
        std::snprintf(piece, sizeof piece, "  w%lld.%03lld", static_cast<long long>(length / q),
                      static_cast<long long>(length % q));
        text_ += piece;
    } else {
        text_ += 'j';
    }
    run_.Write(text_);
}

void MidiDump::WriteBar() {
    if (run_.BarNumber > kLastDumpedBar || run_.BarLength <= 0) return;
    char piece[32];
    std::snprintf(piece, sizeof piece, "M%03d\tB ", run_.BarNumber);
    run_.Write(piece + FormatBarLength(run_.BarLength, run_.unitsperquarter));
    SortBarNotes();
    const int64_t barEnd = run_.BarStart + run_.BarLength;
    for (int i = 0; i < count_; ++i) {
        const NoteSlot& s = slots_[static_cast<size_t>(i)];
        if (s.key >= 0 && s.start < barEnd) WriteNote(s);
    }
    for (int i = 0; i < count_; ++i) {
        NoteSlot& s = slots_[static_cast<size_t>(i)];
        if (s.key >= 0 && s.end >= 0 && s.end <= run_.NextBarStart) s.key = -1;
    }
    run_.AdvanceBar();
}

// ---- the dump ----

bool RunDump(ImportContext& ctx, std::FILE* dumpFile) {
    DumpRun run(ctx, dumpFile);
    const char* path = ctx.import.split.SplitPath.c_str();
    {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(path, error);
        run.fileBytes = error ? 0 : static_cast<int64_t>(std::min<std::uintmax_t>(bytes, INT64_MAX / 100));
    }
    ctx.pages.showProgress(0);
    {
        MidiScanTactList tact(path, run);
        run.reading = &tact;
        if (tact.FileHandle() == nullptr) {
            run.Fail("FILE ERROR - INPUT:");
            return false;
        }
        if (tact.ReadAll() == 0 || run.failed) {
            run.Fail("FILE ERROR - TACT:");
            return false;
        }
        run.reading = nullptr;
    }
    ctx.pages.processMessages();
    std::stable_sort(run.tactchangelist.begin(), run.tactchangelist.end(),
                     [](const TactChange& a, const TactChange& b) { return a.tick < b.tick; });
    auto& marked = ctx.import.dump.DumpChannels;
    if (std::none_of(marked.begin(), marked.end(), [](int32_t m) { return m != 0; })) marked.fill(1);
    run.StartTrack();  // a first track that is not dumped still ends with a bar record

    run.readBefore = run.fileBytes;
    ctx.pages.showProgress(50);
    MidiDump dump(path, run);
    run.reading = &dump;
    if (dump.ReadAll() == 0 || run.failed) {
        run.Fail("FILE ERROR - DUMP:");
        return false;
    }
    ctx.pages.showProgress(100);
    return true;
}

bool WriteImportDump(ImportContext& ctx) {
    std::FILE* file = std::fopen(kDumpFileName, "wb");
    if (file == nullptr) {
        AbortWithBox(ctx, "FILE ERROR - DUMP:");
        std::remove(ctx.import.split.SplitPath.c_str());
        return false;
    }
    const bool dumped = RunDump(ctx, file);
    std::fputc(255, file);
    const bool written = std::ferror(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (dumped && (!written || !closed)) AbortWithBox(ctx, "FILE ERROR - DUMP:");
    if (dumped && written && closed) return true;
    // A failed dump ends the import: nothing reads the split file any more.
    std::remove(ctx.import.split.SplitPath.c_str());
    return false;
}

}  // namespace midiimport
