#pragma once
// The process-wide platform services, as the system services they stand in for are
// process-wide. The real implementations are made on first use. Tests swap in their doubles
// (platform/testing/test_platform.h) before the code under test runs and restore them after.

#include "platform/clock.h"
#include "platform/midi_in.h"
#include "platform/midi_out.h"
#include "platform/timer.h"
#include "platform/window_queue.h"

namespace platform {

class Services {
  public:
    Services();
    ~Services();
    Clock& clock();
    TimerService& timer();
    MessageQueue& queue();
    MidiOutRegistry& midiOut();
    MidiInRegistry& midiIn();

    // nullptr restores the real one. Not thread-safe: tests call these while nothing runs.
    void overrideClock(Clock* clock);
    void overrideTimer(TimerService* timer);

  private:
    struct Real;
    Real* real_;
    Clock* clock_ = nullptr;
    TimerService* timer_ = nullptr;
};

Services& services();

}  // namespace platform
