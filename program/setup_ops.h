#pragma once
// The setup page's work without widgets: the items of the device boxes and the device each
// stands for, the choices made in the device and channel boxes, the MIDI IN, MIDI OUT, OK,
// PANIC and DRUM TABS buttons, and the two small helpers other pages share (ErrorBox, WaitMs).
// The page runs an operation and then shows what it left in the view. User-interface thread
// only.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "common/program_wide.h"
#include "platform/dialogs.h"
#include "platform/midi_in.h"
#include "platform/midi_out.h"
#include "program/program_state.h"

namespace app {

// The items of one device box, in order, each with the device it stands for. A device whose
// description cannot be read gets no item; the items after it move up but keep their devices,
// so a choice always reaches the device it names.
class DeviceItems {
  public:
    void add(int device, std::string name);
    void clear() { items_.clear(); }
    int size() const { return static_cast<int>(items_.size()); }
    std::vector<std::string> names() const;
    // The device of item, or none for -1 (no selection) and items beyond the list.
    std::optional<int> deviceAt(int item) const;
    // The item standing for device, or -1 when no item does.
    int itemOf(int device) const;

  private:
    struct Item {
        int device;
        std::string name;
    };
    std::vector<Item> items_;
};

// Called once for each device whose description cannot be read, in device order.
using DeviceFailure = std::function<void(platform::MMRESULT)>;

// Input devices 0..count-1.
DeviceItems ListMidiInDevices(platform::MidiInRegistry& inputs, unsigned count, const DeviceFailure& failed);
// The built-in synth (device -1, the "MIDI mapper"), then output devices 0..count-1.
DeviceItems ListMidiOutDevices(platform::MidiOutRegistry& outputs, unsigned count,
                               const DeviceFailure& failed);

// The input box's choice: MidiInDevice := the item's device, the block to the engine, the
// configuration written. An item that stands for no device changes and writes nothing;
// returns whether the choice was taken.
bool ChooseMidiIn(ProgramState& state, common::EngineLink& engine, const DeviceItems& items, int item);
// The output box's choice: MidiOutDevice := the item's device (the engine opens it at its
// next open), a missing device forgotten, the block to the engine, the configuration written
// (with `thruChannel`). As above for no device.
bool ChooseMidiOut(common::ProgramWide& shared, std::int32_t thruChannel, common::EngineLink& engine,
                   const DeviceItems& items, int item);
bool ChooseMidiOut(ProgramState& state, common::EngineLink& engine, const DeviceItems& items, int item);

// The channel box: item i ("Channel: i+1") is the user channel i, sent to the engine and not
// stored in the configuration. Items outside 0..15 change nothing.
inline constexpr int kChannelItems = 16;
std::string ChannelItemText(int item);
bool ChooseChannel(ProgramState& state, common::EngineLink& engine, int item);

// A device error for the user: a default beep, then a box with the text, an empty caption,
// an OK button and no icon.
void ErrorBox(platform::DialogService& dialogs, const std::string& text);

// Holds the calling thread for ms milliseconds of the platform clock. It sleeps: nothing else
// runs on this thread meanwhile, as the output test expects.
void WaitMs(std::uint32_t ms);

// The setup page's controls as its operations leave them.
struct SetupView {
    bool InputChoiceShown = false;   // Label1, MidiInBox and OKInBtn
    bool OutputChoiceShown = false;  // Label2, MidiOutBox, ChannelBox, OutTestBtn and OKOutBtn
    // The title labels show while neither choice does.
    int MidiInItem = -1;  // the item each device box selects when it is listed; -1 none
    int MidiOutItem = -1;
};

// What the setup page's operations ask of the page and the pages around it, in their order.
class SetupHost {
  public:
    virtual ~SetupHost() = default;
    // The device choices and the titles as the view has them.
    virtual void showDeviceChoices() = 0;
    // A device box takes the items as last listed, with the view's item selected.
    virtual void showInputDevices() = 0;
    virtual void showOutputDevices() = 0;
    // The player page's media player closed: what it plays ends and its timers stop.
    virtual void stopPlayer() = 0;
    // The player page shown over the setup page when the setup page is on screen, or hidden.
    virtual void showPlayer() = 0;
    virtual void hidePlayer() = 0;
    // The input window, where the notes arriving show while the input is being chosen.
    virtual void showInputWindow(bool shown) = 0;
};

class SetupPageOps {
  public:
    // `thruChannel` is kept in the configuration with the devices.
    SetupPageOps(common::ProgramWide& shared, std::int32_t& thruChannel, common::EngineLink& engine,
                 common::MidiDevices& devices, platform::DialogService& dialogs,
                 platform::MidiInRegistry& inputs, platform::MidiOutRegistry& outputs, SetupHost& host);

    SetupView view;
    // The device each item of the two boxes stands for, as last listed.
    const DeviceItems& midiInItems() const { return midiInItems_; }
    const DeviceItems& midiOutItems() const { return midiOutItems_; }

    // MIDI IN: the output opened, the player stopped and the engine's panic; the choices
    // closed; then the input devices listed with the configured one selected, the input
    // restarted, the input window shown and the configuration written. Without an input device
    // the "NO MIDI IN FOUND" box, and the page stays idle. False then.
    bool MidiInBtnClick();
    // MIDI OUT: the choices closed, the output opened, the player stopped, the engine's panic
    // and the reset messages; then the built-in synth and the output devices listed with the
    // one in use selected, and taken as the choice unless it stands in for a missing device.
    // Without even the synth the "NO MIDI OUT FOUND" box, and the page stays idle. False then.
    bool MidiOutBtnClick();
    // Either OK: the configuration written, both choices closed, the player page back, the
    // input window hidden.
    void CloseDeviceChoices();
    // PANIC: both choices closed, the engine's panic, both closed again while the setup page
    // is the one in use, and the player page back.
    void PanicBtnClick();
    // DRUM TABS, before the page changes: the setup page left, the player stopped, PageCode
    // "DT", the output opened and the input restarted.
    void DRUMTABClick();
    // COMBO, before the page changes: both choices closed (the configuration written), then as
    // DRUM TABS with PageCode "CO".
    void ComboButtonClick();

  private:
    void noDevices(const char* text, const char* caption);
    void deviceError(platform::MMRESULT result);
    void showPlayerWhenIdle();
    // The setup page left for the page of `pageCode`: the player stopped, the output opened
    // and the input restarted.
    void leaveFor(const char* pageCode);
    common::ProgramWide& shared_;
    std::int32_t& thruChannel_;
    common::EngineLink& engine_;
    common::MidiDevices& devices_;
    platform::DialogService& dialogs_;
    platform::MidiInRegistry& inputs_;
    platform::MidiOutRegistry& outputs_;
    SetupHost& host_;
    DeviceItems midiInItems_;
    DeviceItems midiOutItems_;
};

}  // namespace app
