// The player page's logic: auto play over the MidiFile folder with its two timers fired by hand,
// STOP, a change of the list's selection, the file dialog, damaged files, and the jingles. The
// media player is the real one, on virtual time through the recording output: a file plays
// until the test lets it reach its end.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/help.h"
#include "midifile/MidiWrite.h"
#include "platform/services.h"
#include "platform/testing/launch_log.h"
#include "player/jingles.h"
#include "player/player_ops.h"
#include "tests/app/support/program_fixture.h"
#include "tests/player/support/virtual_clock.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using platform::testing::OutputEvent;

// One note of `ms` milliseconds on channel 1 at 120 beats a minute.
void WriteTune(const fs::path& path, int key, int ms = 500) {
    midifile::MidiWrite w(path.string().c_str());
    w.WriteHeader(0, 1, 480);
    w.StartTrack();
    w.WriteTempo(500000);
    w.WriteNoteOn(0, key, 100);
    w.AddDelta(static_cast<uint32_t>(ms * 480 / 500));
    w.WriteNoteOff(0, key, 0);
    ASSERT_TRUE(w.Close()) << path;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class PlayerOpsTest : public testsupport::ProgramFixture {
  protected:
    PlayerOpsTest() { clock.SetStepping(true); }

    fs::path MidiFolder() const { return folder.path() / "MidiFile"; }
    // Tunes in the MidiFile folder, each playing its own key; the list box shows the folder.
    void Tunes(const std::vector<std::pair<std::string, int>>& tunes) {
        for (const auto& [name, key] : tunes) WriteTune(MidiFolder() / name, key);
        ops.Files = player::ListMidiFiles(MidiFolder());
    }
    // Returns once the player has sent what is due now and sleeps until its next event.
    void Settle() { ASSERT_TRUE(clock.AdvanceTo(platform.clock.ms())); }
    // The file playing now plays to its end on virtual time.
    void EndFile() {
        ASSERT_TRUE(ops.media().IsPlaying());
        clock.SetStepping(false);
        clock.wake();
        ASSERT_TRUE(ops.media().WaitUntilStopped(60s));
        clock.SetStepping(true);
    }
    // The keys of every note-on the output received, in order.
    std::vector<int> KeysStarted() const {
        std::vector<int> keys;
        for (const auto& m : platform.output->messages())
            if (m.size() == 3 && (m[0] & 0xF0) == 0x90 && m[2] > 0) keys.push_back(m[1]);
        return keys;
    }
    // Note-ons not yet matched by a note-off (or a note-on with velocity 0), by channel and key.
    std::map<std::pair<int, int>, int> Sounding() const {
        std::map<std::pair<int, int>, int> open;
        for (const auto& m : platform.output->messages()) {
            if (m.size() != 3) continue;
            const auto note = std::make_pair(m[0] & 0x0F, static_cast<int>(m[1]));
            if ((m[0] & 0xF0) == 0x90 && m[2] > 0) ++open[note];
            if ((m[0] & 0xF0) == 0x80 || ((m[0] & 0xF0) == 0x90 && m[2] == 0))
                if (--open[note] == 0) open.erase(note);
        }
        return open;
    }
    void ExpectIdle() {
        EXPECT_FALSE(ops.view.Timer1On);
        EXPECT_FALSE(ops.view.Timer2On);
        EXPECT_EQ(ops.PlayerNext, 0);
        EXPECT_EQ(ops.PlayerBusy, 0);
        EXPECT_EQ(ops.view.ProgressPosition, 0u);
    }

    player::testing::VirtualClock clock{platform.clock};
    player::PlayerOps ops{state, link, devices, dialogs, platform::services().midiOut(), clock};
};

TEST_F(PlayerOpsTest, TheListShowsMidFilesInAnyCaseAndNothingElse) {
    for (const char* name : {"b.mid", "A.MID", "c.Mid", "notes.txt", ".hidden.mid", "mid", "x.midi"})
        WriteText(MidiFolder() / name, "x");
    fs::create_directory(MidiFolder() / "folder.mid");
    EXPECT_EQ(player::ListMidiFiles(MidiFolder()), (std::vector<std::string>{"A.MID", "b.mid", "c.Mid"}));
    EXPECT_TRUE(player::ListMidiFiles(folder.path() / "nowhere").empty());
}

TEST_F(PlayerOpsTest, TheFirstPollOfAFreshPageAndAutoPlayOverAnEmptyListSwitchTheTimersOff) {
    ASSERT_TRUE(ops.view.Timer1On && ops.view.Timer2On) << "both run from creation";
    ops.Timer2Timer();
    ExpectIdle();

    ops.view.Timer1On = ops.view.Timer2On = true;
    devices.OpenMidiOut();
    ops.BitBtn1Click();
    ExpectIdle();
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0) << "the engine's output closed all the same";
    EXPECT_FALSE(ops.media().IsOpen());
    EXPECT_TRUE(KeysStarted().empty());
}

