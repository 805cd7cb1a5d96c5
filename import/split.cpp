// The split: pass 1 surveys the input, pass 2 copies its events into "$$$$" track by track: whole
// copies of the tracks without channel messages (or a conductor track for format 0), one track per
// (channel, program) of the melodic tracks, and one track per drum key merged from all tracks.
#include "import/split.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "platform/midi_grammar.h"

namespace midiimport {

using midifile::MidiRead;

namespace {
constexpr uint32_t kMaxDelta = midifile::MidiWrite::MaxVarLen;
constexpr uint32_t kLargePause = 0x1000000;  // the reader ends a track at such a delta

bool DataBytes(int a, int b = 0) {
    return a >= 0 && a < 128 && b >= 0 && b < 128;
}

uint32_t Delta(int64_t ticks) {
    return ticks <= 0 ? 0 : ticks >= kMaxDelta ? kMaxDelta : static_cast<uint32_t>(ticks);
}

// The output file; a failed write is remembered and the split reports it once at the end.
class SplitWriter final : public midifile::MidiWrite {
  public:
    using MidiWrite::MidiWrite;
    void OnError(const char*) override {}
    void OnWarning(const char*) override {}
};
}  // namespace

struct TrackEntry {
    int64_t trackend = 0;        // file offset of the end of the track's data
    int64_t trackpos = 0;        // offset of the data; during the merge, of the next event
    int64_t firsttrackpos = 0;   // offset of the first event (after the first delta)
    int64_t tracktime = 0;       // merge: tick of the next event, -1 when the track is done
    int64_t firsttracktime = 0;  // tick of the first event, -1 when the track has none
    int trackchannel = MidiRead::NOCHANNEL;
    int programs = 0;  // (channel, program) pairs the first reading found in the track
};

struct SplitRun {
    explicit SplitRun(ImportContext& c) : ctx(c), s(c.import.split) {}

    ImportContext& ctx;
    MidiDrumState& s;
    std::vector<TrackEntry> tracks;
    std::vector<std::array<int32_t, 128>> trackctrl;  // last controller values per track, -1 none
    std::vector<std::unique_ptr<MidiCopySelectedEvents>> trackread;
    std::array<int32_t, 128> DrumKeysUsed{};
    std::array<std::array<int32_t, 128>, 16> ProgramsUsed{};
    std::array<std::array<uint8_t, 128>, 16> NotesOn{};
    std::array<int32_t, 128> MergedControllers{};
    uint64_t mergedMask[2] = {};  // the controllers MergedControllers holds a value for
    midifile::MidiWrite* writer = nullptr;
    bool merging = false;  // the per-key merge reads event by event (no end of track written)
    bool stopped = false;  // a file error was reported

    // The pages' progress figure over the whole split, in bytes read: the first reading of the
    // input, the whole copies, the melodic copies and one merge of the tracks per drum key. The
    // plan is known once the first reading is done; until then the figure stays at 0.
    int64_t workTotal = 0;
    int64_t workDone = 0;               // bytes of the steps finished
    const MidiRead* reading = nullptr;  // the reader of the step under way, read from readingFrom
    int64_t readingFrom = 0;
    unsigned events = 0;

    // Every few hundred events, the figure to the pages.
    void EventRead() {
        if ((++events & 255u) == 0) ShowProgress();
    }
    void ShowProgress(int64_t extra = 0) {
        int64_t done = workDone + extra;
        if (reading != nullptr) done += std::max<int64_t>(0, reading->ReadPos - readingFrom);
        const int percent =
            workTotal <= 0 ? 0 : static_cast<int>(std::clamp<int64_t>(done * 100 / workTotal, 0, 100));
        ctx.pages.showProgress(percent);
    }

