// The setup page's logic without widgets: device items and the device each stands for, the
// choices of the three boxes, the MIDI IN, MIDI OUT, PANIC, DRUM TABS and COMBO buttons, the
// error box, the wait, the help topics and their installation.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/config_file.h"
#include "common/help.h"
#include "platform/testing/launch_log.h"
#include "program/setup_ops.h"
#include "program/shell.h"
#include "tests/app/support/program_fixture.h"

namespace {

namespace fs = std::filesystem;
using platform::MMSYSERR_BADDEVICEID;
using platform::MMSYSERR_NODRIVER;
using platform::MMSYSERR_NOERROR;
using Names = std::vector<std::string>;
using Strings = std::vector<std::string>;

class SetupOps : public testsupport::ProgramFixture {
  protected:
    std::vector<unsigned char> configBytes() {
        std::ifstream in(folder.path() / common::kConfigFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::vector<platform::MMRESULT> failures;
    app::DeviceFailure recordFailure = [this](platform::MMRESULT r) { failures.push_back(r); };
};

TEST_F(SetupOps, InputItemsMapToTheirDevicesAcrossAFailedOne) {
    struct Case {
        Names ports;
        int failing;  // -1: none
        Names items;
        std::vector<int> devices;
    };
    const Case cases[] = {
        {{}, -1, {}, {}},
        {{"Keys 0"}, -1, {"Keys 0"}, {0}},
        {{"Keys 0", "Keys 1", "Keys 2"}, -1, {"Keys 0", "Keys 1", "Keys 2"}, {0, 1, 2}},
        {{"Keys 0", "Keys 1", "Keys 2"}, 1, {"Keys 0", "Keys 2"}, {0, 2}},
        {{"Keys 0", "Keys 1", "Keys 2"}, 0, {"Keys 1", "Keys 2"}, {1, 2}},
    };
    auto& inputs = platform::services().midiIn();
    for (const Case& c : cases) {
        platform.inputBackend->setPorts(c.ports);
        for (int d = 0; d < 3; ++d)
            platform.inputBackend->failCaps(d, d == c.failing ? MMSYSERR_NODRIVER : MMSYSERR_NOERROR);
        failures.clear();
        const app::DeviceItems items = app::ListMidiInDevices(inputs, inputs.numDevs(), recordFailure);
        SCOPED_TRACE(testing::Message() << c.ports.size() << " ports, failing " << c.failing);
        EXPECT_EQ(items.names(), c.items);
        for (int i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items.deviceAt(i), c.devices[static_cast<std::size_t>(i)]) << "item " << i;
            EXPECT_EQ(items.itemOf(c.devices[static_cast<std::size_t>(i)]), i);
        }
        EXPECT_EQ(items.deviceAt(-1), std::nullopt);
        EXPECT_EQ(items.deviceAt(items.size()), std::nullopt);
        if (c.failing >= 0) {
            EXPECT_EQ(items.itemOf(c.failing), -1) << "a failed device has no item";
            EXPECT_EQ(failures, (std::vector<platform::MMRESULT>{MMSYSERR_NODRIVER}));
        } else {
            EXPECT_TRUE(failures.empty());
        }
    }
}

TEST_F(SetupOps, OutputItemsPutTheBuiltInSynthFirst) {
    auto& outputs = platform::services().midiOut();
    platform.outputBackend->setPorts({"Port 0", "Port 1", "Port 2"});
    app::DeviceItems items = app::ListMidiOutDevices(outputs, outputs.numDevs(), recordFailure);
    EXPECT_EQ(items.names(), (Names{"Built-in Synth", "Port 0", "Port 1", "Port 2"}));
    EXPECT_EQ(items.deviceAt(0), -1);
    EXPECT_EQ(items.deviceAt(3), 2);

    platform.outputBackend->failCaps(-1, MMSYSERR_BADDEVICEID);
    platform.outputBackend->failCaps(1, MMSYSERR_NODRIVER);
    items = app::ListMidiOutDevices(outputs, outputs.numDevs(), recordFailure);
    EXPECT_EQ(items.names(), (Names{"Port 0", "Port 2"}));
    EXPECT_EQ(items.deviceAt(0), 0) << "without the synth's item, item 0 is port 0";
    EXPECT_EQ(items.deviceAt(1), 2);
    EXPECT_EQ(items.itemOf(-1), -1);
    EXPECT_EQ(failures, (std::vector<platform::MMRESULT>{MMSYSERR_BADDEVICEID, MMSYSERR_NODRIVER}))
        << "each failure reported once, in device order";
}

TEST_F(SetupOps, AChosenItemReachesItsDeviceAndTheConfiguration) {
    app::DeviceItems out;
    out.add(-1, "Synth");
    out.add(0, "Port 0");
    out.add(2, "Port 2");  // port 1 could not be read
    state.live.parts.ThruChannel = 5;

    ASSERT_TRUE(app::ChooseMidiOut(state, link, out, 2));
    EXPECT_EQ(state.Engine.MidiOutDevice, 2);
    ASSERT_EQ(link.params.size(), 1u);
    EXPECT_EQ(link.params[0].MidiOutDevice, 2);
    EXPECT_EQ(link.params[0].Command, 0);
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{2, 0, 5}));

