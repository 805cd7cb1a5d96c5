// The platform stand-ins: timer thread, window queue, input gating, message checks.

#include <gtest/gtest.h>

#include <poll.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/short_message.h"
#include "platform/testing/test_platform.h"
#include "platform/timer_thread.h"

namespace {

using namespace std::chrono_literals;

struct Fired {
    std::mutex m;
    std::condition_variable cv;
    std::vector<int> order;
    void add(int v) {
        std::lock_guard l(m);
        order.push_back(v);
        cv.notify_all();
    }
    bool waitFor(std::size_t n) {
        std::unique_lock l(m);
        return cv.wait_for(l, 60s, [&] { return order.size() >= n; });
    }
};

struct Tagged {
    Fired* fired;
    int tag;
};

void onFire(platform::TimerId, void* p) {
    auto* t = static_cast<Tagged*>(p);
    t->fired->add(t->tag);
}

// A callback that holds the timer thread until it is let go: events armed meanwhile are all
// pending at once however slowly the arming thread runs.
struct Gate {
    std::promise<void> entered, go;
    static void hold(platform::TimerId, void* p) {
        auto* g = static_cast<Gate*>(p);
        g->entered.set_value();
        g->go.get_future().wait();
    }
};

TEST(TimerThread, FiresInDeadlineOrderAndKilledEventsNever) {
    platform::TimerThread timer;
    Fired fired;
    Gate gate;
    Tagged a{&fired, 1}, b{&fired, 2}, c{&fired, 3}, last{&fired, 4};
    const auto now = std::chrono::steady_clock::now();
    timer.setOneShot(now, &Gate::hold, &gate);
    gate.entered.get_future().wait();
    timer.setOneShot(now + 30ms, &onFire, &c);
    const auto killed = timer.setOneShot(now + 10ms, &onFire, &b);
    timer.setOneShot(now + 5ms, &onFire, &a);
    timer.setOneShot(now + 40ms, &onFire, &last);  // after the killed one's deadline
    EXPECT_TRUE(timer.kill(killed));
    EXPECT_FALSE(timer.kill(killed)) << "a second kill finds nothing";
    gate.go.set_value();
    // The last event fires after the killed one's deadline: had that one stayed, it would be in.
    ASSERT_TRUE(fired.waitFor(3));
    std::lock_guard l(fired.m);
    EXPECT_EQ(fired.order, (std::vector<int>{1, 3, 4}));
}

// A callback may arm the next event itself (the step clock does), and no event fires early.
struct Chain {
    platform::TimerThread* timer;
    int left = 5;
    platform::SteadyTime deadline;
    std::vector<double> lateMs;
    std::mutex m;
    std::condition_variable cv;
    static void step(platform::TimerId, void* p) {
        auto* c = static_cast<Chain*>(p);
        std::lock_guard l(c->m);
        c->lateMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - c->deadline)
                .count());
        if (--c->left > 0) {
            c->deadline += 10ms;
            c->timer->setOneShot(c->deadline, &Chain::step, c);
        }
        c->cv.notify_all();
    }
};

TEST(TimerThread, CallbackMayArmTheNextEventAndNoneFiresEarly) {
    platform::TimerThread timer;
    Chain chain{&timer};
    {
        std::lock_guard l(chain.m);
        chain.deadline = std::chrono::steady_clock::now() + 10ms;
        timer.setOneShot(chain.deadline, &Chain::step, &chain);
    }
    std::unique_lock l(chain.m);
    ASSERT_TRUE(chain.cv.wait_for(l, 60s, [&] { return chain.left == 0; }));
    ASSERT_EQ(chain.lateMs.size(), 5u);
    for (double late : chain.lateMs) EXPECT_GE(late, 0.0);
}

// A callback that signals when it starts, waits to be let go when gated, then takes its time.
struct Slow {
    platform::TimerThread* timer = nullptr;
    std::promise<void> started, go;
    std::atomic<bool> finished{false};
    std::atomic<int> selfKill{-1};  // what killAndWait of its own id returned inside the callback
    bool killItself = false;
    bool gated = false;
    static void run(platform::TimerId id, void* p) {
        auto* s = static_cast<Slow*>(p);
        s->started.set_value();
        if (s->gated) s->go.get_future().wait();
        if (s->killItself) s->selfKill = s->timer->killAndWait(id) ? 1 : 0;
        std::this_thread::sleep_for(50ms);
        s->finished = true;
    }
};

TEST(TimerThread, KillAndWaitReturnsOnlyAfterTheRunningCallbackOfThatId) {
    platform::TimerThread timer;
    Slow slow{&timer};
    slow.gated = true;  // it cannot finish before the first check, however late that runs
    Fired fired;
    Tagged other{&fired, 1};
    const auto now = std::chrono::steady_clock::now();
    const auto id = timer.setOneShot(now, &Slow::run, &slow);
    const auto later = timer.setOneShot(now + 10s, &onFire, &other);
    slow.started.get_future().wait();
    EXPECT_TRUE(timer.killAndWait(later)) << "a pending event is simply cancelled";
    EXPECT_FALSE(slow.finished) << "... without waiting for another id's callback";
    slow.go.set_value();  // still 50 ms to run: a wait that returned early finds it unfinished
    EXPECT_FALSE(timer.killAndWait(id)) << "it had already fired";
    EXPECT_TRUE(slow.finished) << "the running callback has returned";
    EXPECT_FALSE(timer.killAndWait(id)) << "an id that is done returns at once";
}

