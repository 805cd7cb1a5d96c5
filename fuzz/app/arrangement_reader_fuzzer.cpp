// Any bytes as an arrangement file: the reader's parse and validation must neither crash nor read
// out of bounds; whatever it accepts holds only valid values, and once stored and written again
// it reads back to the same arrangement.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "program/arrangement_file.h"
#include "tests/app/support/null_engine.h"

namespace {

void require(bool holds) {
    if (!holds) std::abort();
}

void checkValid(const app::StagedArrangement& a) {
    for (const auto& c : a.cells) require(c.drum < 70 && c.velocity >= 1 && c.velocity <= 127);
    for (const auto& p : a.pans) require(p.drum < 70 && p.pan <= 127);
    require(a.MeterSign == 1 || a.MeterSign == -1);
    require(a.Bars >= 1 && a.Bars <= 8 && a.Tempo >= 20 && a.Tempo <= 250);
    require(a.LastDrum >= 0 && a.LastDrum <= 60);
    if (!a.hasParts) return;
    require(a.ThruOctave >= -2 && a.ThruOctave <= 2 && a.SplitPoint >= 48 && a.SplitPoint <= 84);
    require(a.ThruProgram >= 0);
    for (const auto o : a.PartOctaveOffsets) require(o % 12 == 0 && o >= -24 && o <= 24);
    for (const auto& part : a.PartSteps)
        for (const auto& e : part)
            require(e.note >= 0 && e.note <= 127 && e.velocity <= 127 && e.duration >= 0);
    for (std::size_t v = 0; v < 5; ++v)
        require(a.PartPrograms[v] <= 128 && a.PartChannels[v] <= 15 && a.PartPans[v] <= 127);
}

void clear(app::ProgramState& s) {
    for (auto& row : s.drums.DrumPattern) row.fill(0);
    s.drums.DrumPans.fill(64);
    s.live.parts.PartSteps = {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto first = std::make_unique<app::ProgramState>();
    static auto second = std::make_unique<app::ProgramState>();
    static testsupport::NullEngineLink engine;  // the engine's side is not under test here
    const std::span<const std::uint8_t> bytes(data, size);
    if (const auto drumsOnly = app::ParseArrangement(bytes, false)) checkValid(*drumsOnly);
    const auto staged = app::ParseArrangement(bytes, true);
    if (!staged) return 0;
    checkValid(*staged);

    clear(*first);
    app::ApplyArrangement(*staged, *first, engine);
    const auto written = app::EncodeArrangement(*first, first->drums.Bars * 100);
    const auto again = app::ParseArrangement(written, true);
    require(again.has_value());
    clear(*second);
    app::ApplyArrangement(*again, *second, engine);
    require(second->drums.DrumPattern == first->drums.DrumPattern);
    require(second->drums.DrumPans == first->drums.DrumPans);
    require(second->live.parts.PartSteps == first->live.parts.PartSteps);
    require(second->live.parts.PartChannels == first->live.parts.PartChannels);
    require(app::EncodeArrangement(*second, second->drums.Bars * 100) == written);
    return 0;
}
