#pragma once
// The real output devices: the built-in synth as device -1 and the system's ports after it.

#include <memory>
#include <mutex>

#include "platform/backends/midi_api.h"
#include "platform/backends/rtmidi_ports.h"
#include "platform/midi_out.h"

namespace platform {

class BuiltinSynth;

class SystemMidiOutBackend final : public MidiOutBackend {
  public:
    explicit SystemMidiOutBackend(MidiApi api);
    ~SystemMidiOutBackend() override;
    std::string synthName() override;
    std::vector<std::string> portNames() override;
    std::unique_ptr<MidiOutPort> open(int device, MMRESULT& error) override;

  private:
    std::mutex mutex_;
    // Loaded on the first open of device -1 and kept: loading the SoundFont takes a moment and
    // the program reopens its output on every page change.
    std::shared_ptr<BuiltinSynth> synth_;
    RtMidiOutPorts ports_;
};

}  // namespace platform

namespace platform {
// A port onto a given synth (used to render the synth in-process).
std::unique_ptr<MidiOutPort> makeSynthPort(std::shared_ptr<BuiltinSynth> synth);
}  // namespace platform
