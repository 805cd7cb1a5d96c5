#pragma once
// One-shot timer events with absolute deadlines, the stand-in for the multimedia timer.
// Callbacks run on the service's own thread (or, for the test double, on the thread that
// advances it). A callback may arm or kill events itself.

#include <cstdint>

#include "platform/clock.h"

namespace platform {

using TimerId = std::uint32_t;  // 0 is never a valid id
using TimerCallback = void (*)(TimerId id, void* user);

class TimerService {
public:
    virtual ~TimerService() = default;
    // Arms one event at deadline; returns its id, or 0 when it cannot be armed.
    virtual TimerId setOneShot(SteadyTime deadline, TimerCallback callback, void* user) = 0;
    // Cancels a pending event. Returns false when it already fired or never existed. A
    // callback that is running at the time is not waited for (callers may hold locks that
    // the callback takes); such callers check the id they receive instead.
    virtual bool kill(TimerId id) = 0;
    // The timer resolution requests; kept balanced for parity, they change nothing here.
    virtual void beginPeriod(std::uint32_t /*ms*/) {}
    virtual void endPeriod(std::uint32_t /*ms*/) {}
};

}  // namespace platform
