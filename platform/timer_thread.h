#pragma once
// The real timer service: one dedicated thread that sleeps until the earliest deadline.

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

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

private:
    struct Event {
        TimerId id;
        TimerCallback callback;
        void* user;
    };
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::multimap<SteadyTime, Event> events_;
    TimerId nextId_ = 1;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace platform
