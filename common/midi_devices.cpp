#include "common/midi_devices.h"

#include <string>

#include "common/config_file.h"

namespace common {

using platform::BeepSound;
using platform::BoxButtons;
using platform::BoxIcon;
using platform::MMSYSERR_NOERROR;

MidiDevices::MidiDevices(ProgramWide& state, std::int32_t& thruChannel, EngineLink& engine,
                         platform::DialogService& dialogs, platform::MidiInRegistry& inputs,
                         platform::MidiOutRegistry& outputs)
    : state_(state),
      thruChannel_(thruChannel),
      engine_(engine),
      dialogs_(dialogs),
      inputs_(inputs),
      outputs_(outputs) {}

void MidiDevices::TakeAvailableOutput() {
    auto& missing = state_.devices.MissingOutDevice;
    const int chosen = missing.value_or(state_.Engine.MidiOutDevice);
    if (chosen == platform::MIDI_MAPPER ||
        (chosen >= 0 && static_cast<unsigned>(chosen) < outputs_.numDevs())) {
        state_.Engine.MidiOutDevice = static_cast<std::int8_t>(chosen);
        missing.reset();
        missingSaid_ = false;
        return;
    }
    missing = static_cast<std::int8_t>(chosen);
    state_.Engine.MidiOutDevice = platform::MIDI_MAPPER;
    // Leaving, nothing is left to play that the user could miss: no box holds up the exit.
    if (missingSaid_ || state_.shell.Exiting) return;
    missingSaid_ = true;
    std::string synth;
    const bool synthThere = outputs_.getDevCaps(platform::MIDI_MAPPER, synth) == MMSYSERR_NOERROR;
    // The configuration holds only the device's number: ports are numbered as MIDI OUT lists
    // them after the built-in synth, from 1.
    const std::string gone = "The MIDI output port chosen with MIDI OUT (port " + std::to_string(chosen + 1) +
                             " of its list after the built-in synth) is not there any more.\n";
    const std::string instead = synthThere ? synth + " plays instead" : "Nothing plays";
    dialogs_.messageBox(nullptr,
                        gone + instead + " until the port is back or another device is chosen with MIDI OUT.",
                        "WARNING", BoxButtons::Ok, BoxIcon::Exclamation);
}

void MidiDevices::readConfig() {
    ReadConfig(state_, thruChannel_);
    // Only what a configuration names is checked: a device set for this run alone is taken as
    // it stands.
    if (state_.shell.ConfigFound) TakeAvailableOutput();
}

int MidiDevices::OutputDevice() {
    if (state_.shell.ConfigFound) TakeAvailableOutput();
    return state_.Engine.MidiOutDevice;
}

void MidiDevices::OpenMidiOut() {
    readConfig();
    if (state_.devices.MidiOutIsOpen) return;
    SendCommand(engine_, state_.Engine, CmdOpenOut);
    state_.devices.MidiOutIsOpen = 1;
    openedDevice_ = state_.Engine.MidiOutDevice;
}

void MidiDevices::CloseMidiOut() {
    if (!state_.devices.MidiOutIsOpen) return;
    SendCommand(engine_, state_.Engine, CmdCloseOut);
    state_.devices.MidiOutIsOpen = 0;
}

void MidiDevices::ReopenMidiOut() {
    readConfig();
    // The same device stays open: a port is not made anew at every stop.
    if (state_.devices.MidiOutIsOpen && state_.Engine.MidiOutDevice == openedDevice_) return;
    CloseMidiOut();
    OpenMidiOut();
}

void MidiDevices::OpenMidiIn() {
    readConfig();
    if (state_.devices.MidiInIsOpen) return;
    platform::HMIDIIN handle = nullptr;
    const int device = static_cast<std::int8_t>(state_.Engine.MidiInDevice);
    if (inputs_.open(&handle, device, inputWindow_) != MMSYSERR_NOERROR) {
        dialogs_.beep(BeepSound::Exclamation);
        return;
    }
    state_.devices.MidiInHandle = handle;
    state_.devices.MidiInIsOpen = 1;
    ResetMidiIn();
    StartMidiIn();
}

void MidiDevices::report(platform::MMRESULT result, const char* text) {
    if (result == MMSYSERR_NOERROR) return;
    dialogs_.beep(BeepSound::Stop);
    dialogs_.messageBox(nullptr, text, "ERROR", BoxButtons::Ok, BoxIcon::Exclamation);
}

void MidiDevices::CloseMidiIn() {
    if (state_.devices.MidiInIsOpen) {
        const platform::MMRESULT r = inputs_.close(state_.devices.MidiInHandle);
        state_.devices.MidiInHandle = nullptr;
        state_.devices.MidiInIsOpen = 0;
        report(r, "Midi IN CLOSE Failure Check");
    }
    state_.devices.MidiInIsOpen = 0;
}

void MidiDevices::ResetMidiIn() {
    if (state_.devices.MidiInIsOpen)
        report(inputs_.reset(state_.devices.MidiInHandle), "Midi IN RESET Failure Check");
}

void MidiDevices::StartMidiIn() {
    if (state_.devices.MidiInIsOpen)
        report(inputs_.start(state_.devices.MidiInHandle), "Midi IN START Failure Check");
}

void MidiDevices::StopMidiIn() {
    if (state_.devices.MidiInIsOpen)
        report(inputs_.stop(state_.devices.MidiInHandle), "Midi IN STOP Failure Check");
}

void MidiDevices::RestartMidiIn() {
    StopMidiIn();
    CloseMidiIn();
    OpenMidiIn();
    ResetMidiIn();
    StartMidiIn();
}

}  // namespace common
