// The real program on a private JACK server with arrangement files: drums saved, cleared and
// opened again play at the same steps; parts read from a file play after a chord, each note
// lasting its full duration.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>

#include "program/arrangement_file.h"
#include "tests/e2e/program_rig.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class ArrangementEndToEnd : public ProgramOnJack {};

TEST_F(ArrangementEndToEnd, SavedDrumsPlayAtTheirStepsAfterNewAndOpen) {
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 100"));  // 72 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on steps 1 and 9
    ASSERT_TRUE(act("click DrumPanel9"));
    const fs::path song = home.path / "TarnFile" / "drums.QTR";
    ASSERT_TRUE(clickWithFile("SaveBtn", song));
    {
        std::ifstream saved(song, std::ios::binary);
        const Bytes head(std::istreambuf_iterator<char>(saved), {});
        ASSERT_GE(head.size(), 6u);
        ASSERT_EQ(Bytes(head.begin(), head.begin() + 6), (Bytes{1, 9, 96, 9, 9, 96}))
            << "both cells of drum 9 saved";
    }

    ASSERT_TRUE(act("click NewDrums"));
    ASSERT_TRUE(act("slide TempoBar 250"));
    ASSERT_TRUE(act("slide NumBars1 800"));
    ASSERT_TRUE(clickWithFile("OpenBtn", song));
    rig.clear();
    ASSERT_TRUE(act("click DrumStartButton"));

    const Bytes kick = {0x99, 36, 96};
    ASSERT_TRUE(waitUntil(rig, 30s, [&](const Received& got) { return timesOf(got, kick).size() >= 6; }))
        << "the drums arrived " << timesOf(rig.received(), kick).size() << " times; "
        << describe(rig.received(), 12);
    // Only steps 1 and 9 of the file's 32-step loop at its tempo (72 ms a step) play: 8 steps
    // apart, then 24. A loaded machine may restart a late clock and delay a message, so whole
    // loops between two kicks and three and a half steps either side are allowed: short of the
    // half-way to a wrong step (16) or a lost cell (whole loops only), eight steps away.
    const double step = 0.072, tolerance = stepTolerance(step, rig, 3) + step / 2;
    const auto t = timesOf(rig.received(), kick);
    std::set<long> gaps;
    for (std::size_t i = 1; i < t.size(); ++i) {
        const double gap = t[i] - t[i - 1];
        const bool near8 = gapOfSteps(gap, 8, step, 32, tolerance);
        const bool near24 = gapOfSteps(gap, 24, step, 32, tolerance);
        EXPECT_TRUE(near8 || near24) << "gap " << i << ": " << gap / step << " steps";
        if (near8 || near24) gaps.insert(near8 ? 8 : 24);
    }
    EXPECT_EQ(gaps, (std::set<long>{8, 24})) << "kicks on both steps";
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram();  // nothing changed since the open: no question
}

TEST_F(ArrangementEndToEnd, PartsFromAFilePlayAfterAChordForTheirFullDuration) {
    const fs::path song = home.path / "TarnFile" / "parts.QTR";
    {
        auto s = std::make_unique<app::ProgramState>();
        s->drums.DrumPattern[1][9] = 96;
        s->Engine.Tempo = 250;
        auto& parts = s->live.parts;
        parts.PartSteps[0][1] = {60, 100, 300};  // piano: middle C for 300 ms on step 1
        parts.PartSteps[3][17] = {36, 90, 150};  // bass on step 17
        parts.PartPrograms = {0, 1, 49, 62, 34};
        parts.PartChannels = {3, 0, 2, 1, 4};
        parts.PartPans = {64, 64, 64, 64, 64};
        parts.SplitPoint = 54;
        const Bytes file = app::EncodeArrangement(*s, 100);
        fs::create_directories(song.parent_path());
        std::ofstream out(song, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(clickWithFile("OpenBtn", song));
    rig.clear();

    // C, E and G below the split point: playing starts by itself with the C chord.
    press({48, 52, 43});
    const Bytes piano = {0x90, 60, 100};
    const Bytes pianoOff = {0x90, 60, 0};
    const Bytes bass = {0x94, 36, 90};
    ASSERT_TRUE(waitUntil(
        rig, 10s,
        [&](const Received& got) { return timesOf(got, piano).size() >= 2 && !timesOf(got, bass).empty(); }))
        << "the parts played; " << describe(rig.received(), 12);
    const auto got = rig.received();
    const double on = timesOf(got, piano).front();
    double off = 0;
    for (double t : timesOf(got, pianoOff))
        if (t > on) {
            off = t;
            break;
        }
    // The note's timer may fire late on a loaded machine and its messages be delayed; it is
    // never early by more than a step.
    EXPECT_GT(off - on, 0.300 - stepTolerance(0.028, rig))
        << "the piano's note lasts its 300 ms, not the 44 of the low byte";
    EXPECT_LT(off - on, 0.300 + stepTolerance(0.028, rig, 8));
    release({48, 52, 43});
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram();
}

}  // namespace
