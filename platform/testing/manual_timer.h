#pragma once
// A timer service fired by the test: events fire, in deadline order, only while the test
// advances the fake clock.

#include <map>
#include <mutex>

#include "platform/testing/fake_clock.h"
#include "platform/timer.h"

namespace platform::testing {

class ManualTimer final : public TimerService {
public:
    explicit ManualTimer(FakeClock& clock) : clock_(clock) {}

    TimerId setOneShot(SteadyTime deadline, TimerCallback callback, void* user) override;
    bool kill(TimerId id) override;
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

private:
    struct Event {
        TimerId id;
        TimerCallback callback;
        void* user;
    };
    FakeClock& clock_;
    mutable std::mutex mutex_;
    std::multimap<SteadyTime, Event> events_;
    TimerId nextId_ = 1;
    int periods_ = 0;
};

}  // namespace platform::testing
