#include "platform/timer_thread.h"

#include "platform/clock.h"

namespace platform {

namespace {

// The last stretch before a deadline is slept with one absolute-deadline clock_nanosleep,
// without the lock. Only an event armed for earlier than the one being waited for, during
// this stretch, can be late by up to its length.
constexpr std::chrono::microseconds kFinalStretch{1000};
constexpr std::size_t kSpareNodes = 16;

}  // namespace

TimerThread::TimerThread() {
    spare_.reserve(kSpareNodes);
    thread_ = std::thread([this] { run(); });
}

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
        Events::iterator it;
        if (spare_.empty()) {
            it = events_.emplace(deadline, Event{id, callback, user});
        } else {
            Events::node_type node = std::move(spare_.back());
            spare_.pop_back();
            node.key() = deadline;
            node.mapped() = Event{id, callback, user};
            it = events_.insert(std::move(node));
        }
        earliest = it == events_.begin();
    }
    if (earliest) wake_.notify_all();
    return id;
}

void TimerThread::recycleLocked(Events::node_type node) {
    if (spare_.size() < spare_.capacity()) spare_.push_back(std::move(node));
}

bool TimerThread::eraseLocked(TimerId id) {
    for (auto it = events_.begin(); it != events_.end(); ++it) {
        if (it->second.id == id) {
            recycleLocked(events_.extract(it));
            return true;
        }
    }
    return false;
}

bool TimerThread::kill(TimerId id) {
    std::lock_guard lock(mutex_);
    return eraseLocked(id);
}

bool TimerThread::killAndWait(TimerId id) {
    std::unique_lock lock(mutex_);
    if (eraseLocked(id)) return true;
    if (std::this_thread::get_id() != thread_.get_id()) done_.wait(lock, [&] { return running_ != id; });
    return false;
}

void TimerThread::run() {
    TuneTimingThread();
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (events_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const SteadyTime deadline = events_.begin()->first;
        const auto now = std::chrono::steady_clock::now();
        if (now < deadline - kFinalStretch) {
            wake_.wait_until(lock, deadline - kFinalStretch);
            continue;  // re-check: an earlier event, a kill or the quit may have come in
        }
        if (now < deadline) {
            lock.unlock();
            SleepUntilDeadline(deadline);
            lock.lock();
            continue;  // the event may have been killed meanwhile
        }
        Events::node_type node = events_.extract(events_.begin());
        const Event e = node.mapped();
        recycleLocked(std::move(node));
        running_ = e.id;
        lock.unlock();
        e.callback(e.id, e.user);
        lock.lock();
        running_ = 0;
        done_.notify_all();
    }
}

}  // namespace platform