TEST_F(PlayerOpsTest, AutoPlayStartsEachFileWhenAPollFindsThePreviousOneEndedThenGoesIdle) {
    Tunes({{"one.mid", 60}, {"two.MID", 62}, {"zed.mid", 64}});
    devices.OpenMidiOut();
    ASSERT_EQ(state.devices.MidiOutIsOpen, 1);

    ops.BitBtn1Click();
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0) << "the engine gives the output up";
    EXPECT_EQ(state.shell.SetupPageActive, 1);
    EXPECT_EQ(ops.PlayerCount, 3);
    EXPECT_TRUE(ops.view.PlayEnabled);
    const std::vector<std::string> names = {"one.mid", "two.MID", "zed.mid"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        ASSERT_TRUE(ops.media().IsPlaying());
        EXPECT_EQ(ops.view.Caption, "MIDI PLAYER - " + names[i]);
        EXPECT_EQ(ops.PlayerNext, static_cast<int>(i) + 1);
        EXPECT_EQ(ops.PlayerBusy, 1);
        EXPECT_TRUE(ops.view.Timer1On && ops.view.Timer2On);
        EXPECT_EQ(ops.view.ProgressMax, 500u);
        Settle();
        ops.Timer2Timer();  // still playing: nothing new starts
        EXPECT_EQ(ops.PlayerNext, static_cast<int>(i) + 1);
        EXPECT_EQ(KeysStarted().size(), i + 1);
        clock.AdvanceTo(platform.clock.ms() + 250);
        ops.Timer1Timer();
        EXPECT_EQ(ops.view.ProgressPosition, 250u);
        EndFile();
        ops.Timer2Timer();
    }
    ExpectIdle();
    EXPECT_FALSE(ops.media().IsPlaying());
    EXPECT_EQ(KeysStarted(), (std::vector<int>{60, 62, 64}));
    EXPECT_TRUE(Sounding().empty());
    // Each file began only after the previous one had played its 500 ms.
    std::vector<double> starts;
    for (const auto& e : platform.output->events())
        if (e.kind == OutputEvent::Kind::Short && (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] > 0)
            starts.push_back(e.ms);
    ASSERT_EQ(starts.size(), 3u);
    EXPECT_GE(starts[1] - starts[0], 500);
    EXPECT_GE(starts[2] - starts[1], 500);
}

TEST_F(PlayerOpsTest, StopEndsTheNoteAndTheNextAutoPlayStartsAgainWithTheFirstFile) {
    Tunes({{"one.mid", 60}, {"two.mid", 62}});
    ops.BitBtn1Click();
    EndFile();
    ops.Timer2Timer();
    clock.AdvanceTo(platform.clock.ms() + 100);
    ASSERT_EQ(Sounding().size(), 1u) << "the second file's note sounds";

    ops.BitBtn2Click();
    EXPECT_FALSE(ops.media().IsPlaying());
    EXPECT_TRUE(Sounding().empty()) << "STOP ends every note";
    ExpectIdle();

    ops.BitBtn1Click();
    EXPECT_EQ(ops.view.Caption, "MIDI PLAYER - one.mid");
    Settle();
    EXPECT_EQ(KeysStarted(), (std::vector<int>{60, 62, 60}));
}

TEST_F(PlayerOpsTest, ChangingTheSelectionLetsTheFilePlayOnAndNothingFollowsIt) {
    Tunes({{"one.mid", 60}, {"two.mid", 62}});
    ops.BitBtn1Click();
    ops.MidiFileListBoxChange();
    ExpectIdle();
    EXPECT_TRUE(ops.media().IsPlaying()) << "the file plays on";
    EndFile();
    EXPECT_EQ(KeysStarted(), (std::vector<int>{60}));
    EXPECT_TRUE(Sounding().empty());
    // Auto play again starts from the first file.
    ops.BitBtn1Click();
    Settle();
    EXPECT_EQ(KeysStarted(), (std::vector<int>{60, 60}));
}

