#include "program/setup_ops.h"

#include "common/config_file.h"
#include "platform/services.h"

namespace app {

void DeviceItems::add(int device, std::string name) {
    items_.push_back({device, std::move(name)});
}

std::vector<std::string> DeviceItems::names() const {
    std::vector<std::string> out;
    out.reserve(items_.size());
    for (const Item& i : items_) out.push_back(i.name);
    return out;
}

std::optional<int> DeviceItems::deviceAt(int item) const {
    if (item < 0 || item >= size()) return std::nullopt;
    return items_[static_cast<std::size_t>(item)].device;
}

int DeviceItems::itemOf(int device) const {
    for (int i = 0; i < size(); ++i)
        if (items_[static_cast<std::size_t>(i)].device == device) return i;
    return -1;
}

namespace {

template <class Registry>
void listInto(DeviceItems& items, Registry& registry, int first, unsigned count,
              const DeviceFailure& failed) {
    for (int device = first; device < static_cast<int>(count); ++device) {
        std::string name;
        const platform::MMRESULT r = registry.getDevCaps(device, name);
        if (r != platform::MMSYSERR_NOERROR) {
            if (failed) failed(r);
            continue;
        }
        items.add(device, std::move(name));
    }
}

}  // namespace

DeviceItems ListMidiInDevices(platform::MidiInRegistry& inputs, unsigned count, const DeviceFailure& failed) {
    DeviceItems items;
    listInto(items, inputs, 0, count, failed);
    return items;
}

DeviceItems ListMidiOutDevices(platform::MidiOutRegistry& outputs, unsigned count,
                               const DeviceFailure& failed) {
    DeviceItems items;
    listInto(items, outputs, platform::MIDI_MAPPER, count, failed);
    return items;
}

bool ChooseMidiIn(ProgramState& state, common::EngineLink& engine, const DeviceItems& items, int item) {
    const std::optional<int> device = items.deviceAt(item);
    if (!device) return false;
    state.Engine.MidiInDevice = static_cast<std::uint8_t>(*device);
    common::SendParams(engine, state.Engine);
    common::WriteConfig(state, state.live.parts.ThruChannel);
    return true;
}

bool ChooseMidiOut(ProgramState& state, common::EngineLink& engine, const DeviceItems& items, int item) {
    const std::optional<int> device = items.deviceAt(item);
    if (!device) return false;
    state.Engine.MidiOutDevice = static_cast<std::int8_t>(*device);
    state.devices.MissingOutDevice.reset();  // the user's pick replaces a device that went missing
    common::SendParams(engine, state.Engine);
    common::WriteConfig(state, state.live.parts.ThruChannel);
    return true;
}

std::string ChannelItemText(int item) {
    return "Channel: " + std::to_string(item + 1);
}

bool ChooseChannel(ProgramState& state, common::EngineLink& engine, int item) {
    if (item < 0 || item >= kChannelItems) return false;
    state.Engine.Channel = static_cast<std::uint8_t>(item);
    common::SendParams(engine, state.Engine);
    return true;
}

void ErrorBox(platform::DialogService& dialogs, const std::string& text) {
    dialogs.beep(platform::BeepSound::Default);
    dialogs.messageBox(nullptr, text, "", platform::BoxButtons::Ok, platform::BoxIcon::None);
}

void WaitMs(std::uint32_t ms) {
    platform::services().clock().waitMs(ms);
}

}  // namespace app
