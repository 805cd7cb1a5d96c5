#pragma once
// The player thread's time: when each event is due, and sleeping until then. A seam, so that
// tests run the player on a virtual clock; the product uses SteadyPlayerClock.

#include <condition_variable>
#include <mutex>

#include "platform/clock.h"

namespace player {

class PlayerClock {
  public:
    virtual ~PlayerClock() = default;
    // Any thread.
    virtual platform::SteadyTime now() = 0;
    // The player thread: returns at `deadline`, after wake(), or earlier; callers check again.
    virtual void sleepUntil(platform::SteadyTime deadline) = 0;
    // Any thread: ends the current sleepUntil, or the next one if none is under way.
    virtual void wake() = 0;
};

// std::chrono::steady_clock (CLOCK_MONOTONIC), sleeping on a condition variable with an absolute
// deadline, so that a stop is never held up by a long pause in the file; the last millisecond
// before the deadline is slept with the system's absolute-deadline sleep, which wakes on time.
class SteadyPlayerClock final : public PlayerClock {
  public:
    platform::SteadyTime now() override { return std::chrono::steady_clock::now(); }
    void sleepUntil(platform::SteadyTime deadline) override;
    void wake() override;

  private:
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool woken_ = false;
};

}  // namespace player
