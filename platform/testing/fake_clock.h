#pragma once
// A clock that moves only when told; waits advance it instantly.

#include <atomic>

#include "platform/clock.h"

namespace platform::testing {

class FakeClock final : public Clock {
  public:
    SteadyTime now() override { return SteadyTime(std::chrono::nanoseconds(ns_.load())); }
    void waitMs(std::uint32_t ms) override { advanceMs(ms); }
    void advanceMs(std::int64_t ms) { ns_ += ms * 1'000'000; }
    void set(SteadyTime t) { ns_ = t.time_since_epoch().count(); }
    // Milliseconds since the clock's zero.
    double ms() const { return static_cast<double>(ns_.load()) / 1e6; }

  private:
    std::atomic<std::int64_t> ns_{1'000'000'000};  // not zero, so that "time 0" is never special
};

}  // namespace platform::testing