    ASSERT_TRUE(app::ChooseMidiOut(state, link, out, 0));
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 0, 5})) << "the synth is stored as -1";

    app::DeviceItems in;
    in.add(1, "Keys 1");
    ASSERT_TRUE(app::ChooseMidiIn(state, link, in, 0));
    EXPECT_EQ(state.Engine.MidiInDevice, 1);
    EXPECT_EQ(link.params.back().MidiInDevice, 1);
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 1, 5}));
}

TEST_F(SetupOps, NoSelectionKeepsTheDeviceAndWritesNothing) {
    app::DeviceItems items;
    items.add(-1, "Synth");
    items.add(0, "Port 0");
    state.Engine.MidiOutDevice = 0;
    state.Engine.MidiInDevice = 1;
    for (int item : {-1, 2, 100}) {
        EXPECT_FALSE(app::ChooseMidiOut(state, link, items, item)) << item;
        EXPECT_FALSE(app::ChooseMidiIn(state, link, items, item)) << item;
    }
    EXPECT_EQ(state.Engine.MidiOutDevice, 0);
    EXPECT_EQ(state.Engine.MidiInDevice, 1);
    EXPECT_TRUE(link.params.empty());
    EXPECT_FALSE(fs::exists(folder.path() / common::kConfigFileName));
}

TEST_F(SetupOps, TheChannelBoxSetsTheEngineChannelOnly) {
    EXPECT_EQ(app::ChannelItemText(0), "Channel: 1");
    EXPECT_EQ(app::ChannelItemText(15), "Channel: 16");
    for (auto [item, channel] : {std::pair{0, 0}, {9, 9}, {15, 15}}) {
        ASSERT_TRUE(app::ChooseChannel(state, link, item));
        EXPECT_EQ(state.Engine.Channel, channel);
        EXPECT_EQ(link.params.back().Channel, channel);
    }
    state.Engine.Channel = 4;
    EXPECT_FALSE(app::ChooseChannel(state, link, -1));
    EXPECT_FALSE(app::ChooseChannel(state, link, 16));
    EXPECT_EQ(state.Engine.Channel, 4);
    EXPECT_EQ(link.params.size(), 3u);
    EXPECT_FALSE(fs::exists(folder.path() / common::kConfigFileName)) << "the channel is not stored";
}

