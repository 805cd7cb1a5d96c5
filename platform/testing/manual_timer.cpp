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

bool ManualTimer::killAndWait(TimerId id) {
    if (kill(id)) return true;
    {
        std::lock_guard lock(mutex_);
        if (!taken_ || taken_->id != id) return false;
    }
    runTaken();
    return false;
}

std::optional<ManualTimer::Event> ManualTimer::popNext() {
    std::lock_guard lock(mutex_);
    if (events_.empty()) return std::nullopt;
    auto it = events_.begin();
    if (it->first > clock_.now()) clock_.set(it->first);
    Event e = it->second;
    events_.erase(it);
    return e;
}

bool ManualTimer::fireNext() {
    auto e = popNext();
    if (!e) return false;
    e->callback(e->id, e->user);
    return true;
}

bool ManualTimer::takeNext() {
    {
        std::lock_guard lock(mutex_);
        if (taken_) return false;
    }
    auto e = popNext();
    if (!e) return false;
    std::lock_guard lock(mutex_);
    taken_ = e;
    return true;
}

bool ManualTimer::runTaken() {
    std::optional<Event> e;
    {
        std::lock_guard lock(mutex_);
        e.swap(taken_);
    }
    if (!e) return false;
    e->callback(e->id, e->user);
    return true;
}

bool ManualTimer::hasTaken() const {
    std::lock_guard lock(mutex_);
    return taken_.has_value();
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