TEST_F(PlayerOpsTest, LeavingThePageClosesThePlayerAndAutoPlayGoesOnWithTheFollowingFile) {
    Tunes({{"one.mid", 60}, {"two.mid", 62}});
    ops.BitBtn1Click();
    Settle();
    ops.StopPlayer();
    EXPECT_FALSE(ops.media().IsOpen());
    EXPECT_TRUE(Sounding().empty());
    EXPECT_FALSE(ops.view.Timer1On || ops.view.Timer2On);
    EXPECT_EQ(ops.PlayerNext, 1);
    EXPECT_EQ(ops.PlayerBusy, 1);
    ops.BitBtn1Click();
    Settle();
    EXPECT_EQ(KeysStarted(), (std::vector<int>{60, 62}));
}

TEST_F(PlayerOpsTest, ACancelledDialogPlaysNothingAndAChosenFilePlaysWithoutThePoll) {
    Tunes({{"one.mid", 60}});
    ops.BitBtn3Click();  // the scripted dialog is cancelled
    ASSERT_EQ(dialogs.log().size(), 1u);
    const auto& request = dialogs.log()[0].request;
    EXPECT_EQ(request.defaultExt, "MID");
    EXPECT_EQ(fs::path(request.initialDir), MidiFolder());
    EXPECT_FALSE(ops.view.Timer1On || ops.view.Timer2On);
    EXPECT_EQ(ops.PlayerBusy, 1);
    EXPECT_FALSE(ops.media().IsPlaying());
    EXPECT_FALSE(ops.view.PlayEnabled);

    const fs::path elsewhere = folder.path() / "TarnFile" / "tune.mid";
    WriteTune(elsewhere, 67, 800);
    dialogs.scriptFile(elsewhere.string());
    ops.BitBtn3Click();
    EXPECT_TRUE(ops.media().IsPlaying());
    EXPECT_EQ(ops.view.Caption, "MIDI PLAYER - " + elsewhere.string());
    EXPECT_TRUE(ops.view.Timer1On);
    EXPECT_FALSE(ops.view.Timer2On);
    EXPECT_EQ(ops.view.ProgressMax, 800u);
    EXPECT_TRUE(ops.view.PlayEnabled);
    EndFile();
    // The Play button plays the chosen file again, from the start.
    ops.MediaPlayer1Click();
    EXPECT_TRUE(ops.media().IsPlaying());
    EndFile();
    EXPECT_EQ(KeysStarted(), (std::vector<int>{67, 67}));
}

TEST_F(PlayerOpsTest, ADamagedFileShowsTheDeviceErrorAndAutoPlayMovesOnOnlyWhileThePollRuns) {
    Tunes({{"b.mid", 60}, {"d.mid", 64}});
    WriteText(MidiFolder() / "a.mid", "MThd but not a MIDI file");
    WriteText(MidiFolder() / "c.mid", "");
    ops.Files = player::ListMidiFiles(MidiFolder());
    ASSERT_EQ(ops.Files.size(), 4u);

    // Started afresh (timers off), auto play stops at the damaged file.
    ops.BitBtn2Click();
    ops.BitBtn1Click();
    auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("a.mid"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Stop);
    EXPECT_FALSE(ops.view.Timer1On || ops.view.Timer2On);
    EXPECT_EQ(ops.PlayerBusy, 1);
    EXPECT_EQ(ops.PlayerNext, 1) << "counted";
    EXPECT_FALSE(ops.view.PlayEnabled) << "the rest of the click did not run";
    EXPECT_FALSE(ops.media().IsOpen());

    // Auto play again takes up the file after it; once the poll runs, it moves past the next
    // damaged file by itself.
    ops.BitBtn1Click();
    EndFile();
    ops.Timer2Timer();
    boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].text.find("c.mid"), std::string::npos) << boxes[1].text;
    EXPECT_EQ(ops.PlayerBusy, 1);
    EXPECT_TRUE(ops.view.Timer2On);
    ops.Timer2Timer();
    Settle();
    EXPECT_EQ(KeysStarted(), (std::vector<int>{60, 64}));
    EndFile();
    ops.Timer2Timer();
    ExpectIdle();
}

