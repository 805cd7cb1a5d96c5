// Start/stop races on the real timer thread (run under ThreadSanitizer by the test script):
// there is never more than one pending step event, a stopped clock stays stopped, and the
// engine can be destroyed while the timer thread is in the middle of a step.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "engine/engine.h"
#include "platform/services.h"
#include "platform/testing/recording_output.h"
#include "platform/timer_thread.h"

namespace {

// Wraps the real timer thread and counts the events armed and not yet fired or killed.
class CountingTimer final : public platform::TimerService {
  public:
    platform::TimerId setOneShot(platform::SteadyTime deadline, platform::TimerCallback cb,
                                 void* user) override {
        std::lock_guard lock(mutex_);
        auto* t = new Trampoline{this, cb, user, 0};
        const platform::TimerId id = inner_.setOneShot(deadline, &CountingTimer::fire, t);
        t->id = id;
        armed_.insert(id);
        maxArmed_ = std::max(maxArmed_, armed_.size());
        owned_[id] = t;
        return id;
    }
    bool kill(platform::TimerId id) override {
        std::lock_guard lock(mutex_);
        const bool killed = inner_.kill(id);
        if (killed) forgetLocked(id);
        return killed;
    }
    bool killAndWait(platform::TimerId id) override {
        // Not under mutex_: the callback being waited for takes it on its way to the engine.
        const bool killed = inner_.killAndWait(id);
        std::lock_guard lock(mutex_);
        if (killed) forgetLocked(id);
        return killed;
    }
    std::size_t maxArmed() {
        std::lock_guard lock(mutex_);
        return maxArmed_;
    }
    std::size_t armed() {
        std::lock_guard lock(mutex_);
        return armed_.size();
    }
    ~CountingTimer() override {
        for (auto& [id, t] : owned_) delete t;
    }

  private:
    void forgetLocked(platform::TimerId id) {
        armed_.erase(id);
        delete owned_[id];
        owned_.erase(id);
    }
    struct Trampoline {
        CountingTimer* self;
        platform::TimerCallback cb;
        void* user;
        platform::TimerId id;
    };
    static void fire(platform::TimerId id, void* arg) {
        auto* t = static_cast<Trampoline*>(arg);
        CountingTimer* self = t->self;
        platform::TimerCallback cb = t->cb;
        void* user = t->user;
        {
            std::lock_guard lock(self->mutex_);
            self->armed_.erase(id);
            self->owned_.erase(id);
            delete t;
        }
        cb(id, user);
    }
    platform::TimerThread inner_;
    std::mutex mutex_;
    std::set<platform::TimerId> armed_;
    std::map<platform::TimerId, Trampoline*> owned_;
    std::size_t maxArmed_ = 0;
};

class Steps : public platform::WindowProc {
  public:
    void windowMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) override {
        if (msg == platform::WM_USER + 1) ++count;
    }
    int count = 0;
};

