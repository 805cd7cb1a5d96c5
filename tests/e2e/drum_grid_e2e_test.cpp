// The real program on a private JACK server: hits set and cleared on the drum grid play from the
// engine as the grid shows them.

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tests/e2e/program_rig.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;

class DrumGridEndToEnd : public ProgramOnJack {};

TEST_F(DrumGridEndToEnd, HitsToggledOnTheGridPlayAtTheirSteps) {
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 120"));  // 60 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on step 1, on the drum tab
    ASSERT_TRUE(act("click DRUMGRID"));      // its row is the grid's first
    // The grid's cells now stand in front of the drum tab's of the same names.
    ASSERT_TRUE(act("click DrumPanel1"));  // step 1 cleared
    ASSERT_TRUE(act("click DrumPanel9"));
    ASSERT_TRUE(act("click DrumPanel17"));
    ASSERT_TRUE(act("click TabDrumBack"));
    rig.clear();
    ASSERT_TRUE(act("click DrumStartButton"));

    const Bytes kick = {0x99, 36, 96};
    ASSERT_TRUE(waitUntil(rig, 15s, [&](const Received& got) { return timesOf(got, kick).size() >= 6; }))
        << "the drums arrived " << timesOf(rig.received(), kick).size() << " times; "
        << describe(rig.received(), 12);
    // Steps 9 and 17 of a 32-step loop: gaps of 8 and 24 steps. Had step 1 stayed, a gap of 16
    // would show; had the grid not reached the engine, only whole loops. A loaded machine may
    // restart a late clock and delay a message by a hundred milliseconds or more, so whole
    // loops and three and a half steps either side are allowed, short of the half-way to 16.
    const double step = 0.060, tolerance = stepTolerance(step, rig, 3) + step / 2;
    const auto t = timesOf(rig.received(), kick);
    std::set<long> gaps;
    for (std::size_t i = 1; i < t.size(); ++i) {
        const double gap = t[i] - t[i - 1];
        const bool near8 = gapOfSteps(gap, 8, step, 32, tolerance);
        const bool near24 = gapOfSteps(gap, 24, step, 32, tolerance);
        EXPECT_TRUE(near8 || near24) << "gap " << i << ": " << gap / step << " steps";
        if (near8 || near24) gaps.insert(near8 ? 8 : 24);
    }
    EXPECT_EQ(gaps, (std::set<long>{8, 24}));
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram(true);  // the grid's edits left the arrangement modified
}

}  // namespace
