// Opening, closing, resetting, starting and stopping the two devices, with injected failures.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "common/config_file.h"
#include "tests/app/support/program_fixture.h"

namespace {

using platform::testing::InjectableInput;
using platform::testing::ScriptedDialogs;
using Strings = std::vector<std::string>;

class Devices : public testsupport::ProgramFixture {
  protected:
    void writeConfig(unsigned char out, unsigned char in, unsigned char thru) {
        std::ofstream f(folder.path() / common::kConfigFileName, std::ios::binary);
        const char b[3] = {static_cast<char>(out), static_cast<char>(in), static_cast<char>(thru)};
        f.write(b, 3);
    }
};

TEST_F(Devices, OutputOpensOnceAndReadsTheConfigurationEachTime) {
    writeConfig(0x01, 0, 3);
    state.Engine.Tempo = 200;
    devices.OpenMidiOut();
    EXPECT_EQ(state.Engine.MidiOutDevice, 1);
    writeConfig(0xFF, 0, 3);
    devices.OpenMidiOut();
    EXPECT_EQ(state.Engine.MidiOutDevice, -1) << "the second open still re-reads the file";
    EXPECT_EQ(link.journal(), (Strings{"cmd 248"}));
    EXPECT_EQ(link.params[0].Tempo, 200) << "the block goes whole, tempo included";
    EXPECT_EQ(link.params[0].MidiOutDevice, 1);
    EXPECT_EQ(state.Engine.Command, 0);
    EXPECT_EQ(link.engine.snapshot().outOpen, 1);

    devices.CloseMidiOut();
    devices.CloseMidiOut();
    EXPECT_EQ(link.journal(), (Strings{"cmd 248", "cmd 247"}));
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0);
    EXPECT_FALSE(link.engine.snapshot().portHeld);
}

