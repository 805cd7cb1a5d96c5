// The step clock: order of steps, periods, drum output and stopping.

#include "engine_fixture.h"

#include <numeric>
#include <set>

namespace enginetest {
namespace {

std::vector<int> range(int from, int to) {
    std::vector<int> v(static_cast<std::size_t>(to - from + 1));
    std::iota(v.begin(), v.end(), from);
    return v;
}
std::vector<int> concat(std::initializer_list<std::vector<int>> parts) {
    std::vector<int> out;
    for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
// Bars of a three-beat loop: positions 1..24 of each bar.
std::vector<int> waltzBars(int bars) {
    std::vector<int> out;
    for (int b = 0; b < bars; ++b) {
        auto r = range(32 * b + 1, 32 * b + 24);
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

struct OrderCase {
    int bars;
    bool waltz;
    std::vector<int> expected;  // posted steps from the start
};

class StepOrder : public EngineTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(StepOrder, PostsStepsInLoopOrder) {
    const auto& c = GetParam();
    e->MessagePost(hwnd);
    call(static_cast<std::uint8_t>(c.bars));
    block.Aux = c.waltz ? 0 : 1;
    call(engine::CmdMeter);
    call(engine::CmdStart);
    EXPECT_EQ(runSteps(static_cast<int>(c.expected.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Loops, StepOrder,
    ::testing::Values(OrderCase{1, false, concat({range(1, 32), range(1, 32), {1}})},
                      OrderCase{2, false, concat({range(1, 64), {1, 2}})},
                      OrderCase{7, false, concat({range(1, 224), {1}})},
                      OrderCase{8, false, concat({range(1, 255), {0}, range(1, 3)})},
                      // Three beats: positions 25..32 never play; with 8 bars 249 goes straight to 1.
                      OrderCase{1, true, concat({waltzBars(1), waltzBars(1), {1}})},
                      OrderCase{2, true, concat({waltzBars(2), {1}})},
                      // Past the loop end of 7 bars, 225 comes from the skip of bar 7 and goes back to 1.
                      OrderCase{7, true, concat({waltzBars(7), {1, 2}})},
                      OrderCase{8, true, concat({waltzBars(8), {1, 2}})}));

TEST_F(EngineTest, LoweringTheLoopEndBelowTheCurrentStepRestartsAtOne) {
    e->MessagePost(hwnd);
    call(8);
    call(engine::CmdStart);
    runSteps(40);
    call(1);
    EXPECT_EQ(runSteps(3), (std::vector<int>{1, 2, 3}));
}

struct PeriodCase {
    std::uint32_t tempo;
    double firstMs, periodMs;
};
class Periods : public EngineTest, public ::testing::WithParamInterface<PeriodCase> {};

TEST_P(Periods, StrictPeriodIs7200OverTempo) {
    block.Tempo = GetParam().tempo;
    call(engine::CmdStart);
    EXPECT_DOUBLE_EQ(tp.timer.nextInMs(), GetParam().firstMs);
    for (int i = 0; i < 20; ++i) {
        tp.timer.fireNext();
        EXPECT_DOUBLE_EQ(tp.timer.nextInMs(), GetParam().periodMs) << "step " << i;
    }
}

// Strict: 7200/T for the first step, (7000 + 200)/T after it, truncated to whole milliseconds.
// Out-of-range tempos are clamped (0 must not divide by zero).
INSTANTIATE_TEST_SUITE_P(Tempos, Periods,
                         ::testing::Values(PeriodCase{20, 360, 360}, PeriodCase{120, 60, 60},
                                           PeriodCase{250, 28, 28}, PeriodCase{0, 360, 360},
                                           PeriodCase{1000, 28, 28}));

TEST_F(EngineTest, JitterDrawsEachPeriodBetween7001And7400OverTempo) {
    block.Tempo = 20;
    call(engine::CmdJitterTiming);
    call(engine::CmdStart);
    EXPECT_DOUBLE_EQ(tp.timer.nextInMs(), 360) << "the first step always waits 7200/T";
    std::set<double> seen;
    for (int i = 0; i < 400; ++i) {
        tp.timer.fireNext();
        const double p = tp.timer.nextInMs();
        EXPECT_GE(p, 7001 / 20);
        EXPECT_LE(p, 7400 / 20);
        seen.insert(p);
    }
    EXPECT_GT(seen.size(), 10u) << "periods vary";
}

TEST_F(EngineTest, StepsAreAnchoredOnTheirDeadlinesNotOnLateCallbacks) {
    call(engine::CmdStart);
    const double start = tp.clock.ms();
    for (int i = 0; i < 10; ++i) {
        // Every callback runs 7 ms after its deadline ...
        tp.clock.advanceMs(static_cast<std::int64_t>(tp.timer.nextInMs()) + 7);
        tp.timer.fireNext();
    }
    // ... yet the eleventh deadline is still 11 periods after the start.
    EXPECT_DOUBLE_EQ(tp.clock.ms() + tp.timer.nextInMs() - start, 11 * 60);
}

TEST_F(EngineTest, EachHitSendsPanThenNoteOnInDrumOrderWithoutNoteOff) {
    call(engine::CmdClearGrid);
    setCell(1, 9, 100);  // key 36
    setCell(1, 2, 50);   // key 29
    setCell(2, 69, 1);   // key 96
    setCell(2, 70, 99);  // not a played drum
    block.Drum = 9;
    block.Aux = 10;
    block.CellValue = 100;
    block.Step = 1;
    call(engine::CmdDrumPan);
    call(engine::CmdStart);
    tp.output->clear();
    runSteps(3);
    EXPECT_EQ(
        messages(),
        (std::vector<Bytes>{
            {0xB9, 10, 64}, {0x99, 29, 50}, {0xB9, 10, 10}, {0x99, 36, 100}, {0xB9, 10, 64}, {0x99, 96, 1}}));
}

TEST_F(EngineTest, StartOpensResetsAndSendsDrumProgram) {
    call(engine::CmdStart);
    auto ev = events();
    ASSERT_EQ(ev.size(), 3u);
    EXPECT_EQ(ev[0].kind, OutputEvent::Kind::Open);
    EXPECT_EQ(ev[1].kind, OutputEvent::Kind::Reset);
    EXPECT_EQ(ev[2].bytes, (Bytes{0xC9, 0}));
    EXPECT_EQ(tp.timer.periodBalance(), 1);
}

TEST_F(EngineTest, StartWhileRunningOnlyMovesBackToStepOne) {
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    runSteps(10);
    call(engine::CmdStart);
    EXPECT_EQ(tp.timer.pending(), 1u) << "one chain";
    EXPECT_EQ(runSteps(2), (std::vector<int>{1, 2}));
}

TEST_F(EngineTest, StopEndsTheChainAndSilencesDrums) {
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    runSteps(3);
    tp.output->clear();
    call(engine::CmdStop);
    EXPECT_EQ(tp.timer.pending(), 0u);
    EXPECT_EQ(messages(), (std::vector<Bytes>{{0xB9, 123, 0}}));
    EXPECT_EQ(tp.timer.periodBalance(), 0);
    call(0);  // a further call right after the stop
    EXPECT_TRUE(runSteps(5).empty());
    EXPECT_EQ(e->snapshot().running, 0);
}

TEST_F(EngineTest, AStepTakenBeforeAStopDoesNothingWhenItRuns) {
    // The timer thread has taken the step and is about to run it when the stop comes.
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    ASSERT_TRUE(tp.timer.takeNext());
    call(engine::CmdStop);
    call(0);  // a further call at once: the stop command no longer stands in the block
    ASSERT_TRUE(tp.timer.runTaken());
    tp.queue().dispatch();
    EXPECT_TRUE(window.steps.empty()) << "a stopped clock stays stopped";
    EXPECT_EQ(tp.timer.pending(), 0u);

    // The same after a restart: the old step must not play, nor start a second chain.
    call(engine::CmdStart);
    ASSERT_TRUE(tp.timer.takeNext());
    call(engine::CmdStop);
    call(engine::CmdStart);
    ASSERT_TRUE(tp.timer.runTaken());
    tp.queue().dispatch();
    EXPECT_TRUE(window.steps.empty());
    EXPECT_EQ(tp.timer.pending(), 1u) << "only the restarted chain";
    EXPECT_EQ(runSteps(2), (std::vector<int>{1, 2}));
}

TEST_F(EngineTest, DestroyingTheEngineLetsATakenStepFinishFirst) {
    call(engine::CmdStart);
    ASSERT_TRUE(tp.timer.takeNext());
    e.reset();
    EXPECT_FALSE(tp.timer.hasTaken()) << "the step ran while the engine still existed";
    EXPECT_EQ(tp.timer.pending(), 0u);
}

TEST_F(EngineTest, AStepMoreThanOnePeriodLateStartsTheClockAfresh) {
    // Tempo 120: 60 ms steps. Up to one period late the next step keeps its place on the
    // grid; later than that it comes one period after the late step, never in a burst.
    struct Case {
        int lateMs;
        double nextInMs;
    };
    const Case cases[] = {{7, 53}, {59, 1}, {60, 0}, {61, 60}, {150, 60}, {10000, 60}, {0, 60}};
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    for (const Case& c : cases) {
        tp.clock.advanceMs(static_cast<std::int64_t>(tp.timer.nextInMs()) + c.lateMs);
        ASSERT_TRUE(tp.timer.fireNext());
        EXPECT_DOUBLE_EQ(tp.timer.nextInMs(), c.nextInMs) << c.lateMs << " ms late";
        EXPECT_EQ(tp.timer.pending(), 1u);
    }
}

TEST_F(EngineTest, StepMessagesGoToTheWindowRegisteredWhenTheStepEnds) {
    StepWindow other;
    HWND second = tp.queue().createWindow(&other);
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    tp.timer.fireNext();
    e->MessagePost(second);
    tp.timer.fireNext();
    tp.queue().dispatch();
    EXPECT_EQ(window.steps, (std::vector<int>{1}));
    EXPECT_EQ(other.steps, (std::vector<int>{2}));
    tp.queue().destroyWindow(second);
}

}  // namespace
}  // namespace enginetest