TEST(TimerThread, ACallbackMayKillAndWaitForItself) {
    // On the timer thread, waiting for its own callback would never end. A failure leaks the
    // stuck timer instead of hanging in its destructor.
    auto* timer = new platform::TimerThread;
    Slow slow{timer};
    slow.killItself = true;
    timer->setOneShot(std::chrono::steady_clock::now(), &Slow::run, &slow);
    slow.started.get_future().wait();
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!slow.finished && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(slow.finished) << "the callback is stuck in its own killAndWait";
    EXPECT_EQ(slow.selfKill, 0);
    delete timer;
}

class Recorder : public platform::WindowProc {
  public:
    void windowMessage(std::uint32_t msg, std::uintptr_t w, std::intptr_t l) override {
        got.push_back({msg, w, l});
    }
    struct M {
        std::uint32_t msg;
        std::uintptr_t w;
        std::intptr_t l;
        bool operator==(const M&) const = default;
    };
    std::vector<M> got;
};

TEST(MessageQueue, DeliversInOrderAndDropsMessagesForGoneWindows) {
    platform::MessageQueue q;
    Recorder a, b;
    HWND ha = q.createWindow(&a), hb = q.createWindow(&b);
    EXPECT_TRUE(q.post(ha, 1025, 1, 0));
    EXPECT_TRUE(q.post(hb, 1025, 2, 0));
    EXPECT_TRUE(q.post(ha, 1025, 3, 0));
    q.destroyWindow(hb);  // its queued message is dropped at dispatch
    EXPECT_FALSE(q.post(hb, 1025, 4, 0)) << "posting to a gone window queues nothing";
    EXPECT_EQ(q.dispatch(), 2u);
    EXPECT_EQ(a.got, (std::vector<Recorder::M>{{1025, 1, 0}, {1025, 3, 0}}));
    EXPECT_TRUE(b.got.empty());
    HWND hc = q.createWindow(&b);
    EXPECT_NE(hc, hb) << "handles are never reused";
}

TEST(MidiInput, MessagesReachTheWindowOnlyWhileStarted) {
    platform::testing::TestPlatform tp;
    Recorder r;
    HWND w = tp.queue().createWindow(&r);
    auto& in = platform::services().midiIn();
    platform::HMIDIIN h = nullptr;
    ASSERT_EQ(in.open(&h, 1, w), 0u);
    tp.inputBackend->inject(1, 0x403C90);
    ASSERT_EQ(in.start(h), 0u);
    tp.inputBackend->inject(1, 0x403C90);
    tp.inputBackend->inject(0, 0x403E90);  // another device
    ASSERT_EQ(in.stop(h), 0u);
    tp.inputBackend->inject(1, 0x003C90);
    tp.queue().dispatch();
    ASSERT_EQ(r.got.size(), 1u);
    EXPECT_EQ(r.got[0].msg, platform::MM_MIM_DATA);
    EXPECT_EQ(r.got[0].w, reinterpret_cast<std::uintptr_t>(h));
    EXPECT_EQ(r.got[0].l, 0x403C90);

    tp.inputBackend->fail(platform::testing::InjectableInput::Op::Close, platform::MMSYSERR_ERROR);
    EXPECT_NE(in.close(h), 0u) << "a failed close is reported";
    EXPECT_EQ(tp.inputBackend->openPorts(), 0) << "... and the port is released all the same";
    EXPECT_EQ(in.start(h), platform::MMSYSERR_INVALHANDLE);
    EXPECT_EQ(in.open(&h, 7, w), platform::MMSYSERR_BADDEVICEID);
    tp.queue().destroyWindow(w);
}

TEST(MidiOutput, HandlesAreCheckedAndDevicesListed) {
    platform::testing::TestPlatform tp;
    auto& out = platform::services().midiOut();
    EXPECT_EQ(out.numDevs(), 2u);
    std::string name;
    EXPECT_EQ(out.getDevCaps(-1, name), 0u);
    EXPECT_EQ(name, "Built-in Synth");
    EXPECT_EQ(out.getDevCaps(2, name), platform::MMSYSERR_BADDEVICEID);
    platform::HMIDIOUT h = nullptr;
    ASSERT_EQ(out.open(&h, 0), 0u);
    EXPECT_EQ(out.close(h), 0u);
    EXPECT_EQ(out.shortMsg(h, 0x403C90), platform::MMSYSERR_INVALHANDLE) << "a closed handle sends nothing";
    EXPECT_EQ(out.close(h), platform::MMSYSERR_INVALHANDLE);
}

