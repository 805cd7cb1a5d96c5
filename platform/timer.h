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
    // Arms one event at deadline; returns its id, or 0 when it cannot be armed. Any thread.
    virtual TimerId setOneShot(SteadyTime deadline, TimerCallback callback, void* user) = 0;
    // Cancels a pending event. Returns false when it already fired (its callback may be running
    // at this very moment) or never existed. Never waits, so the caller may hold locks that the
    // callback takes; such callers check the id their callback receives.
    virtual bool kill(TimerId id) = 0;
    // As kill, and when the callback of id has already been taken and is running, waits until
    // it has returned (except on the service's own thread, where that callback is the caller).
    // After it returns, the callback of id never touches its user data again. The caller must
    // hold no lock that the callback takes.
    virtual bool killAndWait(TimerId id) = 0;
    // The timer resolution requests; kept balanced for parity, they change nothing here.
    virtual void beginPeriod(std::uint32_t /*ms*/) {}
    virtual void endPeriod(std::uint32_t /*ms*/) {}
};

}  // namespace platform
