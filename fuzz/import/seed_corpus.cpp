// Writes the seed corpora of the import's fuzz targets with the project's own writer and stages:
// small songs for import_chain_fuzzer, and their dumps (drums and piano, behind the control byte)
// for import_dump_fuzzer. Usage: import_seed_corpus <chain folder> <dump folder>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/import/support/song.h"
#include "tests/import/support/stage_rig.h"

using importtest::Track;

namespace {

struct Seed {
    const char* name;
    int format;
    int division;
    std::vector<Track> tracks;
};

std::vector<Seed> Seeds() {
    Track conductor, drums, drums2, piano, bass, all, sparse, crossing, wideDrums, widePiano;
    conductor.name("Song").tempo(0, 600000).meter(0, 4, 4).meter(1920, 3, 4).gmOn(0);
    for (int b = 0; b < 8; ++b) drums.note(b * 480, 9, 36, 100, 30).note(b * 480 + 240, 9, 42, 70, 20);
    drums2.cc(0, 9, 7, 90).note(120, 9, 38, 90, 30).note(600, 9, 38, 91, 30);
    piano.program(0, 0, 0).note(0, 0, 60, 80, 120).note(720, 0, 62, 81, 360).program(960, 0, 4);
    piano.note(960, 0, 64, 82, 120);
    bass.program(0, 2, 33).note(0, 2, 36, 110, 60).note(360, 2, 40, 100, 240);
    for (const Track* t : {&conductor, &drums, &drums2, &piano, &bass}) all.merge(*t);
    for (int bar : {1, 3, 5, 7}) sparse.note((bar - 1) * 384, 9, 49, 100, 24);
    crossing.note(1400, 1, 67, 60, 1000).note(2000, 9, 36, 100, 10);
    // Division 1920: positions and lengths of 1000+ ticks, keys of one and three digits, a drum
    // struck again while it sounds.
    for (int s = 0; s < 16; ++s) wideDrums.note(s * 480, 9, 42, 60 + s, 100);
    wideDrums.note(0, 9, 36, 100, 3000).note(1920, 9, 36, 90, 100);
    widePiano.program(0, 0, 0);
    const int keys[] = {5, 99, 100, 127};
    for (int i = 0; i < 4; ++i) widePiano.note(i * 3840 + 1440, 0, keys[i], 80, 1500);
    return {
        {"format1_song", 1, 120, {conductor, drums, drums2, piano, bass}},
        {"format0_song", 0, 120, {all}},
        {"sparse_drums", 1, 96, {sparse}},
        {"division_480", 1, 480, {crossing}},
        {"no_drums", 1, 120, {conductor, piano}},
        {"division_1920_wide", 1, 1920, {wideDrums, widePiano}},
    };
}

bool Copy(const std::string& from, const std::filesystem::path& to, const std::string& prefix) {
    std::vector<uint8_t> bytes(prefix.begin(), prefix.end());
    const auto content = importtest::ReadBytes(from);
    bytes.insert(bytes.end(), content.begin(), content.end());
    importtest::WriteBytes(to.string(), bytes);
    return !content.empty();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <chain folder> <dump folder>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path chain = std::filesystem::absolute(argv[1]);
    const std::filesystem::path dump = std::filesystem::absolute(argv[2]);
    std::filesystem::create_directories(chain);
    std::filesystem::create_directories(dump);
    const auto scratch = std::filesystem::temp_directory_path() / "quintora_import_seeds";
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);
    int failures = 0;
    for (const Seed& seed : Seeds()) {
        const std::string song = std::string(seed.name) + ".mid";
        if (!importtest::WriteSong(song, seed.format, seed.division, seed.tracks)) ++failures;
        Copy(song, chain / song, "");
        importfuzz::Rig rig;
        if (!rig.Split(song)) {
            ++failures;
            continue;
        }
        if (rig.Convert(midiimport::kDrumChannel, true))
            Copy("$$$", dump / (std::string(seed.name) + "_drums"), "\x01");
        if (rig.Convert(0, false))
            Copy("$$$", dump / (std::string(seed.name) + "_piano"), std::string(1, '\0'));
    }
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(scratch);
    return failures == 0 ? 0 : 1;
}
