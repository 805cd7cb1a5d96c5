// ReadAll throughput in both buffer modes, with a reader that overrides nothing: on two generated
// files and on every MIDI file named on the command line. The first generated file is a format-1
// song (16 tracks of notes under running status, controllers, pitch bend, metas and exclusive
// messages); the second is 8 MB of notes among exclusive messages and escape packets, the shape
// that makes the window move most often. Prints one figure per line, each file's figures after a
// "file" line.
// Usage: midifile_read_bench [--size MB (default 56)] [--repetitions N (default 5)] [file.mid ...]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"

namespace {

class NoOpReader : public midifile::MidiRead {
  public:
    using MidiRead::MidiRead;
    void OnWarning(const char*) override {}
};

// Counts events the way the generator does: one per delta time read.
class CountingReader : public midifile::MidiRead {
  public:
    using MidiRead::MidiRead;
    uint64_t events = 0;
    void OnDeltaTime(uint32_t) override { ++events; }
    void OnWarning(const char*) override {}
};

void Generate(const char* path, int64_t targetBytes) {
    midifile::MidiWrite w(path);
    constexpr int kTracks = 16;
    w.WriteHeader(1, kTracks, 480);
    const int64_t perTrack = targetBytes / kTracks;
    const uint8_t sysex[] = {0x43, 0x10, 0x4C, 0x02, 0x01, 0x40, 0x00, 0xF7};
    for (int t = 0; t < kTracks; ++t) {
        w.StartTrack();
        const int64_t trackStart = w.midilength();
        const int channel = t;
        w.WriteText(3, "Track " + std::to_string(t + 1));
        w.WriteProgramChange(channel, t * 7 % 128);
        for (uint32_t i = 0; w.midilength() - trackStart < perTrack; ++i) {
            const int key = 36 + static_cast<int>(i % 48);
            w.AddDelta(i % 4 == 0 ? 0 : 10);
            w.WriteNoteOn(channel, key, 100);
            w.AddDelta(20);
            w.WriteNoteOff(channel, key, 0);  // a note-on under running status
            if (i % 32 == 31) {
                w.AddDelta(1);
                w.WriteControlChange(channel, i % 64 == 63 ? 10 : 7, static_cast<int>(i % 128));
                w.AddDelta(1);
                w.WritePitchBend(channel, static_cast<int>(i * 37 % 16384));
            }
            if (i % 1024 == 1023) {
                w.AddDelta(0);
                if (t == 0)
                    w.WriteTempo(400000 + i % 200000);
                else
                    w.WriteText(6, "marker");
                w.AddDelta(0);
                w.WriteSysex(sizeof sysex, sysex);
            }
        }
    }
    if (!w.Close()) {
        std::fprintf(stderr, "could not write %s\n", path);
        std::exit(1);
    }
}

void GenerateExclusiveHeavy(const char* path, int64_t targetBytes) {
    midifile::MidiWrite w(path);
    w.WriteHeader(0, 1, 480);
    w.StartTrack();
    uint8_t data[30];
    for (int i = 0; i < 30; ++i) data[i] = static_cast<uint8_t>(i);
    for (uint32_t i = 0; w.midilength() < targetBytes; ++i) {
        w.AddDelta(5);
        w.WriteNoteOn(0, 36 + static_cast<int>(i % 48), 100);
        w.AddDelta(5);
        w.WriteExclusive(i % 3 == 0 ? 0xF7 : 0xF0, sizeof data, data);
    }
    if (!w.Close()) {
        std::fprintf(stderr, "could not write %s\n", path);
        std::exit(1);
    }
}

// The best of the repetitions, or a negative value when the file does not read.
double BestSeconds(const char* path, int mode, int repetitions) {
    NoOpReader reader(path, nullptr, mode);
    double best = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const int ok = reader.ReadAll();
        const auto end = std::chrono::steady_clock::now();
        if (ok != 1) return -1;
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

// Returns false when the file does not read cleanly.
bool Measure(const char* path, const char* label, int repetitions) {
    std::printf("file %s\n", label);
    CountingReader counter(path, nullptr, midifile::MidiBuffer::WholeFileRead);
    if (counter.ReadAll() != 1) {
        std::printf("read_failed 1\n");
        return false;
    }
    const double bytes = static_cast<double>(counter.midilength());
    const double events = static_cast<double>(counter.events);
    std::printf("file_bytes %.0f\n", bytes);
    std::printf("events %llu\n", static_cast<unsigned long long>(counter.events));
    double seconds[2] = {0, 0};
    for (int mode : {midifile::MidiBuffer::WholeFileRead, midifile::MidiBuffer::WindowRead}) {
        const double s = BestSeconds(path, mode, repetitions);
        const char* name = mode == midifile::MidiBuffer::WholeFileRead ? "whole_file" : "window";
        if (s <= 0) {
            std::printf("%s_read_failed 1\n", name);
            return false;
        }
        seconds[mode == midifile::MidiBuffer::WholeFileRead ? 0 : 1] = s;
        std::printf("%s_events_per_s %.0f\n", name, events / s);
        std::printf("%s_mb_per_s %.1f\n", name, bytes / s / 1e6);
    }
    std::printf("window_time_vs_whole_file %.2f\n", seconds[1] / seconds[0]);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int64_t megabytes = 56;
    int repetitions = 5;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            megabytes = std::atoll(argv[++i]);
        } else if (std::strcmp(argv[i], "--repetitions") == 0 && i + 1 < argc) {
            repetitions = std::max(1, std::atoi(argv[++i]));
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "usage: %s [--size MB] [--repetitions N] [file.mid ...]\n", argv[0]);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    const std::string generated = "/tmp/quintora_read_bench_" + std::to_string(::getpid()) + ".mid";
    Generate(generated.c_str(), megabytes * 1000 * 1000);
    const std::string label = "generated song (" + std::to_string(megabytes) + " MB target)";
    bool ok = Measure(generated.c_str(), label.c_str(), repetitions);
    GenerateExclusiveHeavy(generated.c_str(), 8 * 1000 * 1000);
    ok = Measure(generated.c_str(), "generated exclusive-heavy (8 MB)", repetitions) && ok;
    std::remove(generated.c_str());
    for (const char* f : files) ok = Measure(f, f, repetitions) && ok;
    return ok ? 0 : 1;
}
