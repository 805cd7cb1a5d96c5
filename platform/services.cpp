#include "platform/services.h"

#include <mutex>

#include "platform/timer_thread.h"

namespace platform {

struct Services::Real {
    SystemClock clock;
    MessageQueue queue;
    std::once_flag timerOnce, outOnce, inOnce;
    std::unique_ptr<TimerThread> timer;
    std::unique_ptr<MidiOutRegistry> midiOut;
    std::unique_ptr<MidiInRegistry> midiIn;
};

namespace {
// Constant-initialised, so the device library may install its makers while it loads.
DeviceBackends installedDevices;
}  // namespace

Services::Services() : real_(new Real) {}

Services::~Services() {
    // Devices first (they may post to the queue), then the timer thread.
    real_->midiIn.reset();
    real_->midiOut.reset();
    real_->timer.reset();
    delete real_;
}

Clock& Services::clock() {
    return clock_ ? *clock_ : real_->clock;
}

TimerService& Services::timer() {
    if (timer_) return *timer_;
    std::call_once(real_->timerOnce, [this] { real_->timer = std::make_unique<TimerThread>(); });
    return *real_->timer;
}

MessageQueue& Services::queue() {
    return real_->queue;
}

MidiOutRegistry& Services::midiOut() {
    std::call_once(real_->outOnce, [this] {
        real_->midiOut =
            std::make_unique<MidiOutRegistry>(installedDevices.output ? installedDevices.output() : nullptr);
    });
    return *real_->midiOut;
}

MidiInRegistry& Services::midiIn() {
    std::call_once(real_->inOnce, [this] {
        real_->midiIn = std::make_unique<MidiInRegistry>(
            installedDevices.input ? installedDevices.input() : nullptr, real_->queue);
    });
    return *real_->midiIn;
}

void installDeviceBackends(const DeviceBackends& devices) {
    installedDevices = devices;
}

void Services::overrideClock(Clock* clock) {
    clock_ = clock;
}
void Services::overrideTimer(TimerService* timer) {
    timer_ = timer;
}

Services& services() {
    static Services s;
    return s;
}

}  // namespace platform
