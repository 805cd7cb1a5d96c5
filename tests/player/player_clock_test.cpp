// The player's real clock: a sleep never ends before its deadline unless woken, and a wake ends
// the sleep under way, even deep in a long pause, or else the next one.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "player/player_clock.h"

namespace {

using namespace std::chrono_literals;

TEST(SteadyPlayerClock, SleepsUntilTheDeadlineThroughTheFinalStretch) {
    player::SteadyPlayerClock clock;
    for (auto ahead : {0ms, 1ms, 3ms, 20ms}) {
        const auto deadline = clock.now() + ahead;
        clock.sleepUntil(deadline);
        EXPECT_GE(clock.now(), deadline) << ahead.count() << " ms ahead";
    }
}

TEST(SteadyPlayerClock, AWakeEndsTheSleepUnderWayOrTheNextOne) {
    player::SteadyPlayerClock clock;
    const auto far = clock.now() + 60s;  // far beyond any delay of the waker
    std::thread waker([&] {
        std::this_thread::sleep_for(20ms);
        clock.wake();
    });
    clock.sleepUntil(far);
    waker.join();
    EXPECT_LT(clock.now(), far) << "a stop during a long pause is not held up";

    clock.wake();  // nobody sleeping: the next sleep ends at once
    const auto next = clock.now() + 60s;
    clock.sleepUntil(next);
    EXPECT_LT(clock.now(), next);
}

}  // namespace
