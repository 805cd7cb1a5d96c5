#include "player/player_clock.h"

namespace player {

void SteadyPlayerClock::sleepUntil(platform::SteadyTime deadline) {
    std::unique_lock lock(mutex_);
    wakeUp_.wait_until(lock, deadline, [this] { return woken_; });
    woken_ = false;
}

void SteadyPlayerClock::wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wakeUp_.notify_all();
}

}  // namespace player
