// ReadAll throughput on a generated format-1 file of at least 50 MB (16 tracks of notes under
// running status, controllers, pitch bend, metas and exclusive messages), in both buffer modes,
// with a reader that overrides nothing. Prints one figure per line.
// Usage: midifile_read_bench [file size in MB, default 56] [repetitions, default 5]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"

namespace {

class NoOpReader : public midifile::MidiRead {
public:
    using MidiRead::MidiRead;
};

// Writes the file; returns the number of events (delta + event pairs) in it.
uint64_t Generate(const char* path, int64_t targetBytes) {
    midifile::MidiWrite w(path);
    constexpr int kTracks = 16;
    w.WriteHeader(1, kTracks, 480);
    uint64_t events = 0;
    const int64_t perTrack = targetBytes / kTracks;
    const uint8_t sysex[] = {0x43, 0x10, 0x4C, 0x02, 0x01, 0x40, 0x00, 0xF7};
    for (int t = 0; t < kTracks; ++t) {
        w.StartTrack();
        const int64_t trackStart = w.midilength();
        const int channel = t;
        w.WriteText(3, "Track " + std::to_string(t + 1));
        w.WriteProgramChange(channel, t * 7 % 128);
        events += 2;
        for (uint32_t i = 0; w.midilength() - trackStart < perTrack; ++i) {
            const int key = 36 + static_cast<int>(i % 48);
            w.AddDelta(i % 4 == 0 ? 0 : 10);
            w.WriteNoteOn(channel, key, 100);
            w.AddDelta(20);
            w.WriteNoteOff(channel, key, 0);  // a note-on under running status
            events += 2;
            if (i % 32 == 31) {
                w.AddDelta(1);
                w.WriteControlChange(channel, i % 64 == 63 ? 10 : 7, static_cast<int>(i % 128));
                w.AddDelta(1);
                w.WritePitchBend(channel, static_cast<int>(i * 37 % 16384));
                events += 2;
            }
            if (i % 1024 == 1023) {
                w.AddDelta(0);
                if (t == 0)
                    w.WriteTempo(400000 + i % 200000);
                else
                    w.WriteText(6, "marker");
                w.AddDelta(0);
                w.WriteSysex(sizeof sysex, sysex);
                events += 2;
            }
        }
    }
    if (!w.Close()) {
        std::fprintf(stderr, "could not write %s\n", path);
        std::exit(1);
    }
    return events + kTracks;  // each track's end-of-track event
}

double BestSeconds(const char* path, int mode, int repetitions) {
    NoOpReader reader(path, nullptr, mode);
    double best = 1e30;
    for (int r = 0; r < repetitions; ++r) {
        const auto start = std::chrono::steady_clock::now();
        const int ok = reader.ReadAll();
        const auto end = std::chrono::steady_clock::now();
        if (ok != 1) {
            std::fprintf(stderr, "ReadAll failed in mode %d\n", mode);
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double>(end - start).count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int64_t megabytes = argc > 1 ? std::atoll(argv[1]) : 56;
    const int repetitions = argc > 2 ? std::atoi(argv[2]) : 5;
    const std::string path = "/tmp/quintora_read_bench_" + std::to_string(::getpid()) + ".mid";
    const uint64_t events = Generate(path.c_str(), megabytes * 1000 * 1000);
    NoOpReader sized(path.c_str(), nullptr, midifile::MidiBuffer::WindowRead);
    const double bytes = static_cast<double>(sized.midilength());
    std::printf("file_bytes %.0f\n", bytes);
    std::printf("events %llu\n", static_cast<unsigned long long>(events));
    for (int mode : {midifile::MidiBuffer::WholeFileRead, midifile::MidiBuffer::WindowRead}) {
        const double s = BestSeconds(path.c_str(), mode, repetitions);
        const char* name = mode == midifile::MidiBuffer::WholeFileRead ? "whole_file" : "window";
        std::printf("%s_events_per_s %.0f\n", name, static_cast<double>(events) / s);
        std::printf("%s_mb_per_s %.1f\n", name, bytes / s / 1e6);
    }
    std::remove(path.c_str());
    return 0;
}