    void FileErrorBox(const char* text) {
        if (!stopped) ImportBox(ctx, text, "ERROR");
        stopped = true;
        s.FileError = 1;
        s.InstrumentMode = 1;
    }
    void ClearNotesOn() {
        for (auto& c : NotesOn) c.fill(0);
    }
};

// ---- pass 1 ----

MidiScanUsedPrograms::MidiScanUsedPrograms(const char* path, SplitRun& run)
    : MidiRead(path, nullptr, WindowRead), run_(run) {
    EventMask = MaskAllControllers | MaskUndecodedMeta | MaskNoResetMatch;
    programs_.fill(-1);
}

void MidiScanUsedPrograms::OnError(const char*) {
    run_.FileErrorBox("FILE ERROR - ABORTING:");
    Aborted = true;
}

void MidiScanUsedPrograms::OnHeader(int format, int trackCount, int division) {
    if (format != 0 && format != 1) {
        run_.FileErrorBox("This program only accepts format 0 or 1.");
        Aborted = true;
        return;
    }
    // No tracks, SMPTE time, or a division below 8 ticks a quarter note (too coarse to place a
    // note on an eighth of a beat) leave nothing to import.
    if (trackCount <= 0 || division < 8 || (division & 0x8000) != 0) {
        OnError("unusable header");
        return;
    }
    run_.s.trackcount = trackCount;
    run_.tracks.assign(static_cast<size_t>(trackCount), TrackEntry{});
    run_.DrumKeysUsed.fill(0);
}

void MidiScanUsedPrograms::OnTrackStart(int track, int64_t length, int trackChannel) {
    if (track < 1 || track > static_cast<int>(run_.tracks.size())) return;
    if (firstPass) {
        TrackEntry& t = run_.tracks[static_cast<size_t>(track - 1)];
        t.trackend = ReadPos + length;
        t.trackpos = ReadPos;
        t.tracktime = 0;
        t.trackchannel = trackChannel;
        run_.s.TotalTrackBytes += length;
    }
    EventMask &= ~MaskSkipTrackBodies;
    for (auto& c : run_.ProgramsUsed) c.fill(0);
    programs_.fill(-1);
}

void MidiScanUsedPrograms::OnTrackEnd(int track) {
    if (!firstPass || track < 1 || track > static_cast<int>(run_.tracks.size())) return;
    int pairs = 0;
    for (const auto& channel : run_.ProgramsUsed)
        for (const int32_t used : channel) pairs += used != 0 ? 1 : 0;
    run_.tracks[static_cast<size_t>(track - 1)].programs = pairs;
}

void MidiScanUsedPrograms::OnDeltaTime(uint32_t) {
    run_.EventRead();
}

void MidiScanUsedPrograms::OnProgramChange(int channel, int program) {
    if (channel != run_.s.TargetChannel && DataBytes(program))
        programs_[static_cast<size_t>(channel)] = program;
}

void MidiScanUsedPrograms::NoteSeen(int channel, int key, int velocity) {
    if (!DataBytes(key, velocity)) return;
    if (channel == run_.s.TargetChannel) {
        run_.DrumKeysUsed[static_cast<size_t>(key)] = 1;
        return;
    }
    int& program = programs_[static_cast<size_t>(channel)];
    if (program < 0) program = 0;
    run_.ProgramsUsed[static_cast<size_t>(channel)][static_cast<size_t>(program)] = 1;
}

void MidiScanUsedPrograms::OnNoteOn(int channel, int key, int velocity) {
    NoteSeen(channel, key, velocity);
}
void MidiScanUsedPrograms::OnNoteOff(int channel, int key, int velocity) {
    NoteSeen(channel, key, velocity);
}

// ---- pass 2 ----

MidiCopySelectedEvents::MidiCopySelectedEvents(const char* path, std::FILE* file, SplitRun& run)
    : MidiCopy(path, file, WindowRead), run_(run) {
    EventMask = MaskAllControllers;
    programs_.fill(-1);
}

void MidiCopySelectedEvents::OnError(const char*) {
    run_.FileErrorBox("FILE ERROR - EVENTS:");
    Aborted = true;
}

bool MidiCopySelectedEvents::ChannelPasses(int channel) const {
    return run_.s.ChannelFilter < 0 || channel == run_.s.ChannelFilter;
}
int MidiCopySelectedEvents::Remap(int channel) const {
    return run_.s.KeyFilter >= 0 ? run_.s.TargetChannel : channel;
}
bool MidiCopySelectedEvents::ProgramPasses(int channel) const {
    return run_.s.ProgramFilter < 0 || programs_[static_cast<size_t>(channel)] == run_.s.ProgramFilter;
}

void MidiCopySelectedEvents::OnTrackStart(int, int64_t, int) {
    programs_.fill(-1);
}
midifile::MidiWrite& MidiCopySelectedEvents::Out() {
    return *run_.writer;
}
// A reset belongs at the start of the piece: only the first output track carries it.
bool MidiCopySelectedEvents::KeepsResets() {
    return run_.writer->TrackCount() <= 1;
}

void MidiCopySelectedEvents::OnDeltaTime(uint32_t ticks) {
    MidiCopy::OnDeltaTime(ticks);
    if (!run_.merging) run_.EventRead();  // the merge shows its own figure
}

void MidiCopySelectedEvents::OnEndOfTrack() {
    // The merge takes events from many tracks into one; the writer ends that track itself.
    if (!run_.merging) MidiCopy::OnEndOfTrack();
}
void MidiCopySelectedEvents::OnChannelPrefix(int channel) {
    if (ChannelPasses(channel)) MidiCopy::OnChannelPrefix(channel);
}
void MidiCopySelectedEvents::OnProgramChange(int channel, int program) {
    if (!ChannelPasses(channel) || !DataBytes(program)) return;
    programs_[static_cast<size_t>(channel)] = program;
    if (run_.s.ProgramFilter < 0 || program == run_.s.ProgramFilter)
        run_.writer->WriteProgramChange(Remap(channel), program);
}

void MidiCopySelectedEvents::OnControlChange(int channel, int controller, int value) {
    if (!ChannelPasses(channel) || !DataBytes(controller, value)) return;
    if (run_.s.KeyFilter >= 0 && run_.merging) {
        const int t = run_.s.trackno;
        if (t >= 0 && t < static_cast<int>(run_.trackctrl.size()))
            run_.trackctrl[static_cast<size_t>(t)][static_cast<size_t>(controller)] = value;
        run_.MergedControllers[static_cast<size_t>(controller)] = value;
        run_.mergedMask[controller / 64] |= uint64_t{1} << (controller % 64);
    }
    run_.writer->WriteControlChange(Remap(channel), controller, value);
}

void MidiCopySelectedEvents::OnNoteOn(int channel, int key, int velocity) {
    if (!ChannelPasses(channel) || !DataBytes(key, velocity)) return;
    const int out = Remap(channel);
    int& program = programs_[static_cast<size_t>(channel)];
    if (program < 0) program = 0;
    if ((run_.s.KeyFilter < 0 || key == run_.s.KeyFilter) && ProgramPasses(channel)) {
        run_.writer->WriteNoteOn(out, key, velocity);
        run_.NotesOn[static_cast<size_t>(out)][static_cast<size_t>(key)] = 1;
    }
}

void MidiCopySelectedEvents::OnNoteOff(int channel, int key, int velocity) {
    if (!ChannelPasses(channel) || !DataBytes(key, velocity)) return;
    const int out = Remap(channel);
    if (run_.s.KeyFilter >= 0 && key != run_.s.KeyFilter) return;
    uint8_t& on = run_.NotesOn[static_cast<size_t>(out)][static_cast<size_t>(key)];
    // A note-off passes when its note-on was written, even after a change of program.
    if (ProgramPasses(channel) || on != 0) run_.writer->WriteNoteOff(out, key, velocity);
    on = 0;
}

void MidiCopySelectedEvents::OnPitchBend(int channel, int value) {
    if (ChannelPasses(channel) && value >= 0 && value < 16384)
        run_.writer->WritePitchBend(Remap(channel), value);
}
void MidiCopySelectedEvents::OnPolyPressure(int channel, int key, int pressure) {
    if (ChannelPasses(channel) && DataBytes(key, pressure))
        run_.writer->WritePolyPressure(Remap(channel), key, pressure);
}
void MidiCopySelectedEvents::OnChannelPressure(int channel, int pressure) {
    if (ChannelPasses(channel) && DataBytes(pressure))
        run_.writer->WriteChannelPressure(Remap(channel), pressure);
}

// ---- the split ----

namespace {

class Splitter {
  public:
    Splitter(ImportContext& ctx, SplitRun& run) : ctx_(ctx), run_(run), s_(run.s) {}

