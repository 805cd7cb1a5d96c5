#include "program/setup_ops.h"

#include "common/config_file.h"
#include "common/folders.h"
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

bool ChooseMidiOut(common::ProgramWide& shared, std::int32_t thruChannel, common::EngineLink& engine,
                   const DeviceItems& items, int item) {
    const std::optional<int> device = items.deviceAt(item);
    if (!device) return false;
    shared.Engine.MidiOutDevice = static_cast<std::int8_t>(*device);
    shared.devices.MissingOutDevice.reset();  // the user's pick replaces a device that went missing
    common::SendParams(engine, shared.Engine);
    common::WriteConfig(shared, thruChannel);
    return true;
}

bool ChooseMidiOut(ProgramState& state, common::EngineLink& engine, const DeviceItems& items, int item) {
    return ChooseMidiOut(state, state.live.parts.ThruChannel, engine, items, item);
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

SetupPageOps::SetupPageOps(common::ProgramWide& shared, std::int32_t& thruChannel, common::EngineLink& engine,
                           common::MidiDevices& devices, platform::DialogService& dialogs,
                           platform::MidiInRegistry& inputs, platform::MidiOutRegistry& outputs,
                           SetupHost& host)
    : shared_(shared),
      thruChannel_(thruChannel),
      engine_(engine),
      devices_(devices),
      dialogs_(dialogs),
      inputs_(inputs),
      outputs_(outputs),
      host_(host) {}

void SetupPageOps::showPlayerWhenIdle() {
    if (!shared_.shell.Exiting) host_.showPlayer();
}

void SetupPageOps::deviceError(platform::MMRESULT result) {
    ErrorBox(dialogs_, platform::midiErrorText(result));
}

void SetupPageOps::noDevices(const char* text, const char* caption) {
    dialogs_.beep(platform::BeepSound::Stop);
    dialogs_.messageBox(nullptr, text, caption, platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
    // The page stays idle, and idle shows the player over it: the device button hid it, and
    // nothing but PANIC would bring it back.
    showPlayerWhenIdle();
}

bool SetupPageOps::MidiInBtnClick() {
    common::SelectFolder(shared_.shell, common::kProgramFolderRequest);
    devices_.OpenMidiOut();
    host_.stopPlayer();
    engine_.MidiPanic();
    CloseDeviceChoices();
    midiInItems_.clear();
    view.MidiInItem = -1;
    host_.showInputDevices();
    host_.hidePlayer();

    const unsigned n = inputs_.numDevs();
    if (n == 0) {
        noDevices("No MIDI input devices!", "NO MIDI IN FOUND");
        return false;
    }
    midiInItems_ = ListMidiInDevices(inputs_, n, [this](platform::MMRESULT r) { deviceError(r); });
    view.MidiInItem = midiInItems_.itemOf(static_cast<std::int8_t>(shared_.Engine.MidiInDevice));
    host_.showInputDevices();
    view.InputChoiceShown = true;
    host_.showDeviceChoices();
    devices_.RestartMidiIn();
    host_.showInputWindow(true);  // notes arriving show there
    common::WriteConfig(shared_, thruChannel_);
    return true;
}

bool SetupPageOps::MidiOutBtnClick() {
    common::SelectFolder(shared_.shell, common::kProgramFolderRequest);
    CloseDeviceChoices();
    devices_.OpenMidiOut();
    host_.stopPlayer();
    engine_.MidiPanic();
    for (int first : {121, 255, 127, 125}) engine_.ShortMidiMsg(first, 0, 0);
    midiOutItems_.clear();
    view.MidiOutItem = -1;
    host_.showOutputDevices();
    host_.hidePlayer();

    // The built-in synth (device -1) is an output like any port: without a single port it is
    // still listed, tested and chosen, and the box comes only when not even it can be reached.
    midiOutItems_ =
        ListMidiOutDevices(outputs_, outputs_.numDevs(), [this](platform::MMRESULT r) { deviceError(r); });
    if (midiOutItems_.size() == 0) {
        noDevices("No MIDI output devices!", "NO MIDI OUT FOUND");
        return false;
    }
    view.MidiOutItem = midiOutItems_.itemOf(shared_.Engine.MidiOutDevice);
    host_.showOutputDevices();
    // The box shows the device in use. The synth standing in for a device that is missing is no
    // choice of the user's: the configuration keeps theirs.
    if (!shared_.devices.MissingOutDevice)
        ChooseMidiOut(shared_, thruChannel_, engine_, midiOutItems_, view.MidiOutItem);
    view.OutputChoiceShown = true;
    host_.showDeviceChoices();
    return true;
}

void SetupPageOps::CloseDeviceChoices() {
    common::WriteConfig(shared_, thruChannel_);
    view.InputChoiceShown = false;
    view.OutputChoiceShown = false;
    host_.showDeviceChoices();
    showPlayerWhenIdle();
    host_.showInputWindow(false);
}

void SetupPageOps::PanicBtnClick() {
    CloseDeviceChoices();
    CloseDeviceChoices();
    engine_.MidiPanic();
    if (shared_.shell.SetupPageActive == 1) {
        CloseDeviceChoices();
        CloseDeviceChoices();
    }
    showPlayerWhenIdle();
}

void SetupPageOps::DRUMTABClick() {
    common::SelectFolder(shared_.shell, common::kProgramFolderRequest);
    leaveFor("DT");
}

void SetupPageOps::ComboButtonClick() {
    CloseDeviceChoices();
    CloseDeviceChoices();
    leaveFor("CO");
}

void SetupPageOps::leaveFor(const char* pageCode) {
    shared_.shell.SetupPageActive = 0;
    host_.stopPlayer();
    shared_.shell.PageCode = pageCode;
    devices_.OpenMidiOut();
    devices_.RestartMidiIn();
}

}  // namespace app
