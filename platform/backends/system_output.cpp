#include "platform/backends/system_output.h"

#include "platform/backends/builtin_synth.h"

namespace platform {

namespace {
class SynthPort final : public MidiOutPort {
  public:
    explicit SynthPort(std::shared_ptr<BuiltinSynth> synth) : synth_(std::move(synth)) {}

  protected:
    MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t length) override {
        synth_->send(bytes, length);
        return MMSYSERR_NOERROR;
    }
    MMRESULT doReset() override {
        synth_->allSoundsOff();
        return MMSYSERR_NOERROR;
    }

  private:
    std::shared_ptr<BuiltinSynth> synth_;
};
}  // namespace

SystemMidiOutBackend::SystemMidiOutBackend(MidiApi api) : ports_(api) {}
SystemMidiOutBackend::~SystemMidiOutBackend() = default;

std::string SystemMidiOutBackend::synthName() {
    return "Quintora2 GM Synth";
}

std::vector<std::string> SystemMidiOutBackend::portNames() {
    return ports_.names();
}

std::unique_ptr<MidiOutPort> SystemMidiOutBackend::open(int device, MMRESULT& error) {
    if (device == MIDI_MAPPER) {
        std::lock_guard lock(mutex_);
        // A synth whose JACK server went away stays silent: a new one plays on whatever audio
        // runs now (the server back, or another driver). Ports still open keep the old one.
        if (!synth_ || synth_->audioLost())
            synth_ = std::make_shared<BuiltinSynth>(BuiltinSynth::Audio::Driver);
        return std::make_unique<SynthPort>(synth_);
    }
    return ports_.open(device, error);
}

std::unique_ptr<MidiOutPort> makeSynthPort(std::shared_ptr<BuiltinSynth> synth) {
    return std::make_unique<SynthPort>(std::move(synth));
}

}  // namespace platform