TEST_F(SetupOps, ErrorBoxBeepsThenShowsThePlainBox) {
    app::ErrorBox(dialogs, "The MIDI device is busy.");
    const auto& log = dialogs.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, platform::testing::ScriptedDialogs::Entry::Kind::Beep);
    EXPECT_EQ(log[0].sound, platform::BeepSound::Default);
    EXPECT_EQ(log[1].text, "The MIDI device is busy.");
    EXPECT_EQ(log[1].caption, "");
    EXPECT_EQ(log[1].buttons, platform::BoxButtons::Ok);
    EXPECT_EQ(log[1].icon, platform::BoxIcon::None);
    EXPECT_EQ(log[1].owner, nullptr);
}

TEST_F(SetupOps, WaitMsWaitsOnThePlatformClock) {
    const double before = platform.clock.ms();
    app::WaitMs(1000);
    EXPECT_EQ(platform.clock.ms() - before, 1000.0);
    app::WaitMs(0);
    EXPECT_EQ(platform.clock.ms() - before, 1000.0);
}

// What the setup page and the pages around it were asked, each with the engine journal's length
// at that moment.
class RecordingSetupHost final : public app::SetupHost {
  public:
    explicit RecordingSetupHost(testsupport::TestEngineLink& link) : link_(link) {}
    const app::SetupPageOps* ops = nullptr;  // whose view the page would show
    Strings steps;

    void showDeviceChoices() override {
        const app::SetupView& v = ops->view;
        note(v.InputChoiceShown ? "choice: input" : v.OutputChoiceShown ? "choice: output" : "choice: none");
    }
    void showInputDevices() override {
        note("input items " + items(ops->midiInItems(), ops->view.MidiInItem));
    }
    void showOutputDevices() override {
        note("output items " + items(ops->midiOutItems(), ops->view.MidiOutItem));
    }
    void stopPlayer() override { note("stop player"); }
    void showPlayer() override { note("show player"); }
    void hidePlayer() override { note("hide player"); }
    void showInputWindow(bool shown) override { note(shown ? "input window on" : "input window off"); }

  private:
    static std::string items(const app::DeviceItems& items, int selected) {
        return std::to_string(items.size()) + ", selected " + std::to_string(selected);
    }
    void note(const std::string& step) {
        steps.push_back(step + " @" + std::to_string(link_.journal().size()));
    }
    testsupport::TestEngineLink& link_;
};

class SetupPageOps : public SetupOps {
  protected:
    SetupPageOps() { host.ops = &ops; }
    // The devices in memory and in the configuration, with THRU channel 3.
    void storeDevices(std::int8_t out, std::uint8_t in) {
        state.Engine.MidiOutDevice = out;
        state.Engine.MidiInDevice = in;
        state.live.parts.ThruChannel = 3;
        common::WriteConfig(state, state.live.parts.ThruChannel);
    }
    RecordingSetupHost host{link};
    app::SetupPageOps ops{state,
                          state.live.parts.ThruChannel,
                          link,
                          devices,
                          dialogs,
                          platform::services().midiIn(),
                          platform::services().midiOut(),
                          host};
};

// The input box lists the devices that answer, selects the configured one by its device, and
// opens only after the choices closed; the input restarts with the list on screen.
TEST_F(SetupPageOps, MidiInListsTheDevicesAndSelectsTheConfiguredOneByDevice) {
    platform.inputBackend->setPorts({"Keys 0", "Keys 1", "Keys 2"});
    platform.inputBackend->failCaps(1, MMSYSERR_NODRIVER);
    storeDevices(-1, 2);
    ASSERT_TRUE(ops.MidiInBtnClick());

    EXPECT_EQ(ops.midiInItems().names(), (Names{"Keys 0", "Keys 2"}));
    EXPECT_EQ(ops.view.MidiInItem, 1) << "device 2 is the second item";
    EXPECT_EQ(ops.midiInItems().deviceAt(ops.view.MidiInItem), 2);
    EXPECT_TRUE(ops.view.InputChoiceShown);
    EXPECT_FALSE(ops.view.OutputChoiceShown);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, platform::midiErrorText(MMSYSERR_NODRIVER));
    const Strings j = link.journal();
    const auto panic = std::find(j.begin(), j.end(), "panic") - j.begin();
    const auto open = std::find(j.begin(), j.end(), "in: open 2") - j.begin();
    ASSERT_LT(open, static_cast<long>(j.size()));
    const std::string p = " @" + std::to_string(panic), q = " @" + std::to_string(panic + 1);
    EXPECT_EQ(host.steps,
              (Strings{"stop player" + p, "choice: none" + q, "show player" + q, "input window off" + q,
                       "input items 0, selected -1" + q, "hide player" + q, "input items 2, selected 1" + q,
                       "choice: input" + q, "input window on @" + std::to_string(j.size())}));
    EXPECT_GT(open, panic) << "the input restarts after the output's open and the panic";
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 2, 3}));
}

