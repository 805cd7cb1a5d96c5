#include "platform/backends/midi_api.h"

#include "platform/backends/jack_client_name.h"

#include <jack/jack.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {
void silent(const char*) {}

bool jackServerRuns() {
    // libjack reports a missing server on stderr; not having one is normal here.
    jack_set_error_function(&silent);
    jack_set_info_function(&silent);
    jack_status_t status{};
    jack_client_t* c =
        jack_client_open(uniqueJackClientName("Quintora2-probe").c_str(), JackNoStartServer, &status);
    if (!c) return false;
    jack_client_close(c);
    return true;
}
}  // namespace

MidiApi chooseMidiApi() {
    if (const char* e = std::getenv("QUINTORA_MIDI_API")) {
        if (std::strcmp(e, "alsa") == 0) return MidiApi::Alsa;
        if (std::strcmp(e, "jack") == 0) return MidiApi::Jack;
        if (std::strcmp(e, "none") == 0) return MidiApi::None;
    }
    std::error_code ec;
    if (std::filesystem::exists("/dev/snd/seq", ec)) return MidiApi::Alsa;
    if (jackServerRuns()) return MidiApi::Jack;
    return MidiApi::None;
}

}  // namespace platform
