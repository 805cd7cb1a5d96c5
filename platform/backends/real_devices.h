#pragma once
// The system's MIDI devices behind the platform's registries: output device -1 is the built-in
// synth, 0..n-1 the MIDI ports of the API QUINTORA_MIDI_API chooses (ALSA or JACK), and the
// input devices are that API's input ports. The library installs them as it loads; main calls
// InstallRealDevices as well, so that the program never depends on the load alone.

namespace platform::backends {

// Installs the real devices for every registry made after the call. Idempotent.
void InstallRealDevices();

}  // namespace platform::backends
