// The real program on a private JACK server, played from a keyboard client: three chord keys
// below the split point start playing by themselves, a THRU key comes back transposed by the
// THRU octave, and E held alone stops playing at the next bar end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/e2e/program_rig.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class LiveEndToEnd : public ProgramOnJack {};

TEST_F(LiveEndToEnd, ChordKeysStartPlayingThruIsTransposedAndEStopsAtTheBarEnd) {
    startProgram();
    ASSERT_TRUE(act("click OctaveCSpinButtonUp"));  // THRU one octave up
    ASSERT_TRUE(act("click DRUMTAB"));
    // 72 ms a step: long beside the delays of a loaded machine, so that the stop's step shows.
    ASSERT_TRUE(act("slide TempoBar 100"));
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on step 1
    rig.clear();

    // C, E and G below the split point (54): playing starts by itself.
    press({48, 52, 43});
    const Bytes kick = {0x99, 36, 96};
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return timesOf(got, kick).size() >= 2; }))
        << "the drums arrived after the chord";
    release({48, 52, 43});

    // A key on the THRU channel comes back an octave up, and its release ends it.
    rig.send({0x93, 60, 100});
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& got) {
        return !timesOf(got, {0x93, 72, 100}).empty();
    })) << "the THRU key came back transposed";
    rig.send({0x93, 60, 0});
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& got) {
        return !timesOf(got, {0x93, 72, 0}).empty();
    }));

    // E held alone for nine steps asks for the end; playing stops at the bar's last step.
    const double step = 0.072;
    const double pressed = rig.now();
    rig.send({0x90, 52, 100});
    const Bytes drumsOff = {0xB9, 123, 0};
    const std::size_t offsBefore = timesOf(rig.received(), drumsOff).size();
    ASSERT_TRUE(waitUntil(rig, 15s, [&](const Received& got) {
        return timesOf(got, drumsOff).size() > offsBefore;
    })) << "playing stopped";
    rig.send({0x80, 52, 0});
    const auto got = rig.received();
    const double stopped = timesOf(got, drumsOff).back();
    // The kick plays at step 1 of each bar, on the step clock; the stop follows step 32, 31
    // steps after its bar's kick, once the page has handled that step. On a loaded machine the
    // page may handle it late while the clock plays on (the next bar's kick may come first) and
    // the messages may be delayed: the stop may be up to two steps late, and early by no more
    // than a step.
    const double early = stepTolerance(step, rig);
    const double late = stepTolerance(step, rig, 2);
    double barKick = -1;
    for (double t : timesOf(got, kick))
        if (t <= stopped - 31 * step + early) barKick = t;
    ASSERT_GE(barKick, 0) << describe(got);
    EXPECT_LT(stopped - barKick - 31 * step, late) << "stopped at the bar's end; " << describe(got);
    // And at the first bar end after the request, nine steps after E went down.
    EXPECT_GT(stopped - pressed, 9 * step - early);
    EXPECT_LT(stopped - pressed, (10 + 32) * step + 2 * late);
    ASSERT_TRUE(waitUntilServerTime(rig, stopped + 1.5 * 32 * step));  // more than a bar
    for (double t : timesOf(rig.received(), kick)) EXPECT_LT(t, stopped) << "no drum after the stop";

    exitProgram(true);
}

}  // namespace
