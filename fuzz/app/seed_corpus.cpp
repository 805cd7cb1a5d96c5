// Writes the fuzz target's seed corpus with the project's own writer: an empty arrangement, one
// with drums only, one with everything, and one as files without the duration trailer were.
// Usage: arrangement_seed_corpus <folder>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "program/arrangement_file.h"

namespace {

struct Seed {
    const char* name;
    std::function<void(app::ProgramState&)> fill;
    bool trailer = true;
};

void withDrums(app::ProgramState& s) {
    s.drums.DrumPattern[1][9] = 96;
    s.drums.DrumPattern[0][0] = 1;
    s.drums.DrumPattern[255][69] = 127;
    s.drums.DrumPans[9] = 20;
    s.drums.DrumPans[69] = 127;
    s.drums.MeterSign = 1;
    s.Engine.Tempo = 250;
}

void withParts(app::ProgramState& s) {
    withDrums(s);
    auto& p = s.live.parts;
    p.ThruOctave = -2;
    p.PartOctaveOffsets = {24, 12, -12, -24, 0};
    p.SplitPoint = 84;
    p.ThruProgram = 127;
    for (std::size_t part = 0; part < 4; ++part)
        for (std::size_t step = part; step < 256; step += 7)
            p.PartSteps[part][step] = {static_cast<std::int32_t>(40 + step % 80), 100,
                                       static_cast<std::int32_t>(step * 40)};
    p.PartPrograms = {0, 1, 49, 62, 128};
    p.PartChannels = {3, 0, 2, 1, 15};
    p.PartPans = {64, 0, 127, 30, 90};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::vector<Seed> seeds = {
        {"empty", [](app::ProgramState&) {}},
        {"drums_only", withDrums},
        {"full", withParts},
        {"full_without_trailer", withParts, false},
    };
    for (const Seed& seed : seeds) {
        auto state = std::make_unique<app::ProgramState>();
        seed.fill(*state);
        auto bytes = app::EncodeArrangement(*state, 300);
        if (!seed.trailer) bytes.resize(bytes.size() - app::kDurationTrailerBytes);
        const std::string path = std::string(argv[1]) + "/" + seed.name + ".QTR";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "could not write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
