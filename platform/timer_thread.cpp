#include "platform/timer_thread.h"

#include <pthread.h>
#include <sched.h>

namespace platform {

namespace {

constexpr std::chrono::microseconds kSpinWindow{1000};
// Ask for real-time scheduling where the system allows it; step timing is the whole point of
// this thread. Refusal (no privilege) is normal and harmless.
void raisePriority() {
    sched_param p{};
    p.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &p);
}
}  // namespace

TimerThread::TimerThread() : thread_([this] { run(); }) {}

TimerThread::~TimerThread() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        events_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

TimerId TimerThread::setOneShot(SteadyTime deadline, TimerCallback callback, void* user) {
    if (!callback) return 0;
    TimerId id;
    bool earliest;
    {
        std::lock_guard lock(mutex_);
        if (quit_) return 0;
        id = nextId_++;
        if (nextId_ == 0) nextId_ = 1;
        auto it = events_.emplace(deadline, Event{id, callback, user});
        earliest = it == events_.begin();
    }
    if (earliest) wake_.notify_all();
    return id;
}

bool TimerThread::kill(TimerId id) {
    std::lock_guard lock(mutex_);
    for (auto it = events_.begin(); it != events_.end(); ++it) {
        if (it->second.id == id) {
            events_.erase(it);
            return true;
        }
    }
    return false;
}

void TimerThread::run() {
    raisePriority();
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (events_.empty()) {
            wake_.wait(lock);
            continue;
        }
        auto first = events_.begin();
        const SteadyTime deadline = first->first;
        const auto now = std::chrono::steady_clock::now();
        if (now < deadline - kSpinWindow) {
            // Sleep until just before the deadline: waking from a sleep can come late.
            wake_.wait_until(lock, deadline - kSpinWindow);
            continue;  // re-check: an earlier event or a kill may have come in
        }
        if (now < deadline) {
            // The last stretch is waited out awake, without the lock, so that callers can
            // still arm and kill meanwhile.
            lock.unlock();
            while (std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
            lock.lock();
            continue;
        }
        Event e = first->second;
        events_.erase(first);
        lock.unlock();
        e.callback(e.id, e.user);
        lock.lock();
    }
}

}  // namespace platform