// The output box: the built-in synth first, each item keeping its device past a failing one;
// the device in use is selected and taken as the choice, unless it only stands in for a
// configured device that is missing, which the configuration keeps.
TEST_F(SetupPageOps, MidiOutListsTheSynthAndThePortsAndTakesTheDeviceInUse) {
    struct Case {
        Names ports;
        int failing;
        std::int8_t configured;
        Names items;
        int selected;
        bool taken;
        std::vector<unsigned char> config;
    };
    const Case cases[] = {
        {{"Port 0", "Port 1", "Port 2"}, 0, 2, {"Built-in Synth", "Port 1", "Port 2"}, 2, true, {2, 0, 3}},
        {{"Port 0"}, -1, -1, {"Built-in Synth", "Port 0"}, 0, true, {0xFF, 0, 3}},
        {{"Port 0"}, -1, 1, {"Built-in Synth", "Port 0"}, 0, false, {1, 0, 3}},  // port 1 is gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "configured " << int{c.configured});
        platform.outputBackend->setPorts(c.ports);
        for (int d = 0; d < 3; ++d)
            platform.outputBackend->failCaps(d, d == c.failing ? MMSYSERR_NODRIVER : MMSYSERR_NOERROR);
        storeDevices(c.configured, 0);
        link.clearJournal();
        ASSERT_TRUE(ops.MidiOutBtnClick());
        EXPECT_EQ(ops.midiOutItems().names(), c.items);
        EXPECT_EQ(ops.view.MidiOutItem, c.selected);
        EXPECT_EQ(ops.midiOutItems().deviceAt(c.selected), c.taken ? c.configured : -1);
        EXPECT_TRUE(ops.view.OutputChoiceShown);
        const Strings shorts = link.journal("short");
        EXPECT_EQ(shorts, (Strings{"short 121 0 0", "short 255 0 0", "short 127 0 0", "short 125 0 0"}));
        EXPECT_EQ(link.journal().back() == "params", c.taken) << "the box's own choice of the item";
        if (c.taken) {
            EXPECT_EQ(link.params.back().MidiOutDevice, c.configured);
        }
        EXPECT_EQ(configBytes(), c.config);
    }
}