// A configuration that cannot be written (here a file without write permission, which stops
// even the super-user's save) leaves the user's choices in force at every open that reads it,
// and is said once on standard error. Once a write succeeds, the file counts again.
TEST_F(Devices, ChoicesHoldForTheRunWhenTheConfigurationCannotBeWritten) {
    namespace fs = std::filesystem;
    writeConfig(0xFF, 0, 3);
    const fs::path cfg = folder.path() / common::kConfigFileName;
    fs::permissions(cfg, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    devices.OpenMidiOut();
    devices.OpenMidiIn();
    testing::internal::CaptureStderr();
    state.live.parts.ThruChannel = 5;  // the THRU box
    common::WriteConfig(state, state.live.parts.ThruChannel);
    state.Engine.MidiInDevice = 1;  // MIDI IN and MIDI OUT
    state.Engine.MidiOutDevice = 1;
    common::WriteConfig(state, state.live.parts.ThruChannel);
    const std::string said = testing::internal::GetCapturedStderr();
    for (int i = 0; i < 3; ++i) {  // the reopens of a stop, a page change, a start
        devices.RestartMidiIn();
        devices.ReopenMidiOut();
        devices.OpenMidiOut();
    }
    EXPECT_EQ(state.live.parts.ThruChannel, 5);
    EXPECT_EQ(state.Engine.MidiInDevice, 1);
    EXPECT_EQ(platform.inputBackend->calls().back(), "start 1");
    ASSERT_EQ(link.params.back().Command, common::CmdOpenOut);
    EXPECT_EQ(link.params.back().MidiOutDevice, 1);
    EXPECT_NE(said.find(cfg.string()), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said once: " << said;

    fs::permissions(cfg, fs::perms::owner_write, fs::perm_options::add);
    common::WriteConfig(state, state.live.parts.ThruChannel);
    writeConfig(0xFF, 0, 7);  // changed on the disk since
    devices.OpenMidiIn();
    EXPECT_EQ(state.live.parts.ThruChannel, 7);
}

// A port chosen in an earlier run and gone since: named once, the built-in synth plays in its
// place (the engine and the player), and the configuration keeps the port until it is back or
// the user picks another.
TEST_F(Devices, AConfiguredOutputThatIsGoneIsNamedOnceAndTheSynthPlaysInstead) {
    writeConfig(0x01, 0, 3);                       // Port B
    platform.outputBackend->setPorts({"Port A"});  // unplugged since
    devices.OpenMidiOut();
    devices.RestartMidiIn();
    devices.ReopenMidiOut();
    EXPECT_EQ(devices.OutputDevice(), -1);
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("port 2"), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("Built-in Synth plays instead"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].caption, "WARNING");
    EXPECT_EQ(link.journal("cmd 248").size(), 1u);
    EXPECT_EQ(link.params[0].MidiOutDevice, -1) << "the engine opens the synth";
    common::WriteConfig(state, state.live.parts.ThruChannel);
    devices.OpenMidiIn();
    EXPECT_EQ(state.devices.MissingOutDevice, std::optional<std::int8_t>(1));
    {
        std::ifstream f(folder.path() / common::kConfigFileName, std::ios::binary);
        EXPECT_EQ(f.get(), 0x01) << "the user's choice is kept";
    }

    platform.outputBackend->setPorts({"Port A", "Port B"});  // back
    devices.ReopenMidiOut();
    EXPECT_EQ(link.params.back().Command, common::CmdOpenOut);
    EXPECT_EQ(link.params.back().MidiOutDevice, 1);
    EXPECT_FALSE(state.devices.MissingOutDevice);
    EXPECT_EQ(dialogs.boxes().size(), 1u);

    // Gone again with not even the synth to take its place: said again, and that nothing plays.
    platform.outputBackend->setPorts({});
    platform.outputBackend->failCaps(-1, platform::MMSYSERR_NODRIVER);
    devices.ReopenMidiOut();
    ASSERT_EQ(dialogs.boxes().size(), 2u);
    EXPECT_NE(dialogs.boxes()[1].text.find("Nothing plays"), std::string::npos) << dialogs.boxes()[1].text;
}

TEST_F(Devices, InputOpensResetsAndStartsAndDeliversToTheWindow) {
    struct Catch final : platform::WindowProc {
        std::vector<std::tuple<std::uint32_t, std::uintptr_t, std::intptr_t>> got;
        void windowMessage(std::uint32_t m, std::uintptr_t w, std::intptr_t l) override {
            got.emplace_back(m, w, l);
        }
    } window;
    HWND hwnd = platform::services().queue().createWindow(&window);
    devices.setInputWindow(hwnd);
    writeConfig(0xFF, 1, 3);
    devices.OpenMidiIn();
    devices.OpenMidiIn();  // already open: only the file is read again
    EXPECT_EQ(platform.inputBackend->calls(), (Strings{"open 1", "reset 1", "start 1"}));
    ASSERT_EQ(state.devices.MidiInIsOpen, 1);
    platform.inputBackend->inject(1, 0x643C90);
    platform::services().queue().dispatch();
    ASSERT_EQ(window.got.size(), 1u);
    EXPECT_EQ(std::get<0>(window.got[0]), platform::MM_MIM_DATA);
    EXPECT_EQ(std::get<1>(window.got[0]), reinterpret_cast<std::uintptr_t>(state.devices.MidiInHandle));
    EXPECT_EQ(std::get<2>(window.got[0]), 0x643C90);
    EXPECT_TRUE(dialogs.log().empty());

    devices.RestartMidiIn();
    EXPECT_EQ(platform.inputBackend->calls(),
              (Strings{"open 1", "reset 1", "start 1", "stop 1", "close 1", "open 1", "reset 1", "start 1",
                       "reset 1", "start 1"}));
    devices.CloseMidiIn();
    platform::services().queue().destroyWindow(hwnd);
}

TEST_F(Devices, WithNoInputOpenTheOperationsDoNothing) {
    devices.ResetMidiIn();
    devices.StartMidiIn();
    devices.StopMidiIn();
    devices.CloseMidiIn();
    EXPECT_TRUE(platform.inputBackend->calls().empty());
    EXPECT_TRUE(dialogs.log().empty());
}

TEST_F(Devices, AnInputThatDoesNotOpenOnlyBeeps) {
    writeConfig(0xFF, 7, 3);  // no such device
    devices.OpenMidiIn();
    platform.inputBackend->fail(InjectableInput::Op::Open, platform::MMSYSERR_ALLOCATED);
    writeConfig(0xFF, 0, 3);
    devices.OpenMidiIn();
    EXPECT_EQ(state.devices.MidiInIsOpen, 0);
    ASSERT_EQ(dialogs.log().size(), 2u);
    for (auto& e : dialogs.log()) {
        EXPECT_EQ(e.kind, ScriptedDialogs::Entry::Kind::Beep);
        EXPECT_EQ(e.sound, platform::BeepSound::Exclamation);
    }
    platform.inputBackend->fail(InjectableInput::Op::Open, platform::MMSYSERR_NOERROR);
    devices.OpenMidiIn();
    EXPECT_EQ(state.devices.MidiInIsOpen, 1) << "the next open tries again";
}

TEST_F(Devices, FailingOperationsShowTheirBoxesAndCarryOn) {
    struct Case {
        InjectableInput::Op op;
        void (common::MidiDevices::*call)();
        const char* text;
    };
    const Case cases[] = {
        {InjectableInput::Op::Reset, &common::MidiDevices::ResetMidiIn, "Midi IN RESET Failure Check"},
        {InjectableInput::Op::Start, &common::MidiDevices::StartMidiIn, "Midi IN START Failure Check"},
        {InjectableInput::Op::Stop, &common::MidiDevices::StopMidiIn, "Midi IN STOP Failure Check"},
        {InjectableInput::Op::Close, &common::MidiDevices::CloseMidiIn, "Midi IN CLOSE Failure Check"},
    };
    for (const Case& c : cases) {
        devices.OpenMidiIn();
        ASSERT_EQ(state.devices.MidiInIsOpen, 1);
        dialogs.clear();
        platform.inputBackend->fail(c.op, platform::MMSYSERR_ERROR);
        (devices.*c.call)();
        platform.inputBackend->fail(c.op, platform::MMSYSERR_NOERROR);
        ASSERT_EQ(dialogs.log().size(), 2u) << c.text;
        EXPECT_EQ(dialogs.log()[0].kind, ScriptedDialogs::Entry::Kind::Beep);
        EXPECT_EQ(dialogs.log()[0].sound, platform::BeepSound::Stop);
        const auto& box = dialogs.log()[1];
        EXPECT_EQ(box.kind, ScriptedDialogs::Entry::Kind::Box);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, "ERROR");
        EXPECT_EQ(box.icon, platform::BoxIcon::Exclamation);
        EXPECT_EQ(box.buttons, platform::BoxButtons::Ok);
        const bool closeCase = c.op == InjectableInput::Op::Close;
        EXPECT_EQ(state.devices.MidiInIsOpen, closeCase ? 0 : 1)
            << "only close changes the flag, even on failure";
        devices.CloseMidiIn();
    }
    EXPECT_EQ(platform.inputBackend->openPorts(), 0) << "a failed close still releases the port";
}

}  // namespace
