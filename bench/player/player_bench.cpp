// The MIDI file player on the real clock through a recording output: for each MIDI file named
// on the command line (a generated 16-track song when none is), the length it reports, how late
// each message left against its time on the tempo map (p50, p99, max in microseconds), and the
// CPU time the playing cost. Playing takes as long as the files last. One figure per line.
// Lateness is measured from the moment the device was opened, just before the clock starts, so
// it errs on the late side.
// Usage: player_bench [--seconds N (generated song, default 20)] [file.mid ...]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "midifile/MidiWrite.h"
#include "platform/clock.h"
#include "platform/midi_out.h"
#include "platform/testing/recording_output.h"
#include "player/midi_file_player.h"
#include "player/player_clock.h"
#include "player/song.h"

namespace {

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A format-1 song: a tempo track that moves between 100 and 150 beats a minute, fifteen
// instrument tracks of chords, runs, controllers and bends, and a drum track.
bool GenerateSong(const std::string& path, int seconds) {
    constexpr int kDivision = 480;
    constexpr int kTracks = 16;
    const int quarters = seconds * 2;  // about two beats a second
    midifile::MidiWrite w(path.c_str());
    w.WriteHeader(1, kTracks, kDivision);
    w.StartTrack();
    for (int q = 0; q < quarters; q += 8) {
        w.WriteTempo(q % 16 == 0 ? 500000 : (q % 24 == 8 ? 400000 : 600000));
        w.AddDelta(8 * kDivision);
    }
    for (int t = 1; t < kTracks; ++t) {
        const int channel = t <= 9 ? t - 1 : t;  // channel 10 is the drums'
        w.StartTrack();
        w.WriteProgramChange(channel, (t * 8) % 128);
        w.WriteControlChange(channel, 7, 90);
        for (int step = 0; step < quarters * 2; ++step) {
            const int key = 36 + (t * 5 + step * 7) % 48;
            w.WriteNoteOn(channel, key, 60 + step % 40);
            if (t % 3 == 0) w.WriteNoteOn(channel, key + 4, 60);
            w.AddDelta(kDivision / 4);
            if (step % 4 == 0) w.WriteControlChange(channel, 1, step % 128);
            if (t % 4 == 1) w.WritePitchBend(channel, 8192 + (step % 64) * 32);
            w.AddDelta(kDivision / 4);
            w.WriteNoteOff(channel, key, 0);
            if (t % 3 == 0) w.WriteNoteOff(channel, key + 4, 0);
        }
    }
    w.StartTrack();
    for (int step = 0; step < quarters * 4; ++step) {
        w.WriteNoteOn(9, 42, 70);
        if (step % 8 == 0) w.WriteNoteOn(9, 36, 100);
        if (step % 8 == 4) w.WriteNoteOn(9, 38, 90);
        w.AddDelta(kDivision / 4);
        w.WriteNoteOff(9, 42, 0);
        if (step % 8 == 0) w.WriteNoteOff(9, 36, 0);
        if (step % 8 == 4) w.WriteNoteOff(9, 38, 0);
    }
    return w.Close();
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

bool Measure(const std::string& path, const std::string& label) {
    std::printf("file %s\n", label.c_str());
    player::Song song;
    std::string error;
    if (!player::LoadSong(path, song, error)) {
        std::printf("read_failed %s\n", error.c_str());
        return false;
    }
    platform::SystemClock systemClock;
    auto log = std::make_shared<platform::testing::OutputLog>();
    platform::MidiOutRegistry registry(
        std::make_unique<platform::testing::RecordingOutput>(log, systemClock));
    player::SteadyPlayerClock clock;
    player::MidiFilePlayer player(registry, clock);
    if (!player.Open(path, platform::MIDI_MAPPER)) {
        std::printf("open_failed %s\n", player.LastError().c_str());
        return false;
    }
    std::printf("length_ms %llu\n", static_cast<unsigned long long>(player.LengthMs()));
    std::printf("events %zu\n", song.events.size());

    const double cpuBefore = ProcessCpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    if (player.Play() != platform::MMSYSERR_NOERROR) {
        std::printf("play_failed %s\n", player.LastError().c_str());
        return false;
    }
    player.WaitUntilStopped(std::chrono::milliseconds(player.LengthMs() + 60000));
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();

    const auto events = log->events();
    double openMs = 0;
    std::vector<double> lateness;
    size_t next = 0;
    for (const auto& e : events) {
        if (e.kind == platform::testing::OutputEvent::Kind::Open) openMs = e.ms;
        if (e.kind != platform::testing::OutputEvent::Kind::Short || next >= song.events.size()) continue;
        lateness.push_back((e.ms - openMs) * 1000.0 - static_cast<double>(song.events[next++].timeUs));
    }
    std::printf("sent %zu\n", next);
    std::printf("lateness_p50_us %.0f\n", Percentile(lateness, 0.50));
    std::printf("lateness_p99_us %.0f\n", Percentile(lateness, 0.99));
    std::printf("lateness_max_us %.0f\n",
                lateness.empty() ? 0.0 : *std::max_element(lateness.begin(), lateness.end()));
    std::printf("player_cpu_ms %.1f\n", cpu * 1000.0);
    std::printf("player_cpu_percent_of_core %.3f\n", wall > 0 ? 100.0 * cpu / wall : 0.0);
    return next == song.events.size();
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 20;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::max(1, std::atoi(argv[++i]));
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr, "usage: %s [--seconds N] [file.mid ...]\n", argv[0]);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    bool ok = true;
    if (files.empty()) {
        const std::string path = "/tmp/quintora_player_bench_" + std::to_string(::getpid()) + ".mid";
        if (!GenerateSong(path, seconds)) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            return 1;
        }
        ok = Measure(path, "generated 16-track song");
        std::remove(path.c_str());
    }
    for (const auto& f : files) ok = Measure(f, f) && ok;
    return ok ? 0 : 1;
}
