#include "player/player_clock.h"

namespace player {

namespace {

// The last stretch before a deadline is slept with one absolute-deadline sleep, without the
// lock: a waking condition variable comes late by tens of microseconds more on an idle machine.
// A stop asked for meanwhile waits at most this long.
constexpr std::chrono::microseconds kFinalStretch{1000};

}  // namespace

void SteadyPlayerClock::sleepUntil(platform::SteadyTime deadline) {
    {
        std::unique_lock lock(mutex_);
        const bool woken = wakeUp_.wait_until(lock, deadline - kFinalStretch, [this] { return woken_; });
        woken_ = false;
        if (woken) return;
    }
    if (now() < deadline) platform::SleepUntilDeadline(deadline);
}

void SteadyPlayerClock::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_all();
}

}  // namespace player
