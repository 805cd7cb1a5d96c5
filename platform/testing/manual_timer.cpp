#include "platform/testing/manual_timer.h"

namespace platform::testing {

TimerId ManualTimer::setOneShot(SteadyTime deadline, TimerCallback callback, void* user) {
    std::lock_guard lock(mutex_);
    TimerId id = nextId_++;
    events_.emplace(deadline, Event{id, callback, user});
    return id;
}

bool ManualTimer::kill(TimerId id) {
    std::lock_guard lock(mutex_);
    for (auto it = events_.begin(); it != events_.end(); ++it)
        if (it->second.id == id) {
            events_.erase(it);
            return true;
        }
    return false;
}

bool ManualTimer::fireNext() {
    Event e;
    {
        std::lock_guard lock(mutex_);
        if (events_.empty()) return false;
        auto it = events_.begin();
        if (it->first > clock_.now()) clock_.set(it->first);
        e = it->second;
        events_.erase(it);
    }
    e.callback(e.id, e.user);
    return true;
}

int ManualTimer::advanceMs(std::int64_t ms) {
    const SteadyTime target = clock_.now() + std::chrono::milliseconds(ms);
    int fired = 0;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (events_.empty() || events_.begin()->first > target) break;
        }
        fireNext();
        ++fired;
    }
    if (clock_.now() < target) clock_.set(target);
    return fired;
}

std::size_t ManualTimer::pending() const {
    std::lock_guard lock(mutex_);
    return events_.size();
}

double ManualTimer::nextInMs() const {
    std::lock_guard lock(mutex_);
    if (events_.empty()) return -1;
    return std::chrono::duration<double, std::milli>(events_.begin()->first - clock_.now()).count();
}

}  // namespace platform::testing
