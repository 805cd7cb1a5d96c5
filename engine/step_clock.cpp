#include "engine/engine.h"

#include <algorithm>

namespace engine {

namespace {
constexpr std::uint32_t kResolutionMs = 5;
constexpr std::uint32_t WM_DRUMSTEP_MSG = platform::WM_USER + 1;
}  // namespace

// Period of numerator/tempo milliseconds, truncated to whole milliseconds. The tempo is
// clamped to 20..250 so that a bad value can neither divide by zero nor stall the clock.
std::chrono::nanoseconds Engine::stepPeriod(std::uint32_t numerator) const {
    const std::uint32_t tempo = std::clamp<std::uint32_t>(EngineTempo, 20, 250);
    return std::chrono::milliseconds(std::max<std::uint32_t>(1, numerator / tempo));
}

void Engine::armNext(platform::SteadyTime deadline) {
    deadline_ = deadline;
    EngineTimerId = services_.timer().setOneShot(deadline, &Engine::timerThunk, this);
}

void Engine::StartClock() {
    if (EngineRunning == 1) return;
    EngineRunning = 1;
    if (EngineResume == 0) EngineStep = 1;
    EngineResume = 0;
    OpenOut();
    send(0xC0u + EngineDrumChannel);
    services_.timer().beginPeriod(kResolutionMs);
    armNext(services_.clock().now() + stepPeriod(7200));
}

void Engine::StopClock() {
    // A step already under way finds its id gone and does nothing; its id is kept so that
    // shutdown can wait for it.
    if (EngineTimerId && !services_.timer().kill(EngineTimerId)) takenId_ = EngineTimerId;
    EngineTimerId = 0;
    if (EngineRunning) services_.timer().endPeriod(kResolutionMs);
    send((0xB0u + EngineDrumChannel) + 0x7B00u);
    EngineRunning = 0;
}

void Engine::SkipWaltzBeat() {
    // The first step of beat 4 (position 25) jumps to the next bar; bar 8 back to step 1.
    if (EngineStep >= 1 && EngineStep <= 255 && (EngineStep - 1) % 32 == 24)
        EngineStep = EngineStep == 249 ? 1 : EngineStep + 8;
}

void Engine::timerThunk(platform::TimerId id, void* self) {
    static_cast<Engine*>(self)->StepTimerProc(id);
}

void Engine::StepTimerProc(platform::TimerId id) {
    std::lock_guard lock(mutex_);
    if (id == takenId_) takenId_ = 0;
    if (id != EngineTimerId || !EngineRunning) return;  // cancelled or superseded
    EngineTimerId = 0;

    std::uint32_t a = 200;
    if (EngineJitter != 0) a = static_cast<std::uint32_t>(random_() % 400) + 1;
    if (EngineWaltz == 1) SkipWaltzBeat();
    if (EngineStep > EngineLoopEnd) EngineStep = 1;

    const auto& row = EngineGrid[static_cast<std::size_t>(EngineStep)];
    for (int d = 0; d < kPlayedDrums; ++d) {
        const std::int32_t v = row[static_cast<std::size_t>(d)];
        if (v == 0) continue;
        send((0xB0u + EngineDrumChannel) + 0x0A00u +
             static_cast<std::uint32_t>(EnginePans[static_cast<std::size_t>(d)]) * 0x10000u);
        send((0x90u + EngineDrumChannel) + static_cast<std::uint32_t>(d + 27) * 0x100u +
             static_cast<std::uint32_t>(v) * 0x10000u);
    }
    if (EngineWindow)
        services_.queue().post(EngineWindow, WM_DRUMSTEP_MSG, static_cast<std::uintptr_t>(EngineStep), 0);

    EngineStep += 1;
    if (EngineStep == 256) EngineStep = 0;

    if (EngineLastCommand == CmdStop) {
        StopClock();
        return;
    }
    // Anchored on the previous deadline so that steps do not drift. A step more than one
    // period late (a stalled or suspended machine) starts the clock afresh from now: catching
    // up would play the missed steps as a burst.
    const auto period = stepPeriod(7000 + a);
    auto next = deadline_ + period;
    const auto now = services_.clock().now();
    if (next < now) next = now + period;
    armNext(next);
}

}  // namespace engine
