#pragma once
// The monotonic clock behind tick counts and short waits. Any thread may call it.

#include <chrono>
#include <cstdint>

namespace platform {

using SteadyTime = std::chrono::steady_clock::time_point;

class Clock {
public:
    virtual ~Clock() = default;
    virtual SteadyTime now() = 0;
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    std::uint32_t tickMs() {
        return static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now().time_since_epoch()).count());
    }
    // Waits at least ms milliseconds (the real clock sleeps instead of spinning).
    virtual void waitMs(std::uint32_t ms) = 0;
};

class SystemClock final : public Clock {
public:
    SteadyTime now() override { return std::chrono::steady_clock::now(); }
    void waitMs(std::uint32_t ms) override;
};

}  // namespace platform