TEST_F(PlayerOpsTest, AMissingJingleReturnsAtOnceSilentlyAfterClosingTheEnginesOutput) {
    devices.OpenMidiOut();
    platform.output->clear();
    ops.PlayJingle(2);
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0);
    EXPECT_TRUE(dialogs.log().empty());
    EXPECT_FALSE(ops.media().IsOpen());
    EXPECT_EQ(ops.MediaFileName(), "Varoza.mid");
    ops.PlayJingle(4);  // no such jingle: nothing changes
    EXPECT_EQ(ops.MediaFileName(), "Varoza.mid");
    for (const auto& e : platform.output->events()) EXPECT_NE(e.kind, OutputEvent::Kind::Open);
}

TEST_F(PlayerOpsTest, AJinglePlaysToItsEndFromTheProgramFolder) {
    WriteTune(folder.path() / "ORVX.mid", 72, 300);
    clock.SetStepping(false);
    common::SelectFolder(state.shell, common::kMidiFileFolder);
    const double before = platform.clock.ms();
    ops.PlayJingle(3);
    EXPECT_FALSE(ops.media().IsPlaying());
    EXPECT_EQ(KeysStarted(), (std::vector<int>{72}));
    EXPECT_TRUE(Sounding().empty());
    EXPECT_GE(platform.clock.ms() - before, 300) << "it played its whole length";
}

TEST_F(PlayerOpsTest, AJingleThatNeverEndsIsStoppedAfterItsLengthAndTheMargin) {
    // Virtual time stands still: the jingle would play for ever.
    WriteTune(folder.path() / "Rizori.mid", 72, 100);
    const auto start = std::chrono::steady_clock::now();
    ops.PlayJingle(1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(ops.media().IsPlaying());
    EXPECT_TRUE(Sounding().empty()) << "its note was ended";
    EXPECT_GE(waited, player::kJingleMargin);
}

// Every file and jingle has the output device to itself: the engine's output is closed while it
// plays, and back as soon as the player is idle again, whatever ended the playing. A THRU key
// (here a note-on sent through the engine) then reaches the output.
TEST_F(PlayerOpsTest, TheEnginesOutputIsBackWheneverThePlayerIsIdle) {
    Tunes({{"one.mid", 60}, {"two.mid", 62}});
    WriteText(MidiFolder() / "bad.mid", "not a MIDI file");
    WriteTune(folder.path() / "ORVX.mid", 72, 100);
    WriteTune(folder.path() / "TarnFile" / "chosen.mid", 67);
    struct Road {
        const char* name;
        std::function<void()> play;  // leaves a file playing, or nothing when none could play
        std::function<void()> end;
        bool holds = false;  // a jingle: play() returns only once it has played through
    };
    const auto nothing = [] {};
    const Road roads[] = {
        {"auto play, the file's end", [&] { ops.BitBtn1Click(); }, [&] { EndFile(); }},
        {"STOP", [&] { ops.BitBtn1Click(); }, [&] { ops.BitBtn2Click(); }},
        {"leaving the page", [&] { ops.BitBtn1Click(); }, [&] { ops.StopPlayer(); }},
        {"the Play button", [&] { ops.MediaPlayer1Click(); }, [&] { EndFile(); }},
        {"a chosen file",
         [&] {
             dialogs.scriptFile((folder.path() / "TarnFile" / "chosen.mid").string());
             ops.BitBtn3Click();
         },
         [&] { EndFile(); }},
        {"the About jingle", [&] { ops.PlayJingle(3); }, nothing, true},
        {"a missing jingle", [&] { ops.PlayJingle(2); }, nothing, true},
        {"a damaged file",
         [&] {
             ops.Files = {"bad.mid"};
             ops.BitBtn1Click();
             ops.Files = player::ListMidiFiles(MidiFolder());
         },
         nothing},
        {"auto play of an empty list",
         [&] {
             ops.Files.clear();
             ops.BitBtn1Click();
             ops.Files = player::ListMidiFiles(MidiFolder());
         },
         nothing},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        ops.BitBtn2Click();
        platform::services().queue().dispatch();
        devices.OpenMidiOut();
        // A jingle plays on through; a file waits for the test's time, so that it is still
        // playing when its end is looked at.
        clock.SetStepping(!road.holds);
        road.play();
        clock.SetStepping(true);
        if (ops.media().IsPlaying()) {
            platform::services().queue().dispatch();
            EXPECT_EQ(state.devices.MidiOutIsOpen, 0) << "the file has the device to itself";
        }
        road.end();
        platform::services().queue().dispatch();
        EXPECT_EQ(state.devices.MidiOutIsOpen, 1);
        platform.output->clear();
        link.ShortMidiMsg(0x13, 60, 100);
        EXPECT_EQ(platform.output->messages(), (std::vector<std::vector<std::uint8_t>>{{0x93, 60, 100}}));
    }
}

// Auto play hands the output back between its files and takes it for each; an end told while
// a file started after it plays gives nothing back; nor does the exit jingle.
TEST_F(PlayerOpsTest, NothingIsHandedBackWhileAFilePlaysOrAtExit) {
    Tunes({{"one.mid", 60}, {"two.mid", 62}});
    ops.BitBtn1Click();
    EndFile();
    platform::services().queue().dispatch();
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1) << "between two files";
    ops.Timer2Timer();
    ASSERT_TRUE(ops.media().IsPlaying());
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0) << "the next file";
    EndFile();  // its end is told, but not yet taken
    ops.MediaPlayer1Click();
    ASSERT_TRUE(ops.media().IsPlaying());
    platform::services().queue().dispatch();
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0) << "the second playing has the device";
    EndFile();
    platform::services().queue().dispatch();
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1);

    state.shell.Exiting = 1;
    ops.PlayJingle(2);
    platform::services().queue().dispatch();
    EXPECT_EQ(state.devices.MidiOutIsOpen, 0);
}

