#pragma once
// The player's clock on virtual time (a FakeClock shared with the recording output, so that what
// is recorded carries virtual times). Free running, a sleep moves the time straight to its
// deadline: a whole file plays at once, every event at its exact time. Stepping, the player
// sleeps until the test moves the time on with AdvanceTo.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/testing/fake_clock.h"
#include "player/player_clock.h"

namespace player::testing {

class VirtualClock final : public PlayerClock {
  public:
    explicit VirtualClock(platform::testing::FakeClock& clock) : clock_(clock) {}

    void SetStepping(bool stepping) {
        std::lock_guard lock(mutex_);
        stepping_ = stepping;
    }

    platform::SteadyTime now() override { return clock_.now(); }
    void sleepUntil(platform::SteadyTime deadline) override {
        std::unique_lock lock(mutex_);
        if (woken_) {
            woken_ = false;
            return;
        }
        if (!stepping_) {
            if (clock_.now() < deadline) clock_.set(deadline);
            return;
        }
        deadline_ = deadline;
        sleeping_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return woken_ || released_; });
        sleeping_ = released_ = woken_ = false;
        changed_.notify_all();
    }
    void wake() override {
        std::lock_guard lock(mutex_);
        woken_ = true;
        changed_.notify_all();
    }

    // Stepping: lets the player send everything due up to `ms` after the clock's zero, and
    // returns with the player asleep until later and the time at `ms`. False when the player did
    // not come back to sleep within a generous minute of real time (it ended, or hangs).
    bool AdvanceTo(double ms) {
        const platform::SteadyTime t{std::chrono::nanoseconds(static_cast<int64_t>(ms * 1e6))};
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!changed_.wait_for(lock, std::chrono::seconds(60),
                                   [this] { return sleeping_ && !released_; }))
                return false;
            if (deadline_ > t) {
                if (clock_.now() < t) clock_.set(t);
                return true;
            }
            if (clock_.now() < deadline_) clock_.set(deadline_);
            released_ = true;
            changed_.notify_all();
        }
    }

  private:
    platform::testing::FakeClock& clock_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stepping_ = false;
    bool sleeping_ = false;
    bool released_ = false;
    bool woken_ = false;
    platform::SteadyTime deadline_{};
};

}  // namespace player::testing