    int Run();

  private:
    bool CopyWholeTracks();
    bool CopyConductorTrack();
    bool CopyProgramTracks();
    void PrepareMerge();
    bool MergeKey(int key);
    bool ReadNextEvent(size_t e);
    // One track read from its chunk header through the pass-2 callbacks into a new output track.
    bool CopyTrack(size_t t);
    void Progress();
    void PlanProgress();
    int64_t TrackBytes(size_t t) const {
        return std::max<int64_t>(0, run_.tracks[t].trackend - run_.tracks[t].trackpos);
    }
    bool Failed(const midifile::MidiRead& r) const { return run_.stopped || r.Aborted; }

    ImportContext& ctx_;
    SplitRun& run_;
    MidiDrumState& s_;
    std::unique_ptr<MidiScanUsedPrograms> scan_;
    int format_ = 0;
    int64_t mergedBytes_ = 0;  // bytes one drum key's merge reads
};

void FinishEarly(SplitRun& run, midifile::MidiWrite* writer) {
    if (writer != nullptr) writer->Close();
    run.writer = nullptr;
    std::remove(run.s.SplitPath.c_str());  // a half-written split must not reach the next stages
}

bool Splitter::CopyTrack(size_t t) {
    MidiCopySelectedEvents& r = *run_.trackread[t];
    run_.writer->StartTrack();
    r.SeekRead(run_.tracks[t].trackpos - 8);
    run_.reading = &r;
    run_.readingFrom = run_.tracks[t].trackpos;
    const int ok = r.ReadTrack(static_cast<int>(t) + 1);
    run_.reading = nullptr;
    run_.workDone += TrackBytes(t);
    run_.writer->CloseTrack();
    return ok != 0 && !run_.stopped;
}

void Splitter::PlanProgress() {
    // Each whole copy and each melodic re-reading and copy reads its track once; each drum key
    // reads every track that takes part in the merge.
    int64_t copies = 0, merged = 0;
    for (size_t t = 0; t < run_.tracks.size(); ++t) {
        const int channel = run_.tracks[t].trackchannel;
        if (channel == MidiRead::NOCHANNEL) {
            copies += TrackBytes(t);
            continue;
        }
        merged += TrackBytes(t);
        if (channel == MidiRead::MULTICHANNEL ||
            (channel >= 0 && s_.KeyMergeChannels[static_cast<size_t>(channel)] == 0))
            copies += TrackBytes(t) * (1 + run_.tracks[t].programs);
    }
    if (format_ == 0 && !run_.tracks.empty() && run_.tracks[0].trackchannel != MidiRead::NOCHANNEL)
        copies += TrackBytes(0);  // the conductor's copy
    const auto keys =
        std::count_if(run_.DrumKeysUsed.begin(), run_.DrumKeysUsed.end(), [](int32_t k) { return k != 0; });
    run_.workDone = s_.TotalTrackBytes;
    run_.workTotal = s_.TotalTrackBytes + copies + keys * merged;
    mergedBytes_ = merged;
    run_.ShowProgress();
}

bool Splitter::CopyWholeTracks() {
    s_.KeyFilter = s_.ProgramFilter = s_.ChannelFilter = -1;
    for (size_t t = 0; t < run_.tracks.size(); ++t) {
        if (run_.tracks[t].trackchannel != MidiRead::NOCHANNEL || !run_.trackread[t]) continue;
        if (!CopyTrack(t)) return false;
        run_.trackread[t].reset();
    }
    return true;
}

bool Splitter::CopyConductorTrack() {
    if (format_ != 0 || run_.writer->TrackCount() != 0 || run_.trackread.empty() || !run_.trackread[0])
        return true;
    // Filters no channel message passes: the meta, system and exclusive events remain.
    s_.ChannelFilter = 16;
    s_.KeyFilter = 128;
    s_.ProgramFilter = 128;
    return CopyTrack(0);
}

bool Splitter::CopyProgramTracks() {
    for (size_t t = 0; t < run_.tracks.size(); ++t) {
        const int channel = run_.tracks[t].trackchannel;
        if (!run_.trackread[t]) continue;
        if (channel != MidiRead::MULTICHANNEL &&
            (channel < 0 || s_.KeyMergeChannels[static_cast<size_t>(channel)] != 0))
            continue;
        // Re-reading the track alone refills the programs it plays.
        scan_->SeekRead(run_.tracks[t].trackpos - 8);
        run_.reading = scan_.get();
        run_.readingFrom = run_.tracks[t].trackpos;
        const int read = scan_->ReadTrack(static_cast<int>(t) + 1);
        run_.reading = nullptr;
        run_.workDone += TrackBytes(t);
        if (read == 0 || run_.stopped) return false;
        const auto used = run_.ProgramsUsed;
        s_.trackno = static_cast<int32_t>(t);
        for (int c = 0; c < 16; ++c) {
            if (c == s_.TargetChannel) continue;
            for (int p = 0; p < 128; ++p) {
                if (used[static_cast<size_t>(c)][static_cast<size_t>(p)] == 0) continue;
                run_.ClearNotesOn();
                s_.ChannelFilter = c;
                s_.KeyFilter = -1;
                s_.ProgramFilter = p;
                if (!CopyTrack(t)) return false;
            }
        }
    }
    return true;
}

void Splitter::PrepareMerge() {
    s_.ProgramFilter = -1;
    s_.ChannelFilter = s_.TargetChannel;
    s_.FirstDeltaBytes = 0;
    run_.trackctrl.assign(run_.tracks.size(), {});
    for (size_t t = 0; t < run_.tracks.size(); ++t) {
        if (!run_.trackread[t]) continue;
        TrackEntry& e = run_.tracks[t];
        MidiCopySelectedEvents& r = *run_.trackread[t];
        r.SeekRead(e.trackpos);
        e.firsttrackpos = e.trackpos;
        e.firsttracktime = -1;
        if (e.trackpos >= e.trackend) continue;
        const uint32_t delta = r.ReadVarLen();
        s_.FirstDeltaBytes += r.ReadPos - e.trackpos;
        e.firsttrackpos = r.ReadPos;
        const uint8_t* next = r.ReadPos < e.trackend ? r.Peek(2) : nullptr;
        // The reader stops a track at its end-of-track event and at a pause it cannot represent.
        if (delta < kLargePause && r.ReadPos < e.trackend &&
            !(next && platform::midi::StartsEndOfTrack(next, 2)))
            e.firsttracktime = delta;
    }
}

void Splitter::Progress() {
    const int64_t total = s_.TotalTrackBytes;
    const int percent =
        s_.BytesDone <= 0 || total <= 0
            ? 0
            : static_cast<int>(static_cast<uint64_t>(s_.BytesDone) * 100u / static_cast<uint64_t>(total));
    if (percent == s_.LastPercent) return;
    s_.LastPercent = percent;
    if (ctx_.progress != nullptr) std::fprintf(ctx_.progress, "%d%%\r", percent);
}

bool Splitter::ReadNextEvent(size_t e) {
    TrackEntry& t = run_.tracks[e];
    MidiCopySelectedEvents& r = *run_.trackread[e];
    r.SeekRead(t.trackpos);
    r.TrackEnded = false;
    if (r.ReadEvent(t.trackend) <= 0 || Failed(r)) {
        if (!run_.stopped) r.OnError("unexpected end of file");
        return false;
    }
    if (r.TrackEnded || r.ReadPos >= t.trackend) {
        t.tracktime = -1;
        return true;
    }
    const uint32_t delta = r.ReadVarLen();
    if (Failed(r)) return false;
    t.trackpos = r.ReadPos;
    const uint8_t* next = r.ReadPos < t.trackend ? r.Peek(2) : nullptr;
    if (delta >= kLargePause || r.ReadPos >= t.trackend ||
        (next && platform::midi::StartsEndOfTrack(next, 2)))
        t.tracktime = -1;
    else
        t.tracktime += delta;
    return true;
}

bool Splitter::MergeKey(int key) {
    midifile::MidiWrite& w = *run_.writer;
    s_.KeyFilter = key;
    run_.ClearNotesOn();
    w.StartTrack();
    for (size_t t = 0; t < run_.tracks.size(); ++t) {
        if (!run_.trackread[t]) continue;
        run_.tracks[t].tracktime = run_.tracks[t].firsttracktime;
        run_.tracks[t].trackpos = run_.tracks[t].firsttrackpos;
        run_.trackread[t]->RunningStatus = -1;
        run_.trackctrl[t].fill(-1);
    }
    s_.BytesDone = s_.FirstDeltaBytes;
    run_.MergedControllers.fill(-1);
    run_.mergedMask[0] = run_.mergedMask[1] = 0;
    int64_t lastTime = 0;
    int64_t last = -1;
    const int64_t keyStart = run_.workDone;
    // The tracks by the time of their next event, equal times by track. No track's next event
    // lies before the last one written, so the earliest is the one at the time last written
    // whenever there is one: the lowest track at the earliest time is always the next.
    using Next = std::pair<int64_t, size_t>;  // tick of the next event, track
    std::vector<Next> queue;
    queue.reserve(run_.tracks.size());
    for (size_t t = 0; t < run_.tracks.size(); ++t)
        if (run_.trackread[t] && run_.tracks[t].tracktime >= 0)
            queue.emplace_back(run_.tracks[t].tracktime, t);
    std::make_heap(queue.begin(), queue.end(), std::greater<>());
    for (;;) {
        Progress();
        if ((++run_.events & 255u) == 0) run_.ShowProgress(s_.BytesDone - s_.FirstDeltaBytes);
        if (queue.empty()) break;
        std::pop_heap(queue.begin(), queue.end(), std::greater<>());
        const int64_t e = static_cast<int64_t>(queue.back().second);
        queue.pop_back();
        const size_t ue = static_cast<size_t>(e);
        TrackEntry& te = run_.tracks[ue];
        s_.trackno = static_cast<int32_t>(e);
        if (e != last && last >= 0) {
            // Controllers the new source track holds at other values than those last written.
            for (uint64_t word = 0; word < 2; ++word)
                for (uint64_t bits = run_.mergedMask[word]; bits != 0; bits &= bits - 1) {
                    const size_t c = word * 64 + static_cast<size_t>(__builtin_ctzll(bits));
                    const int32_t merged = run_.MergedControllers[c];
                    const int32_t mine = run_.trackctrl[ue][c];
                    if (merged < 0 || mine < 0 || merged == mine) continue;
                    w.AddDelta(Delta(te.tracktime - lastTime));
                    w.WriteControlChange(s_.TargetChannel, static_cast<int>(c), mine);
                    run_.MergedControllers[c] = mine;
                    lastTime = te.tracktime;
                }
        }
        s_.BytesDone -= te.trackpos;
        w.AddDelta(Delta(te.tracktime - lastTime));
        lastTime = te.tracktime;
        if (!ReadNextEvent(ue)) return false;
        last = e;
        s_.BytesDone += te.trackpos;
        if (te.tracktime >= 0) {
            queue.emplace_back(te.tracktime, ue);
            std::push_heap(queue.begin(), queue.end(), std::greater<>());
        }
    }
    w.CloseTrack();
    run_.workDone = keyStart + mergedBytes_;
    return true;
}

int Splitter::Run() {
    std::remove(s_.SplitPath.c_str());
    std::remove(kDumpFileName);
    s_.TotalTrackBytes = 0;
    s_.BytesDone = 0;
    s_.LastPercent = -1;
    s_.trackno = -1;

    scan_ = std::make_unique<MidiScanUsedPrograms>(s_.InputPath.c_str(), run_);
    if (scan_->FileHandle() == nullptr) {
        ImportBox(ctx_, "FILE ERROR - INPUT:", "ERROR");
        s_.FileError = 1;
        s_.InstrumentMode = 1;
        return 0;
    }
    if (scan_->ReadAll() == 0 || run_.stopped) {
        if (!run_.stopped) run_.FileErrorBox("FILE ERROR - ABORTING:");
        return 0;
    }
    scan_->firstPass = false;
    format_ = scan_->Format();
    PlanProgress();
    ctx_.pages.processMessages();

    if (std::none_of(run_.DrumKeysUsed.begin(), run_.DrumKeysUsed.end(), [](int32_t k) { return k != 0; }))
        ImportBox(ctx_, "NO DRUMS FOUND", "INFORMATION");

    run_.trackread.resize(run_.tracks.size());
    for (auto& r : run_.trackread) {
        r = std::make_unique<MidiCopySelectedEvents>(s_.InputPath.c_str(), scan_->FileHandle(), run_);
        r->ReadHeader();  // sets the reader's bounds to the file
    }

    SplitWriter writer(s_.SplitPath.c_str());
    if (writer.FileHandle() == nullptr) {
        writer.Close();
        AbortWithBox(ctx_, "OUT OF MEMORY");
        return 1;
    }
    run_.writer = &writer;
    writer.WriteHeader(1, 0, scan_->Division());

    run_.merging = false;
    if (!CopyWholeTracks() || !CopyConductorTrack() || !CopyProgramTracks()) {
        FinishEarly(run_, &writer);
        return 0;
    }
    PrepareMerge();
    run_.merging = true;
    for (int key = 0; key < 128; ++key) {
        if (run_.DrumKeysUsed[static_cast<size_t>(key)] == 0) continue;
        if (!MergeKey(key)) {
            FinishEarly(run_, &writer);
            return 0;
        }
    }
    run_.merging = false;
    run_.ShowProgress();
    s_.KeyFilter = 128;
    if (ctx_.progress != nullptr) std::fflush(ctx_.progress);
    const bool written = writer.Close();
    run_.writer = nullptr;
    if (!written) {
        std::remove(s_.SplitPath.c_str());
        AbortWithBox(ctx_, "OUT OF MEMORY");
        return 1;
    }
    return 0;
}

}  // namespace

int SplitMidiFile(ImportContext& ctx) {
    SplitRun run(ctx);
    Splitter splitter(ctx, run);
    const int result = splitter.Run();
    // The pass-2 readers go before pass 1, whose file they read.
    run.trackread.clear();
    return result;
}

}  // namespace midiimport
