// A step of the clock allocates nothing on the timer thread: the real timer service re-arms,
// the drums go out on an open port and the step is posted to a window, all without a heap
// allocation once the clock has run a few steps. This binary replaces the global operator new
// to count the allocations made on the timer thread.

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "platform/services.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<pthread_t> gWatched{};
std::atomic<int> gAllocations{0};

void noteAllocation() {
    if (gCounting.load(std::memory_order_relaxed) && pthread_equal(pthread_self(), gWatched.load()))
        gAllocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void* operator new(std::size_t n) {
    noteAllocation();
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, std::align_val_t a) {
    noteAllocation();
    const auto align = static_cast<std::size_t>(a);
    if (void* p = std::aligned_alloc(align, (n + align - 1) / align * align)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

namespace {

// An output device that only counts what reaches it (a real device's send allocates nothing
// either; the recording double would).
class CountingOutput final : public platform::MidiOutBackend {
  public:
    std::atomic<int> sent{0};
    std::array<std::atomic<int>, 128> noteOns{};  // by key, as the timer thread sends them
    std::string synthName() override { return "counter"; }
    std::vector<std::string> portNames() override { return {"counter"}; }
    std::unique_ptr<platform::MidiOutPort> open(int, platform::MMRESULT&) override {
        return std::make_unique<Port>(sent, noteOns);
    }

  private:
    class Port final : public platform::MidiOutPort {
      public:
        Port(std::atomic<int>& sent, std::array<std::atomic<int>, 128>& noteOns)
            : sent_(sent), noteOns_(noteOns) {}

      protected:
        platform::MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t n) override {
            ++sent_;
            if (n >= 3 && (bytes[0] & 0xF0) == 0x90 && bytes[2] > 0) ++noteOns_[bytes[1] & 0x7F];
            return platform::MMSYSERR_NOERROR;
        }
        platform::MMRESULT doReset() override { return platform::MMSYSERR_NOERROR; }

      private:
        std::atomic<int>& sent_;
        std::array<std::atomic<int>, 128>& noteOns_;
    };
};

struct StepCounter final : platform::WindowProc {
    int steps = 0;
    void windowMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t) override {
        if (msg == platform::WM_USER + 1) ++steps;
    }
};

void noteThread(platform::TimerId, void* done) {
    gWatched = pthread_self();
    static_cast<std::atomic<bool>*>(done)->store(true);
}

TEST(StepAllocation, AStepAllocatesNothingOnTheTimerThread) {
    platform::Services& services = platform::services();
    auto backend = std::make_unique<CountingOutput>();
    CountingOutput* output = backend.get();
    services.midiOut().setBackend(std::move(backend));
    StepCounter window;
    HWND hwnd = services.queue().createWindow(&window);

    std::atomic<bool> known{false};
    services.timer().setOneShot(std::chrono::steady_clock::now(), &noteThread, &known);
    while (!known) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    {
        engine::Engine e(services);
        e.MessagePost(hwnd);
        auto call = [&](std::uint8_t cmd, std::uint8_t step = 0, std::uint8_t drum = 0,
                        std::uint8_t cell = 0) { e.Params(0, 9, cell, 0, 0, 0, 250, 0, step, drum, cmd); };
        call(engine::CmdClearGrid);
        for (int s = 1; s < 256; ++s)
            for (std::uint8_t d : {0, 9, 11, 42, 69}) call(0, static_cast<std::uint8_t>(s), d, 100);
        call(8);
        call(engine::CmdJitterTiming);
        call(engine::CmdStart);
        // The user-interface side: dispatch the posted steps as the event loop would, until the
        // condition holds or a generous deadline passes.
        auto runUntil = [&](auto done) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!done() && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                services.queue().clearWakeup();
                services.queue().dispatch();
            }
        };
        runUntil([&] { return window.steps >= 3; });
        std::array<int, 128> before{};
        for (int k = 0; k < 128; ++k) before[k] = output->noteOns[k];
        // The note-ons played while the allocations are counted, by key. They are counted where
        // they are sent, since the dispatched steps may lag the timer's.
        auto played = [&] {
            std::vector<int> counts;
            for (int k = 0; k < 128; ++k)
                if (const int n = output->noteOns[k] - before[k]; n > 0) counts.push_back(n);
            return counts;
        };
        auto fewest = [&] {
            const auto counts = played();
            return counts.empty() ? 0 : *std::min_element(counts.begin(), counts.end());
        };
        gCounting = true;
        runUntil([&] { return window.steps >= 3 + 40 && fewest() >= 40; });
        gCounting = false;
        const auto counts = played();
        ASSERT_EQ(counts.size(), 5u) << "the five drums were played";
        const auto [low, high] = std::minmax_element(counts.begin(), counts.end());
        EXPECT_GE(*low, 40) << "forty steps were played";
        // Counting starts and stops between two drums of a step at most.
        EXPECT_LE(*high - *low, 1) << "every step played its five drums";
        call(engine::CmdStop);
    }
    EXPECT_EQ(gAllocations.load(), 0) << "allocations on the timer thread during 40 steps";
    services.queue().destroyWindow(hwnd);
    services.midiOut().setBackend(nullptr);
}

}  // namespace
