#pragma once
// The setup page's work without widgets: the items of the device boxes and the device each
// stands for, the choices made in the device and channel boxes, and the two small helpers
// other pages share (ErrorBox, WaitMs). User-interface thread only.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/engine_link.h"
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
// next open), a missing device forgotten, the block to the engine, the configuration written.
// As above for no device.
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

}  // namespace app
