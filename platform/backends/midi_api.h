#pragma once
// Which MIDI system the ports come from: QUINTORA_MIDI_API = "alsa" | "jack"; by default ALSA
// when its sequencer exists, else JACK when a server runs, else none (no ports, no failure).

namespace platform {

enum class MidiApi { None, Alsa, Jack };

MidiApi chooseMidiApi();

}  // namespace platform
