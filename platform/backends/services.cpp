#include "platform/services.h"

#include <mutex>

#include "platform/backends/midi_api.h"
#include "platform/backends/rtmidi_ports.h"
#include "platform/backends/system_output.h"
#include "platform/timer_thread.h"

namespace platform {

struct Services::Real {
    SystemClock clock;
    MessageQueue queue;
    std::once_flag timerOnce, outOnce, inOnce;
    std::unique_ptr<TimerThread> timer;
    std::unique_ptr<MidiOutRegistry> midiOut;
    std::unique_ptr<MidiInRegistry> midiIn;
    MidiApi api() {
        std::call_once(apiOnce, [this] { chosen = chooseMidiApi(); });
        return chosen;
    }

  private:
    std::once_flag apiOnce;
    MidiApi chosen = MidiApi::None;
};

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
            std::make_unique<MidiOutRegistry>(std::make_unique<SystemMidiOutBackend>(real_->api()));
    });
    return *real_->midiOut;
}

MidiInRegistry& Services::midiIn() {
    std::call_once(real_->inOnce, [this] {
        real_->midiIn =
            std::make_unique<MidiInRegistry>(std::make_unique<RtMidiInBackend>(real_->api()), real_->queue);
    });
    return *real_->midiIn;
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
