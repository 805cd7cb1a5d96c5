// Step clock timing at tempo 250 on the real timer thread. Prints one figure per line:
//   - lateness of each step against its own deadline (p50, p99, max);
//   - drift: how fast the fire times move away from the ideal grid of 28 ms steps, as the slope
//     of lateness against the step index (least squares), and as the mean lateness of the last
//     100 steps minus that of the first 100;
//   - the timer thread's CPU share: its CPU time between the first and the last step over the
//     wall time between them (a thread that sleeps between steps stays far below 1%).
//
//   step_clock_bench [steps]   (default 2000 steps, about 56 s)

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "platform/services.h"
#include "platform/testing/recording_output.h"
#include "platform/timer_thread.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Sample {
    Clock::time_point due, fired;
    std::chrono::nanoseconds threadCpu;  // the timer thread's CPU time when the step fired
};

std::chrono::nanoseconds threadCpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

// Wraps the real timer and notes, for every event, when it was due and when it fired.
class MeasuringTimer final : public platform::TimerService {
  public:
    explicit MeasuringTimer(std::size_t capacity) { samples_.reserve(capacity); }

    platform::TimerId setOneShot(platform::SteadyTime deadline, platform::TimerCallback cb,
                                 void* user) override {
        std::lock_guard lock(mutex_);
        pending_ = {cb, user, deadline};
        return inner_.setOneShot(deadline, &MeasuringTimer::fire, this);
    }
    bool kill(platform::TimerId id) override { return inner_.kill(id); }
    bool killAndWait(platform::TimerId id) override { return inner_.killAndWait(id); }

    std::size_t count() {
        std::lock_guard lock(mutex_);
        return samples_.size();
    }
    std::vector<Sample> samples() {
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
        const auto now = Clock::now();
        const auto cpu = threadCpuNow();
        auto* self = static_cast<MeasuringTimer*>(p);
        Pending e;
        {
            std::lock_guard lock(self->mutex_);
            e = self->pending_;
            if (self->samples_.size() < self->samples_.capacity())
                self->samples_.push_back({e.deadline, now, cpu});
        }
        e.cb(id, e.user);
    }
    platform::TimerThread inner_;
    std::mutex mutex_;
    Pending pending_{};
    std::vector<Sample> samples_;
};

double us(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int steps = argc > 1 ? std::max(210, std::atoi(argv[1])) : 2000;
    const auto n = static_cast<std::size_t>(steps);
    platform::SystemClock clock;
    platform::Services& services = platform::services();
    services.midiOut().setBackend(std::make_unique<platform::testing::RecordingOutput>(
        std::make_shared<platform::testing::OutputLog>(), clock));
    MeasuringTimer timer(n);
    services.overrideTimer(&timer);
    {
        engine::Engine e(services);
        auto call = [&](std::uint8_t cmd, std::uint8_t step = 0, std::uint8_t drum = 0,
                        std::uint8_t cell = 0) { e.Params(0, 9, cell, 0, 0xFF, 0, 250, 0, step, drum, cmd); };
        call(engine::CmdClearGrid);
        for (int s = 1; s < 256; s += 2) call(0, static_cast<std::uint8_t>(s), 9, 100);  // a busy pattern
        call(8);
        call(engine::CmdStart);
        while (timer.count() < n) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        call(engine::CmdStop);
    }
    services.overrideTimer(nullptr);

    const auto samples = timer.samples();
    // Lateness against each step's own deadline.
    std::vector<double> late;
    for (const auto& s : samples) late.push_back(us(s.fired - s.due));
    std::vector<double> sorted = late;
    std::sort(sorted.begin(), sorted.end());
    auto pct = [&](double p) {
        return sorted[std::min(n - 1, static_cast<std::size_t>(p * static_cast<double>(n)))];
    };

    // Lateness against the ideal grid: step i is due 28 ms x i after the first deadline.
    std::vector<double> gridLate(n);
    for (std::size_t i = 0; i < n; ++i)
        gridLate[i] = us(samples[i].fired - samples.front().due) - 28000.0 * static_cast<double>(i);
    const double meanI = static_cast<double>(n - 1) / 2;
    const double meanL = std::accumulate(gridLate.begin(), gridLate.end(), 0.0) / static_cast<double>(n);
    double sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = static_cast<double>(i) - meanI;
        sxy += dx * (gridLate[i] - meanL);
        sxx += dx * dx;
    }
    const double slope = sxy / sxx;  // microseconds per step
    const double first100 = std::accumulate(gridLate.begin(), gridLate.begin() + 100, 0.0) / 100;
    const double last100 = std::accumulate(gridLate.end() - 100, gridLate.end(), 0.0) / 100;

    const double cpu =
        std::chrono::duration<double>(samples.back().threadCpu - samples.front().threadCpu).count();
    const double wall = std::chrono::duration<double>(samples.back().fired - samples.front().fired).count();

    std::printf("steps %d\n", steps);
    std::printf("lateness_p50_us %.1f\n", pct(0.50));
    std::printf("lateness_p99_us %.1f\n", pct(0.99));
    std::printf("lateness_max_us %.1f\n", sorted.back());
    std::printf("drift_slope_us_per_step %.3f\n", slope);
    std::printf("drift_last100_minus_first100_us %.1f\n", last100 - first100);
    std::printf("timer_thread_cpu_percent %.2f\n", 100.0 * cpu / wall);
    return 0;
}