// PANIC closes both choices, panics once, closes them again while the setup page is in use, and
// shows the player page unless the program is exiting. Every close writes the configuration.
TEST_F(SetupPageOps, PanicSweepsTheChoicesAroundOnePanic) {
    struct Case {
        std::uint8_t setupActive, exiting;
        int closesAfter;
    };
    for (const Case c : {Case{1, 0, 2}, Case{0, 0, 0}, Case{1, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << "active " << int{c.setupActive} << ", exiting " << int{c.exiting});
        ASSERT_TRUE(ops.MidiOutBtnClick());
        state.shell.SetupPageActive = c.setupActive;
        state.shell.Exiting = c.exiting;
        state.live.parts.ThruChannel = 9;
        fs::remove(folder.path() / common::kConfigFileName);
        link.clearJournal();
        host.steps.clear();

        ops.PanicBtnClick();
        EXPECT_EQ(link.journal(), (Strings{"panic"}));
        Strings expected;
        auto close = [&](const char* at) {
            expected.push_back(std::string("choice: none @") + at);
            if (!c.exiting) expected.push_back(std::string("show player @") + at);
            expected.push_back(std::string("input window off @") + at);
        };
        close("0");
        close("0");
        for (int i = 0; i < c.closesAfter; ++i) close("1");
        if (!c.exiting) expected.push_back("show player @1");
        EXPECT_EQ(host.steps, expected);
        EXPECT_FALSE(ops.view.InputChoiceShown || ops.view.OutputChoiceShown);
        ASSERT_EQ(configBytes().size(), 3u);
        EXPECT_EQ(configBytes()[2], 9);
    }
}

// DRUM TABS and COMBO leave the setup page: the player stops before the output opens for the
// engine, the input restarts after it, and the page code names the page that follows. COMBO
// first closes the device choices, which writes the configuration; DRUM TABS leaves them be.
TEST_F(SetupPageOps, LeavingForAnotherPageStopsThePlayerThenOpensTheDevices) {
    struct Case {
        const char* button;
        void (app::SetupPageOps::*click)();
        const char* pageCode;
        bool choicesClosed;
    };
    const Case cases[] = {
        {"DRUM TABS", &app::SetupPageOps::DRUMTABClick, "DT", false},
        {"COMBO", &app::SetupPageOps::ComboButtonClick, "CO", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        platform.inputBackend->setPorts({"Keys 0"});
        ASSERT_TRUE(ops.MidiOutBtnClick());
        devices.CloseMidiOut();
        state.shell.SetupPageActive = 1;
        state.shell.PageCode = "ST";
        state.live.parts.ThruChannel = 9;
        fs::remove(folder.path() / common::kConfigFileName);
        link.clearJournal();
        host.steps.clear();

        (ops.*c.click)();
        EXPECT_EQ(state.shell.PageCode, c.pageCode);
        EXPECT_EQ(state.shell.SetupPageActive, 0);
        EXPECT_EQ(state.devices.MidiOutIsOpen, 1);
        EXPECT_EQ(ops.view.OutputChoiceShown, !c.choicesClosed);
        EXPECT_EQ(fs::exists(folder.path() / common::kConfigFileName), c.choicesClosed);
        const Strings j = link.journal();
        ASSERT_FALSE(j.empty());
        EXPECT_EQ(j.front(), "cmd " + std::to_string(common::CmdOpenOut)) << "the output opens first";
        EXPECT_EQ(j.back(), "in: start 0") << "the input restarts after it";
        Strings expected;
        if (c.choicesClosed)
            for (int i = 0; i < 2; ++i)
                for (const char* step : {"choice: none @0", "show player @0", "input window off @0"})
                    expected.push_back(step);
        expected.push_back("stop player @0");  // before anything reaches the engine
        EXPECT_EQ(host.steps, expected);
    }
}

TEST(Help, F1FollowsTheFirstLetterOfThePageCode) {
    const std::pair<const char*, const char*> cases[] = {
        {"ST", "Setup.htm"}, {"DT", "DrumTab.htm"}, {"DG", "DrumTab.htm"}, {"CO", "Combo.htm"},
        {"HH", "Intro.htm"}, {"XX", "Index.htm"},   {"", "Index.htm"},     {"st", "Index.htm"},
    };
    for (auto [code, topic] : cases) EXPECT_STREQ(common::SearchTopic(code), topic) << '"' << code << '"';
}

TEST_F(SetupOps, HelpOpensThePageInTheProgramFolderFromAnyFolder) {
    platform::testing::LaunchLog launcher;
    common::SelectFolder(state.shell, common::kArrangementFolder);
    EXPECT_TRUE(common::ShowHelpTopic(state.shell, launcher, dialogs, common::kComboTopic));
    EXPECT_EQ(launcher.opened, (Strings{(folder.path() / "help" / "Combo.htm").string()}));
    EXPECT_EQ(fs::current_path(), folder.path());
    EXPECT_TRUE(dialogs.log().empty()) << "a page the desktop opened gives no box";

    state.shell.PageCode = "DT";
    EXPECT_FALSE(common::ReturnToPlayerAfterHelp(state.shell));
    EXPECT_EQ(fs::current_path(), folder.path());
    state.shell.PageCode = "ST";
    EXPECT_TRUE(common::ReturnToPlayerAfterHelp(state.shell));
    EXPECT_EQ(fs::current_path(), folder.path() / "MidiFile");
}

TEST_F(SetupOps, HelpTheDesktopCannotOpenNamesThePageInABox) {
    platform::testing::LaunchLog launcher;
    launcher.accepts = false;  // no browser, no launcher
    EXPECT_FALSE(common::ShowHelpTopic(state.shell, launcher, dialogs, common::kIndexTopic));
    const std::string page = (folder.path() / "help" / "Index.htm").string();
    EXPECT_EQ(launcher.opened, (Strings{page}));
    ASSERT_EQ(dialogs.log().size(), 2u);
    EXPECT_EQ(dialogs.log()[0].kind, platform::testing::ScriptedDialogs::Entry::Kind::Beep);
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(page), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Exclamation);
}

class HelpInstall : public SetupOps {
  protected:
    fs::path shipped = folder.path() / "shipped";
    void write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    std::string read(const fs::path& p) {
        std::ifstream in(p);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(HelpInstall, MissingPagesAreAddedAndTheUsersAreKept) {
    write(shipped / "Index.htm", "new index");
    write(shipped / "Setup.htm", "new setup");
    const fs::path home = folder.path() / "home";
    write(home / "help" / "Index.htm", "my own index");
    std::string error;
    ASSERT_TRUE(common::InstallHelpPages(shipped, home, error)) << error;
    EXPECT_EQ(read(home / "help" / "Index.htm"), "my own index");
    EXPECT_EQ(read(home / "help" / "Setup.htm"), "new setup");
    EXPECT_FALSE(fs::exists(home / "help" / "Setup.htm.part"));

    write(shipped / "Setup.htm", "newer setup");
    ASSERT_TRUE(common::InstallHelpPages(shipped, home, error)) << error;
    EXPECT_EQ(read(home / "help" / "Setup.htm"), "new setup") << "an installed page is never replaced";
}

TEST_F(HelpInstall, FailuresAreReported) {
    std::string error;
    EXPECT_FALSE(common::InstallHelpPages(folder.path() / "nowhere", folder.path() / "home", error));
    EXPECT_NE(error.find("no help pages"), std::string::npos) << error;

    write(shipped / "Index.htm", "index");
    write(folder.path() / "blocked", "a file where the program folder should be");
    error.clear();
    EXPECT_FALSE(common::InstallHelpPages(shipped, folder.path() / "blocked", error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
}

TEST_F(HelpInstall, TheShippedPagesCoverEveryTopicAndFoundTheHelp) {
    drums::DrumOps ops(state.drums, state.Engine, link, listener);
    app::SaveOffer save(state.drums, state.live.parts, dialogs);
    app::Shell shell(state, link, devices, ops, save, dialogs);
    shell.ProbeFiles();
    EXPECT_EQ(state.shell.HelpViewerFound, 0);
    std::string error;
    ASSERT_TRUE(common::InstallHelpPages(QUINTORA_HELP_SOURCE, folder.path(), error)) << error;
    EXPECT_TRUE(common::HelpPagesPresent(folder.path()));
    for (const char* topic : common::kHelpTopics)
        EXPECT_NE(read(folder.path() / "help" / topic).find("</html>"), std::string::npos) << topic;
    shell.ProbeFiles();
    EXPECT_EQ(state.shell.HelpViewerFound, 1);

    fs::remove(folder.path() / "help" / "Combo.htm");
    EXPECT_FALSE(common::HelpPagesPresent(folder.path()));
}

}  // namespace