TEST(MessageQueue, EveryPostMakesTheWakeupDescriptorReadable) {
    platform::MessageQueue q;
    Recorder r;
    HWND h = q.createWindow(&r);
    auto readable = [&] {
        pollfd p{q.wakeupFd(), POLLIN, 0};
        return poll(&p, 1, 0) == 1;
    };
    EXPECT_FALSE(readable());
    q.post(h, 1025, 1, 0);
    q.post(h, 1025, 2, 0);
    EXPECT_TRUE(readable());
    q.clearWakeup();
    EXPECT_FALSE(readable()) << "one clear covers every post before it";
    EXPECT_EQ(q.dispatch(), 2u);
    q.post(h, 1025, 3, 0);
    EXPECT_TRUE(readable());
}

// Ports of which device 0 blocks in its send until released.
class GateBackend final : public platform::MidiOutBackend {
  public:
    struct Gate {
        std::mutex m;
        std::condition_variable cv;
        bool entered = false, released = false, sending = false, destroyedWhileSending = false;
        std::atomic<int> sent{0};
    };
    explicit GateBackend(std::shared_ptr<Gate> g) : gate_(std::move(g)) {}
    std::string synthName() override { return "synth"; }
    std::vector<std::string> portNames() override { return {"slow", "fast"}; }
    std::unique_ptr<platform::MidiOutPort> open(int device, platform::MMRESULT&) override {
        return std::make_unique<Port>(gate_, device);
    }

  private:
    class Port final : public platform::MidiOutPort {
      public:
        Port(std::shared_ptr<Gate> g, int device) : gate_(std::move(g)), device_(device) {}
        ~Port() override {
            std::lock_guard l(gate_->m);
            if (device_ == 0 && gate_->sending) gate_->destroyedWhileSending = true;
        }

      protected:
        platform::MMRESULT sendBytes(const std::uint8_t*, std::size_t) override {
            if (device_ == 0) {
                std::unique_lock l(gate_->m);
                gate_->entered = gate_->sending = true;
                gate_->cv.notify_all();
                gate_->cv.wait(l, [&] { return gate_->released; });
                gate_->sending = false;
            }
            ++gate_->sent;
            return platform::MMSYSERR_NOERROR;
        }
        platform::MMRESULT doReset() override { return platform::MMSYSERR_NOERROR; }

      private:
        std::shared_ptr<Gate> gate_;
        int device_;
    };
    std::shared_ptr<Gate> gate_;
};

TEST(MidiOutput, ASlowSendHoldsUpNeitherOtherPortsNorTheRegistry) {
    auto gate = std::make_shared<GateBackend::Gate>();
    platform::MidiOutRegistry out(std::make_unique<GateBackend>(gate));
    platform::HMIDIOUT slow = nullptr, fast = nullptr;
    ASSERT_EQ(out.open(&slow, 0), 0u);
    ASSERT_EQ(out.open(&fast, 1), 0u);
    std::thread stuck([&] { out.shortMsg(slow, 0x403C90); });
    {
        std::unique_lock l(gate->m);
        gate->cv.wait(l, [&] { return gate->entered; });
    }
    // Meanwhile, on another thread: a send on the other port, an open, a close, a listing.
    auto others = std::async(std::launch::async, [&] {
        platform::HMIDIOUT h = nullptr;
        const bool ok = out.shortMsg(fast, 0x403C90) == 0 && out.open(&h, 1) == 0 && out.close(h) == 0 &&
                        out.numDevs() == 2;
        return ok;
    });
    const bool othersDone = others.wait_for(60s) == std::future_status::ready;
    // A close of the slow port waits for its send instead of freeing the port under it.
    std::thread closer([&] { EXPECT_EQ(out.close(slow), 0u); });
    std::this_thread::sleep_for(50ms);
    {
        std::lock_guard l(gate->m);
        gate->released = true;
    }
    gate->cv.notify_all();
    stuck.join();
    closer.join();
    EXPECT_TRUE(othersDone) << "the other port and the registry waited for the slow port";
    EXPECT_TRUE(others.get());
    EXPECT_FALSE(gate->destroyedWhileSending);
    EXPECT_EQ(gate->sent, 2);
    EXPECT_EQ(out.shortMsg(slow, 0x403C90), platform::MMSYSERR_INVALHANDLE);
}

TEST(ShortMessage, StatusDataLengthsAndRefusals) {
    struct Case {
        std::uint32_t packed;
        std::size_t length;  // 0 = refused
    } cases[] = {
        {0x7F3C90, 3},
        {0x0030C5, 2},
        {0x00FFD0, 0},
        {0x2000E0, 3},
        {0x0000F8, 1},
        {0x000AF3, 2},
        {0x00F4, 0},
        {0x00F5, 0},
        {0x00F9, 0},
        {0x00FD, 0},
        {0x00F0, 0},
        {0x00F7, 0},
        {0x7B39, 0},
        {0x79, 0},
        {0x80FF, 1},
        {0x003C80, 3},
        {0xFFFFFF00 | 0xFE, 1},
    };
    for (auto c : cases) {
        auto m = platform::decodeShortMessage(c.packed);
        EXPECT_EQ(m ? m->length : 0u, c.length) << std::hex << c.packed;
    }
}

}  // namespace