TEST(EngineStress, StartStopRacesKeepOneChainAndStopsStick) {
    platform::SystemClock clock;
    auto log = std::make_shared<platform::testing::OutputLog>();
    platform::Services& services = platform::services();
    services.midiOut().setBackend(std::make_unique<platform::testing::RecordingOutput>(log, clock));
    CountingTimer timer;
    services.overrideTimer(&timer);
    Steps steps;
    HWND window = services.queue().createWindow(&steps);
    {
        engine::Engine e(services);
        e.MessagePost(window);
        auto call = [&](std::uint8_t cmd, std::uint8_t step = 0, std::uint8_t drum = 0,
                        std::uint8_t cell = 0) { e.Params(0, 9, cell, 0, 0xFF, 0, 250, 0, step, drum, cmd); };
        call(engine::CmdClearGrid);
        std::mt19937 rng(7);
        const std::uint8_t commands[] = {engine::CmdStart,
                                         engine::CmdStop,
                                         engine::CmdStopPanic,
                                         engine::CmdOpenOut,
                                         engine::CmdCloseOut,
                                         engine::CmdStart,
                                         0,
                                         4};
        for (int round = 0; round < 300; ++round) {
            const std::uint8_t cmd = commands[rng() % std::size(commands)];
            call(cmd, static_cast<std::uint8_t>(rng() % 256), static_cast<std::uint8_t>(rng() % 70),
                 static_cast<std::uint8_t>(rng() % 2 ? 100 : 0));
            if (rng() % 5 == 0) e.MidiPanic();
            if (rng() % 17 == 0) e.ShortMidiMsg(0x10, 60, 0);
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
            services.queue().dispatch();
            ASSERT_LE(timer.maxArmed(), 1u) << "round " << round;

            if (round % 50 == 49) {
                // A stop followed at once by further calls stays stopped.
                call(engine::CmdStop);
                call(0, 1, 9, 100);
                call(engine::CmdOpenOut);
                e.ShortMidiMsg(0x10, 60, 0);
                services.queue().dispatch();
                steps.count = 0;
                std::this_thread::sleep_for(std::chrono::milliseconds(120));
                services.queue().dispatch();
                EXPECT_EQ(steps.count, 0) << "round " << round;
                EXPECT_EQ(timer.armed(), 0u);
            }
        }
        call(engine::CmdStop);
    }
    services.queue().destroyWindow(window);
    services.overrideTimer(nullptr);
    services.midiOut().setBackend(nullptr);
}

// The real timer thread, preempted for a while between taking a step and running it.
class PreemptedTimer final : public platform::TimerService {
  public:
    platform::TimerId setOneShot(platform::SteadyTime deadline, platform::TimerCallback cb,
                                 void* user) override {
        std::lock_guard lock(mutex_);
        cb_ = cb;
        user_ = user;
        return inner_.setOneShot(deadline, &PreemptedTimer::fire, this);
    }
    bool kill(platform::TimerId id) override { return inner_.kill(id); }
    bool killAndWait(platform::TimerId id) override { return inner_.killAndWait(id); }

    void waitUntilTaken() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return taken_; });
    }
    // Called right after the engine's destructor returned; true when a step was still to come.
    bool stepCameAfterDestruction() {
        std::unique_lock lock(mutex_);
        destroyed_ = true;
        cv_.wait(lock, [&] { return finished_; });
        return late_;
    }

  private:
    static void fire(platform::TimerId id, void* p) {
        auto* self = static_cast<PreemptedTimer*>(p);
        {
            std::lock_guard lock(self->mutex_);
            self->taken_ = true;
        }
        self->cv_.notify_all();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        platform::TimerCallback cb;
        void* user;
        {
            std::lock_guard lock(self->mutex_);
            // The engine is gone: calling into it would use freed memory, so note it instead.
            self->late_ = self->destroyed_;
            cb = self->late_ ? nullptr : self->cb_;
            user = self->user_;
        }
        if (cb) cb(id, user);
        {
            std::lock_guard lock(self->mutex_);
            self->finished_ = true;
        }
        self->cv_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable cv_;
    platform::TimerCallback cb_ = nullptr;
    void* user_ = nullptr;
    bool taken_ = false, destroyed_ = false, late_ = false, finished_ = false;
    platform::TimerThread inner_;  // last: its thread stops before the fields above go
};

TEST(EngineStress, DestroyingTheEngineWaitsForAStepTheTimerThreadHasTaken) {
    platform::SystemClock clock;
    platform::Services& services = platform::services();
    services.midiOut().setBackend(std::make_unique<platform::testing::RecordingOutput>(
        std::make_shared<platform::testing::OutputLog>(), clock));
    PreemptedTimer timer;
    services.overrideTimer(&timer);
    auto e = std::make_unique<engine::Engine>(services);
    e->Params(0, 9, 0, 0, 0xFF, 0, 250, 0, 0, 0, engine::CmdStart);
    timer.waitUntilTaken();
    e.reset();
    EXPECT_FALSE(timer.stepCameAfterDestruction());
    services.overrideTimer(nullptr);
    services.midiOut().setBackend(nullptr);
}

}  // namespace
