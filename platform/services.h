#pragma once
// The process-wide platform services, as the system services they stand in for are
// process-wide. The real implementations are made on first use. Tests swap in their doubles
// (platform/testing/test_platform.h) before the code under test runs and restore them after.
//
// The MIDI devices behind the two registries come from the device library (platform/backends),
// which installs them; a process that does not link it has registries without devices: no
// ports, nothing fails.

#include <memory>

#include "platform/clock.h"
#include "platform/midi_in.h"
#include "platform/midi_out.h"
#include "platform/timer.h"
#include "platform/window_queue.h"

namespace platform {

// Makers of the real device backends, one call each when its registry is first used.
struct DeviceBackends {
    std::unique_ptr<MidiOutBackend> (*output)() = nullptr;
    std::unique_ptr<MidiInBackend> (*input)() = nullptr;
};

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

// Sets the devices each registry is made with on its first use (one made already keeps its
// own). Called by the device library while it loads or from main, before any other thread
// runs; it only stores the two makers, so it is safe before any static object exists.
void installDeviceBackends(const DeviceBackends& devices);

}  // namespace platform
