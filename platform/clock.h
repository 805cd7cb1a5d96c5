#pragma once
// The monotonic clock behind times and short waits. Any thread may call it.

#include <chrono>
#include <cstdint>

namespace platform {

using SteadyTime = std::chrono::steady_clock::time_point;

class Clock {
  public:
    virtual ~Clock() = default;
    virtual SteadyTime now() = 0;
    // Waits at least ms milliseconds (the real clock sleeps instead of spinning).
    virtual void waitMs(std::uint32_t ms) = 0;
};

// Sleeps until `deadline` on CLOCK_MONOTONIC (steady_clock's clock) with one absolute-deadline
// sleep, so that no rounding of a relative wait adds up. For the last stretch before a timed event.
void SleepUntilDeadline(SteadyTime deadline);

// Asks for real-time scheduling where the system allows it, and for no timer slack otherwise, on
// the calling thread: for threads whose whole point is timing. Refusal (no privilege) is harmless.
void TuneTimingThread();

class SystemClock final : public Clock {
  public:
    SteadyTime now() override { return std::chrono::steady_clock::now(); }
    void waitMs(std::uint32_t ms) override;
};

}  // namespace platform
