#include "platform/backends/real_devices.h"

#include <mutex>

#include "platform/backends/midi_api.h"
#include "platform/backends/rtmidi_ports.h"
#include "platform/backends/system_output.h"
#include "platform/services.h"

namespace platform::backends {

namespace {

// Output and input take their ports from one API, chosen once for the process.
MidiApi ProcessApi() {
    static std::once_flag once;
    static MidiApi chosen = MidiApi::None;
    std::call_once(once, [] { chosen = chooseMidiApi(); });
    return chosen;
}

std::unique_ptr<MidiOutBackend> MakeOutput() {
    return std::make_unique<SystemMidiOutBackend>(ProcessApi());
}

std::unique_ptr<MidiInBackend> MakeInput() {
    return std::make_unique<RtMidiInBackend>(ProcessApi());
}

// A program or library that links the devices has them from its start, whoever uses the
// registries first.
[[maybe_unused]] const bool installedOnLoad = (InstallRealDevices(), true);

}  // namespace

void InstallRealDevices() {
    installDeviceBackends({MakeOutput, MakeInput});
}

}  // namespace platform::backends
