#pragma once
// A timer service fired by the test: events fire, in deadline order, only while the test
// advances the fake clock. It can also hold one event "taken": off the pending list, its
// callback about to run, as on a timer thread that was preempted right after taking it.

#include <map>
#include <mutex>
#include <optional>

#include "platform/testing/fake_clock.h"
#include "platform/timer.h"

namespace platform::testing {

class ManualTimer final : public TimerService {
  public:
    explicit ManualTimer(FakeClock& clock) : clock_(clock) {}

    TimerId setOneShot(SteadyTime deadline, TimerCallback callback, void* user) override;
    bool kill(TimerId id) override;
    // A taken event of this id runs here, before the call returns, as the real service would
    // let it finish before returning.
    bool killAndWait(TimerId id) override;
    void beginPeriod(std::uint32_t) override { ++periods_; }
    void endPeriod(std::uint32_t) override { --periods_; }

    // Moves the clock forward by ms, firing every event that falls due on the way, each at
    // its own deadline. Returns how many fired.
    int advanceMs(std::int64_t ms);
    // Fires the earliest pending event after moving the clock to its deadline.
    bool fireNext();
    std::size_t pending() const;
    // Milliseconds from now to the earliest pending event; -1 when none.
    double nextInMs() const;
    int periodBalance() const { return periods_; }

    // Takes the earliest pending event (moving the clock to its deadline) without running it;
    // false when none is pending or one is already taken.
    bool takeNext();
    // Runs the taken event's callback; false when none is taken.
    bool runTaken();
    bool hasTaken() const;

  private:
    struct Event {
        TimerId id;
        TimerCallback callback;
        void* user;
    };
    std::optional<Event> popNext();

    FakeClock& clock_;
    mutable std::mutex mutex_;
    std::multimap<SteadyTime, Event> events_;
    std::optional<Event> taken_;
    TimerId nextId_ = 1;
    int periods_ = 0;
};

}  // namespace platform::testing
