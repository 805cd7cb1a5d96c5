// The MIDI import's whole chain, as a player runs it on one file: a drum import (split, dump of
// channel 10, load, parse of eight bars) and an instrument import (split, then dump, load and parse
// of the first four melodic channels as piano, strings, brass and bass). Over every MIDI file named
// on the command line, or, with none, over generated 16-track songs of 3, 6 and 12 minutes (the
// 3-minute one is the yardstick; the others show how the time grows with the file's size) and a
// generated 64-track song of some 3.7 MB, the size of the largest real files.
// Prints one figure per line, each file's figures after a "file" line; times are the best of the
// repetitions.
// Usage: import_chain_bench [--repetitions N (default 7)] [file.mid ...]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/import/support/song.h"
#include "tests/import/support/stage_rig.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// A song of `minutes` at 120 beats a minute in 4/4, division 480: a conductor, three drum tracks
// (kick and snare, hi-hats in sixteenths, toms and cymbals) and twelve melodic tracks on their own
// channels, each with a program change half-way, controller sweeps, pitch bends and eighth notes.
// `large` makes it a song as big as the largest real ones: 64 tracks (seven of drums, the melodic
// ones sharing channels) with dense controller and bend data.
void Generate(const std::string& path, int minutes, bool large = false) {
    constexpr int kBar = 4 * 480;
    const int bars = minutes * 120 / 4;
    importtest::Track conductor, kick, hats, toms;
    conductor.name("Generated").tempo(0, 500000).meter(0, 4, 4);
    for (int b = 0; b < bars; ++b) {
        const int64_t at = int64_t{b} * kBar;
        kick.note(at, 9, 36, 110, 60).note(at + 960, 9, 36, 100, 60);
        kick.note(at + 480, 9, 38, 100, 60).note(at + 1440, 9, 38, 104, 60);
        for (int s = 0; s < 16; ++s) hats.note(at + s * 120, 9, s % 4 == 0 ? 46 : 42, 60 + s, 30);
        if (b % 4 == 3) toms.note(at + 1440, 9, 45, 90, 60).note(at + 1680, 9, 48, 90, 60);
        if (b % 8 == 0) toms.note(at, 9, 49, 120, 240);
    }
    std::vector<importtest::Track> tracks = {conductor, kick, hats, toms};
    if (large) {
        // Percussion, ghost notes, shakers and a second kit on the drum channel.
        for (int d = 0; d < 4; ++d) {
            importtest::Track t;
            t.name("Percussion " + std::to_string(d + 1));
            for (int b = 0; b < bars; ++b)
                for (int s = 0; s < 16; s += 1 + d % 2)
                    t.note(int64_t{b} * kBar + s * 120, 9, 50 + d * 3 + s % 3, 40 + s * 4, 50);
            tracks.push_back(t);
        }
    }
    const int melodic = large ? 56 : 12;
    const int controllerSteps = large ? 34 : 1;  // controller and bend events a bar
    const int channels[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < melodic; ++i) {
        importtest::Track t;
        const int ch = channels[i % 15];
        const int program = (i * 8) % 120;
        t.name("Part " + std::to_string(i + 1)).program(0, ch, program).cc(0, ch, 7, 100).cc(0, ch, 10, 64);
        t.program(int64_t{bars / 2} * kBar, ch, program + 1);
        for (int b = 0; b < bars; ++b) {
            const int64_t at = int64_t{b} * kBar;
            for (int c = 0; c < controllerSteps; ++c) {
                const int64_t when = at + c * kBar / controllerSteps;
                t.cc(when, ch, 1, (b * 5 + c) % 128).at(when + 60, [ch, b, c](midifile::MidiWrite& w) {
                    w.WritePitchBend(ch, 8192 + ((b + c) % 16) * 64);
                });
            }
            for (int e = 0; e < 8; ++e)
                t.note(at + e * 240, ch, 40 + (i * 3) % 48 + (b + e) % 12, 70 + e, 200);
        }
        tracks.push_back(t);
    }
    if (!importtest::WriteSong(path, 1, 480, tracks)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

int CountHits(const app::ProgramState& state) {
    int n = 0;
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < drums::kEditableDrums; ++d) n += state.drums.DrumPattern[s][d] != 0 ? 1 : 0;
    return n;
}

int CountNotes(const app::ProgramState& state) {
    int n = 0;
    for (const auto& table : state.live.parts.PartSteps)
        for (const auto& e : table) n += e.note != 0 ? 1 : 0;
    return n;
}

struct Result {
    double drumMs = 1e300, partMs = 1e300;
    int hits = 0, notes = 0, tracks = 0, splitTracks = 0;
    bool failed = false;
};

class TracksIn final : public midifile::MidiRead {
  public:
    explicit TracksIn(const char* path) : MidiRead(path, nullptr, WindowRead) {
        EventMask = MaskSkipTrackBodies;
        if (FileHandle() != nullptr && ReadHeader() != 0) count = MidiRead::TrackCount();
    }
    void OnError(const char*) override {}
    int count = 0;
};

// Channels other than the drums' that sound in "$$$$", in order, at most four.
std::vector<int> MelodicChannels(const char* path) {
    struct Channels final : midifile::MidiRead {
        explicit Channels(const char* p) : MidiRead(p, nullptr, WindowRead) {}
        void OnError(const char*) override {}
        void OnNoteOn(int channel, int, int) override { used[static_cast<size_t>(channel)] = true; }
        bool used[16] = {};
    } reader(path);
    if (reader.FileHandle() != nullptr) reader.ReadAll();
    std::vector<int> out;
    for (int c = 0; c < 16 && out.size() < 4; ++c)
        if (c != midiimport::kDrumChannel && reader.used[c]) out.push_back(c);
    return out;
}

void RunOnce(const std::string& path, Result& r) {
    {
        auto rig = std::make_unique<importfuzz::Rig>();
        const auto start = Clock::now();
        if (rig->Split(path) && rig->Convert(midiimport::kDrumChannel, true))
            midiimport::ParseImportDump(rig->ctx);
        r.drumMs =
            std::min(r.drumMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        r.hits = CountHits(rig->state);
        r.failed = r.failed || rig->import.split.FileError != 0;
    }
    {
        auto rig = std::make_unique<importfuzz::Rig>();
        const auto start = Clock::now();
        if (rig->Split(path)) {
            int part = 1;
            for (int channel : MelodicChannels(midiimport::kSplitFileName)) {
                if (!rig->Convert(channel, false)) continue;
                rig->import.dump.ImportPart = static_cast<std::uint8_t>(part++);
                midiimport::ParseImportDump(rig->ctx);
            }
        }
        r.partMs =
            std::min(r.partMs, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        r.notes = CountNotes(rig->state);
        r.splitTracks = TracksIn(midiimport::kSplitFileName).count;
    }
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 7;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc)
            repetitions = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(fs::absolute(argv[i]).string());
    }
    const fs::path scratch =
        fs::temp_directory_path() / ("quintora_import_bench_" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    fs::current_path(scratch);
    if (files.empty()) {
        for (int minutes : {3, 6, 12}) {
            const std::string name =
                (scratch / ("generated_" + std::to_string(minutes) + "min.mid")).string();
            Generate(name, minutes);
            files.push_back(name);
        }
        const std::string large = (scratch / "generated_64tracks.mid").string();
        Generate(large, 6, true);
        files.push_back(large);
    }
    int status = 0;
    for (const std::string& file : files) {
        Result r;
        r.tracks = TracksIn(file.c_str()).count;
        for (int i = 0; i < repetitions; ++i) RunOnce(file, r);
        const auto bytes = fs::exists(file) ? fs::file_size(file) : 0;
        std::printf("file %s\n", file.c_str());
        std::printf("bytes %llu\n", static_cast<unsigned long long>(bytes));
        std::printf("tracks %d\n", r.tracks);
        std::printf("split tracks %d\n", r.splitTracks);
        std::printf("drum import ms %.2f\n", r.drumMs);
        std::printf("drum hits %d\n", r.hits);
        std::printf("instrument import ms %.2f\n", r.partMs);
        std::printf("part notes %d\n", r.notes);
        std::printf("whole chain ms %.2f\n", r.drumMs + r.partMs);
        std::printf("ms per 100 KB %.2f\n",
                    bytes > 0 ? (r.drumMs + r.partMs) * 102400.0 / static_cast<double>(bytes) : 0.0);
        if (r.failed) {
            std::printf("file error\n");
            status = 1;
        }
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(scratch);
    return status;
}
