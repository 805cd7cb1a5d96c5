#include "common/midi_devices.h"

#include "common/config_file.h"

namespace common {

using platform::BeepSound;
using platform::BoxButtons;
using platform::BoxIcon;
using platform::MMSYSERR_NOERROR;

MidiDevices::MidiDevices(ProgramWide& state, std::int32_t& thruChannel, EngineLink& engine,
                         platform::DialogService& dialogs, platform::MidiInRegistry& inputs)
    : state_(state), thruChannel_(thruChannel), engine_(engine), dialogs_(dialogs), inputs_(inputs) {}

void MidiDevices::OpenMidiOut() {
    ReadConfig(state_, thruChannel_);
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
    ReadConfig(state_, thruChannel_);
    // The same device stays open: a port is not made anew at every stop.
    if (state_.devices.MidiOutIsOpen && state_.Engine.MidiOutDevice == openedDevice_) return;
    CloseMidiOut();
    OpenMidiOut();
}

void MidiDevices::OpenMidiIn() {
    ReadConfig(state_, thruChannel_);
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