TEST_F(PlayerOpsTest, FirstRunHelp) {
    struct Case {
        int helpFound, configFound;
        const char* pageCode;
        bool introOpened;
    };
    for (const Case& c :
         {Case{1, 1, "ST", false}, Case{1, 0, "ST", true}, Case{0, 1, "HH", false}, Case{0, 0, "HH", true}}) {
        SCOPED_TRACE(testing::Message() << c.helpFound << c.configFound);
        platform::testing::LaunchLog launcher;
        state.shell.PageCode = "ST";
        state.shell.HelpViewerFound = static_cast<std::uint8_t>(c.helpFound);
        state.shell.ConfigFound = static_cast<std::uint8_t>(c.configFound);
        ops.FirstRunHelp(launcher);
        EXPECT_EQ(state.shell.PageCode, c.pageCode);
        if (c.introOpened) {
            ASSERT_EQ(launcher.opened.size(), 1u);
            EXPECT_EQ(launcher.opened[0], (folder.path() / "help" / "Intro.htm").string());
        } else {
            EXPECT_TRUE(launcher.opened.empty());
        }
        EXPECT_TRUE(dialogs.boxes().empty());
    }
}

TEST_F(PlayerOpsTest, FirstRunIntroWithoutABrowserIsNamedInABox) {
    platform::testing::LaunchLog launcher;
    launcher.accepts = false;
    state.shell.HelpViewerFound = 1;
    state.shell.ConfigFound = 0;
    ops.FirstRunHelp(launcher);
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, common::HelpNotShownText((folder.path() / "help" / "Intro.htm").string()));
}

TEST_F(PlayerOpsTest, JinglesInstallIntoTheProgramFolderOnlyWhereMissing) {
    const fs::path shipped = folder.path() / "shipped", home = folder.path() / "home";
    fs::create_directories(shipped);
    fs::create_directories(home);
    for (const char* name : player::kJingles) WriteText(shipped / name, std::string("new ") + name);
    WriteText(home / "Varoza.mid", "mine");
    std::string error;
    ASSERT_TRUE(player::InstallJingles(shipped, home, error)) << error;
    EXPECT_EQ(ReadText(home / "Rizori.mid"), "new Rizori.mid");
    EXPECT_EQ(ReadText(home / "Varoza.mid"), "mine");
    EXPECT_EQ(ReadText(home / "ORVX.mid"), "new ORVX.mid");

    fs::remove(shipped / "ORVX.mid");
    fs::remove(home / "ORVX.mid");
    fs::remove(home / "Rizori.mid");
    EXPECT_FALSE(player::InstallJingles(shipped, home, error));
    EXPECT_NE(error.find("ORVX.mid"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(home / "Rizori.mid")) << "the others are still installed";
}

}  // namespace
