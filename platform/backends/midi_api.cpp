#include "platform/backends/midi_api.h"

#include "platform/backends/jack_client.h"
#include "platform/backends/jack_client_name.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace platform {

namespace {
bool jackServerRuns() {
    return JackClient::open(uniqueJackClientName("Quintora2-probe")) != nullptr;
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
