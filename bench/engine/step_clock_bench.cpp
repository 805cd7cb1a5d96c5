// Step clock timing at tempo 250 on the real timer thread: how late each step fires and how far
// the last step has drifted from the sum of the periods. Prints one figure per line.
//
//   step_clock_bench [steps]   (default 2000 steps, about 56 s)

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "platform/services.h"
#include "platform/testing/recording_output.h"
#include "platform/timer_thread.h"

namespace {

// Wraps the real timer and notes, for every event, when it was due and when it fired.
class MeasuringTimer final : public platform::TimerService {
public:
    platform::TimerId setOneShot(platform::SteadyTime deadline, platform::TimerCallback cb, void* user) override {
        std::lock_guard lock(mutex_);
        pending_ = {cb, user, deadline};
        return inner_.setOneShot(deadline, &MeasuringTimer::fire, this);
    }
    bool kill(platform::TimerId id) override { return inner_.kill(id); }

    std::vector<std::pair<platform::SteadyTime, platform::SteadyTime>> samples() {
        std::lock_guard lock(mutex_);
        return samples_;
    }

private:
    struct Pending {
        platform::TimerCallback cb;
        void* user;
        platform::SteadyTime deadline;
    };
    static void fire(platform::TimerId id, void* p) {
        const auto now = std::chrono::steady_clock::now();
        auto* self = static_cast<MeasuringTimer*>(p);
        Pending e;
        {
            std::lock_guard lock(self->mutex_);
            e = self->pending_;
            self->samples_.emplace_back(e.deadline, now);
        }
        e.cb(id, e.user);
    }
    platform::TimerThread inner_;
    std::mutex mutex_;
    Pending pending_{};
    std::vector<std::pair<platform::SteadyTime, platform::SteadyTime>> samples_;
};

double us(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::max(10, std::atoi(argv[1])) : 2000;
    platform::SystemClock clock;
    platform::Services& services = platform::services();
    services.midiOut().setBackend(
        std::make_unique<platform::testing::RecordingOutput>(std::make_shared<platform::testing::OutputLog>(), clock));
    MeasuringTimer timer;
    services.overrideTimer(&timer);
    {
        engine::Engine e(services);
        auto call = [&](std::uint8_t cmd, std::uint8_t step = 0, std::uint8_t drum = 0, std::uint8_t cell = 0) {
            e.Params(0, 9, cell, 0, 0xFF, 0, 250, 0, step, drum, cmd);
        };
        call(engine::CmdClearGrid);
        for (int s = 1; s < 256; s += 2) call(0, static_cast<std::uint8_t>(s), 9, 100);  // a busy pattern
        call(8);
        call(engine::CmdStart);
        while (static_cast<int>(timer.samples().size()) < steps) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        call(engine::CmdStop);
    }
    services.overrideTimer(nullptr);

    auto samples = timer.samples();
    samples.resize(static_cast<std::size_t>(steps));
    std::vector<double> late;
    for (auto& [due, fired] : samples) late.push_back(us(fired - due));
    std::sort(late.begin(), late.end());
    auto pct = [&](double p) { return late[std::min(late.size() - 1, static_cast<std::size_t>(p * late.size()))]; };
    // Every strict step at tempo 250 lasts 28 ms; the last step should fire 28 ms x (n - 1)
    // after the first step's deadline.
    const auto ideal = samples.front().first + std::chrono::milliseconds(28) * (steps - 1);
    std::printf("steps %d\n", steps);
    std::printf("lateness_p50_us %.1f\n", pct(0.50));
    std::printf("lateness_p99_us %.1f\n", pct(0.99));
    std::printf("lateness_max_us %.1f\n", late.back());
    std::printf("drift_us %.1f\n", us(samples.back().second - ideal));
    return 0;
}
