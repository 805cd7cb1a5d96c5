// The built-in synth's levels on rendered audio, with the settings the program's synth has: a
// dense 16-channel General MIDI song written by the program's MIDI writer (or the MIDI files
// named on the command line), and single drum hits at the drum pattern's velocity. For each:
// the peak sample, in full scale and in dBFS, and how many samples reached full scale (clipped
// by the sound card). One figure per line.
// Usage: synth_levels_bench [--seconds N (dense song, default 10)] [file.mid ...]
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/synth_levels.h"

namespace {

bool Report(const std::string& label, const std::string& path, double seconds) {
    player::Song song;
    std::string error;
    if (!player::LoadSong(path, song, error)) {
        std::printf("%s read_failed %s\n", label.c_str(), error.c_str());
        return false;
    }
    platform::BuiltinSynth synth(platform::BuiltinSynth::Audio::None);
    if (!synth.hasSoundFont()) {
        std::printf("no_soundfont\n");
        return false;
    }
    const testsupport::AudioLevels l = testsupport::RenderSongLevels(synth, song, seconds);
    std::printf("%s peak %.3f\n", label.c_str(), static_cast<double>(l.peak));
    std::printf("%s peak_dbfs %.1f\n", label.c_str(),
                20.0 * std::log10(std::max(1e-9, static_cast<double>(l.peak))));
    std::printf("%s clipped_samples %zu\n", label.c_str(), l.clipped);
    std::printf("%s seconds %.1f\n", label.c_str(), seconds);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 10;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else
            files.push_back(argv[i]);
    }
    bool ok = true;
    const std::string folder = "/tmp/synth_levels_" + std::to_string(getpid());
    std::string dense = folder + "_dense.mid";
    if (files.empty()) {
        if (!testsupport::WriteDenseGmSong(dense, seconds)) return 1;
        ok &= Report("dense_gm_song", dense, seconds);
        std::remove(dense.c_str());
        for (auto [key, name] : {std::pair{36, "kick"}, {38, "snare"}, {42, "closed_hihat"}, {49, "crash"}}) {
            const std::string one = folder + "_" + name + ".mid";
            if (!testsupport::WriteSingleDrum(one, key, 96)) return 1;
            ok &= Report(std::string("drum_") + name, one, 2.0);
            std::remove(one.c_str());
        }
    }
    for (const std::string& f : files) ok &= Report(f, f, 10.0);
    return ok ? 0 : 1;
}
