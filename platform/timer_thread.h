#pragma once
// The real timer service: one dedicated thread that sleeps until the earliest deadline.

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/timer.h"

namespace platform {

class TimerThread final : public TimerService {
  public:
    TimerThread();
    ~TimerThread() override;  // cancels everything and joins the thread
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    TimerId setOneShot(SteadyTime deadline, TimerCallback callback, void* user) override;
    bool kill(TimerId id) override;
    bool killAndWait(TimerId id) override;

  private:
    struct Event {
        TimerId id;
        TimerCallback callback;
        void* user;
    };
    using Events = std::multimap<SteadyTime, Event>;
    void run();
    bool eraseLocked(TimerId id);
    void recycleLocked(Events::node_type node);

    std::mutex mutex_;
    std::condition_variable wake_;  // a new earliest event, or quit
    std::condition_variable done_;  // a callback has returned
    Events events_;
    // Nodes of fired and killed events, reused by the next arm: a step clock that re-arms
    // from its own callback then allocates nothing on this thread.
    std::vector<Events::node_type> spare_;
    TimerId nextId_ = 1;
    TimerId running_ = 0;  // id of the callback under way, 0 when none
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace platform
