// The real program on a private JACK server, played from a keyboard client: three chord keys
// below the split point start playing by themselves, a THRU key comes back transposed by the
// THRU octave, and E held alone stops playing at the next bar end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

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
    ASSERT_TRUE(act("slide TempoBar 250"));  // 28 ms a step
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
    rig.send({0x90, 52, 100});
    const Bytes drumsOff = {0xB9, 123, 0};
    const std::size_t offsBefore = timesOf(rig.received(), drumsOff).size();
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& got) {
        return timesOf(got, drumsOff).size() > offsBefore;
    })) << "playing stopped";
    rig.send({0x80, 52, 0});
    const auto got = rig.received();
    const double stopped = timesOf(got, drumsOff).back();
    double lastKick = 0;
    for (double t : timesOf(got, kick))
        if (t < stopped) lastKick = t;
    // The kick plays at step 1; the stop follows step 32, 31 steps of 28 ms later.
    EXPECT_NEAR(stopped - lastKick, 31 * 0.028, 0.04);
    std::this_thread::sleep_for(1500ms);
    for (double t : timesOf(rig.received(), kick)) EXPECT_LT(t, stopped) << "no drum after the stop";

    exitProgram(true);
}

}  // namespace
