#pragma once
// The two MIDI devices: the output, which belongs to the engine and is opened and closed by its
// commands, and the input, which the program opens itself with the hidden input window as the
// receiver of its messages. Every open first re-reads the configuration file.
//
// An output device the configuration names that is not there (a port unplugged or removed since
// it was chosen) is said once in a box, and the built-in synth plays in its place: MidiOutDevice
// holds the device in use, MissingOutDevice the user's choice, which the configuration keeps
// until the user picks another. The choice is taken up again as soon as an open finds it back.
// Without a configuration (a first run) the device set for the run is taken as it stands.
//
// Failures: an input that does not open gives an exclamation beep only (the program runs on
// without a keyboard); failing close, reset, start and stop give a stop beep and an "ERROR"
// box. User-interface thread only.

#include "common/engine_link.h"
#include "common/program_wide.h"
#include "platform/dialogs.h"
#include "platform/midi_in.h"
#include "platform/midi_out.h"

namespace common {

class MidiDevices {
  public:
    MidiDevices(ProgramWide& state, std::int32_t& thruChannel, EngineLink& engine,
                platform::DialogService& dialogs, platform::MidiInRegistry& inputs,
                platform::MidiOutRegistry& outputs);

    // The window that receives the input's messages (the hidden input window).
    void setInputWindow(HWND window) { inputWindow_ = window; }

    void OpenMidiOut();
    void CloseMidiOut();
    // Leaves the output open on the device the configuration names now: CloseMidiOut and
    // OpenMidiOut when that device is another than the one open (or none is open).
    void ReopenMidiOut();
    // The output device to play on now (-1 the built-in synth): the one the configuration
    // named at the last open, or the synth in its place while that one is missing (checked
    // again here). For the media player, which opens the output itself; the current folder
    // stays as it is.
    int OutputDevice();
    void OpenMidiIn();
    void CloseMidiIn();
    void ResetMidiIn();
    void StartMidiIn();
    void StopMidiIn();
    // Stop, close, open, reset, start: a device chosen meanwhile takes effect here.
    void RestartMidiIn();

  private:
    void report(platform::MMRESULT result, const char* text);
    // ReadConfig, then the output device checked when a configuration names it.
    void readConfig();
    // MidiOutDevice := the chosen device when it is listed, else the synth in its place.
    void TakeAvailableOutput();

    ProgramWide& state_;
    std::int32_t& thruChannel_;  // the configuration also holds the THRU channel
    EngineLink& engine_;
    platform::DialogService& dialogs_;
    platform::MidiInRegistry& inputs_;
    platform::MidiOutRegistry& outputs_;
    HWND inputWindow_ = nullptr;
    bool missingSaid_ = false;                              // the missing output device has been named
    decltype(EngineParams::MidiOutDevice) openedDevice_{};  // the device the output was last opened on
};

}  // namespace common
