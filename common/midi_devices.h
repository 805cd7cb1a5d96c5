#pragma once
// The two MIDI devices: the output, which belongs to the engine and is opened and closed by its
// commands, and the input, which the program opens itself with the hidden input window as the
// receiver of its messages. Every open first re-reads the configuration file.
//
// Failures: an input that does not open gives an exclamation beep only (the program runs on
// without a keyboard); failing close, reset, start and stop give a stop beep and an "ERROR"
// box. User-interface thread only.

#include "common/engine_link.h"
#include "common/program_wide.h"
#include "platform/dialogs.h"
#include "platform/midi_in.h"

namespace common {

class MidiDevices {
  public:
    MidiDevices(ProgramWide& state, std::int32_t& thruChannel, EngineLink& engine,
                platform::DialogService& dialogs, platform::MidiInRegistry& inputs);

    // The window that receives the input's messages (the hidden input window).
    void setInputWindow(HWND window) { inputWindow_ = window; }

    void OpenMidiOut();
    void CloseMidiOut();
    // Leaves the output open on the device the configuration names now: CloseMidiOut and
    // OpenMidiOut when that device is another than the one open (or none is open).
    void ReopenMidiOut();
    void OpenMidiIn();
    void CloseMidiIn();
    void ResetMidiIn();
    void StartMidiIn();
    void StopMidiIn();
    // Stop, close, open, reset, start: a device chosen meanwhile takes effect here.
    void RestartMidiIn();

  private:
    void report(platform::MMRESULT result, const char* text);

    ProgramWide& state_;
    std::int32_t& thruChannel_;  // the configuration also holds the THRU channel
    EngineLink& engine_;
    platform::DialogService& dialogs_;
    platform::MidiInRegistry& inputs_;
    HWND inputWindow_ = nullptr;
    decltype(EngineParams::MidiOutDevice) openedDevice_{};  // the device the output was last opened on
};

}  // namespace common
