// Start-up's and exit's own steps: their order against the engine and the input device, the
// save offer, the temporary files, the closing sweep and the written configuration.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>

#include "common/config_file.h"
#include "program/shell.h"
#include "tests/app/support/program_fixture.h"
#include "tests/support/folder_snapshot.h"

namespace {

using Strings = std::vector<std::string>;

// The forms' side of exit. Each step is written into one journal after the engine and input
// entries that came before it, so the order shows against them.
class JournalPages final : public app::ShellPages {
  public:
    JournalPages(testsupport::TestEngineLink& link, common::MidiDevices& devices, bool import)
        : link_(link), devices_(devices), import_(import) {}
    Strings out;
    void flush() {
        for (auto& e : link_.journal()) out.push_back(e);
        link_.clearJournal();
    }
    void stopPlaying() override {
        step("page: stop");
        devices_.RestartMidiIn();  // as the drum tab's stop does
        devices_.ReopenMidiOut();
    }
    const void* setupWindow() override { return this; }
    void playExitJingle() override { step("page: jingle"); }
    void showEndSplash() override { step("page: end splash"); }
    bool importRunning() override { return import_; }
    void hideImportPages() override { step("page: hide import"); }
    void hidePages() override { step("page: hide"); }
    void releasePages() override { step("page: release"); }
    void destroyEndSplash() override { step("page: destroy end splash"); }
    void terminate() override { step("page: terminate"); }

  private:
    void step(const char* name) {
        flush();
        out.push_back(name);
    }
    testsupport::TestEngineLink& link_;
    common::MidiDevices& devices_;
    bool import_;
};

class Shell : public testsupport::ProgramFixture {
  protected:
    Shell() {
        ops.setPanicAction([this] { link.Params(state.Engine); });
    }
    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    app::SaveOffer save{state.drums, state.live.parts, dialogs};
    app::Shell shell{state, link, devices, ops, save, dialogs};

    Strings exitJournal(bool import = false) {
        link.clearJournal();
        JournalPages pages(link, devices, import);
        shell.Exit(pages);
        pages.flush();
        return pages.out;
    }
};

TEST_F(Shell, StartUpClearsParksAndOpensInOrder) {
    state.drums.DrumPattern[255][255] = 9;
    state.drums.DrumPattern[299][299] = 7;  // outside the start-up clear
    state.drums.DrumPans[99] = 3;
    shell.ClearArrangement();
    EXPECT_EQ(cell(255, 255), 0);
    EXPECT_EQ(cell(299, 299), 7);
    EXPECT_EQ(state.drums.DrumPans[99], 64);
    shell.OpenDevices();
    EXPECT_EQ(link.journal(), (Strings{"cmd 252", "params", "cmd 248", "in: open 0", "in: reset 0",
                                       "in: start 0", "in: reset 0", "in: start 0"}));
    const common::EngineParams& park = link.params[1];
    EXPECT_EQ(park.Step, 0);
    EXPECT_EQ(park.Drum, 0);
    EXPECT_EQ(park.CellValue, 0);
    EXPECT_TRUE(engineMatchesPattern());

    link.clearJournal();
    shell.CloseDevices();
    EXPECT_EQ(link.journal(), (Strings{"cmd 247", "in: stop 0", "in: close 0"}));
}

TEST_F(Shell, StartUpRunsWithoutAnyInputPort) {
    platform.inputBackend->fail(platform::testing::InjectableInput::Op::Open, platform::MMSYSERR_BADDEVICEID);
    shell.ClearArrangement();
    shell.OpenDevices();
    EXPECT_EQ(state.devices.MidiInIsOpen, 0);
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1);
    ASSERT_EQ(dialogs.log().size(), 1u) << "a beep, no box";
    EXPECT_EQ(dialogs.log()[0].kind, platform::testing::ScriptedDialogs::Entry::Kind::Beep);
}

TEST_F(Shell, ScreenWarningOnlyWhenBothSidesDiffer) {
    const std::tuple<int, int, bool> cases[] = {
        {1024, 768, true}, {800, 600, false}, {800, 1024, false}, {1280, 600, false}, {640, 480, true}};
    for (auto [w, h, warn] : cases) {
        dialogs.clear();
        shell.CheckScreen(w, h);
        ASSERT_EQ(dialogs.boxes().size(), warn ? 1u : 0u) << w << " x " << h;
        if (warn) {
            EXPECT_EQ(dialogs.boxes()[0].text,
                      "      FOR BEST APPEARANCE\nPLEASE RESET YOUR SCREEN\n       TO 800 BY 600 PIXELS");
            EXPECT_EQ(dialogs.boxes()[0].buttons, platform::BoxButtons::Ok);
        }
    }
}

TEST_F(Shell, ProbesTheConfigurationAndRemembersTheStartFolder) {
    shell.ProbeFiles();
    EXPECT_EQ(state.shell.ConfigFound, 0);
    EXPECT_EQ(state.shell.HelpViewerFound, 0);
    EXPECT_EQ(state.shell.StartDir, folder.path().string());
}

TEST_F(Shell, AFolderUnderTheConfigurationsNameIsReported) {
    std::filesystem::create_directory(folder.path() / common::kConfigFileName);
    shell.ProbeFiles();
    EXPECT_EQ(state.shell.ConfigFound, 0);
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, (folder.path() / "Quintora2.cfg").string() +
                                           " is not a file: the MIDI settings cannot be kept.");
    EXPECT_EQ(dialogs.boxes()[0].caption, "WARNING");
}

// The start-up box has said that the settings cannot be kept: the writes that then fail say it
// no more.
TEST_F(Shell, ABlockedConfigurationIsSaidOnceByTheStartUpBox) {
    std::filesystem::create_directory(folder.path() / common::kConfigFileName);
    shell.ProbeFiles();
    testing::internal::CaptureStderr();
    common::WriteConfig(state, state.live.parts.ThruChannel);
    common::WriteConfig(state, state.live.parts.ThruChannel);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(state.shell.ConfigUnsaved, 1);
    EXPECT_EQ(dialogs.boxes().size(), 1u);
}

// QUINTORA_HOME set for one test, restored after it.
class ProgramHome {
  public:
    explicit ProgramHome(const std::filesystem::path& home) {
        if (const char* old = std::getenv("QUINTORA_HOME")) old_ = old;
        setenv("QUINTORA_HOME", home.c_str(), 1);
    }
    ~ProgramHome() {
        old_ ? (void)setenv("QUINTORA_HOME", old_->c_str(), 1) : (void)unsetenv("QUINTORA_HOME");
    }

  private:
    std::optional<std::string> old_;
};

TEST_F(Shell, AProgramFolderThatCannotBeMadeEndsTheStartWithABox) {
    { std::ofstream(folder.path() / "plain"); }
    const ProgramHome home(folder.path() / "plain" / "Quintora2");
    std::filesystem::current_path(folder.path() / "MidiFile");
    EXPECT_FALSE(app::EnterProgramFolderOrSayWhy(dialogs));
    EXPECT_EQ(std::filesystem::current_path(), folder.path() / "MidiFile") << "no other folder is taken";
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text.rfind("Quintora2 cannot use its program folder:\ncannot create ", 0),
              0u)
        << dialogs.boxes()[0].text;
    EXPECT_EQ(dialogs.boxes()[0].caption, "ERROR");
    EXPECT_EQ(dialogs.boxes()[0].icon, platform::BoxIcon::Stop);

    const ProgramHome usable(folder.path() / "home");
    EXPECT_TRUE(app::EnterProgramFolderOrSayWhy(dialogs));
    EXPECT_EQ(std::filesystem::current_path(), folder.path() / "home");
    EXPECT_EQ(dialogs.boxes().size(), 1u);
}

// A second start on a program folder that a running program holds (here the lock of the first
// start, held on a file opened apart) says so and changes nothing in the folder, not even what
// the first start would make; once the holder has gone, the next start takes the folder.
TEST_F(Shell, ASecondStartOnAFolderInUseSaysSoAndChangesNothing) {
    namespace fs = std::filesystem;
    const fs::path home = folder.path() / "home";
    const ProgramHome env(home);
    auto first = std::make_unique<common::ProgramFolderLock>();
    ASSERT_TRUE(app::EnterProgramFolderOrSayWhy(dialogs, first.get()));
    fs::remove(home / "MidiFile");
    { std::ofstream(home / "$$$$") << "half read"; }
    const auto before = testsupport::SnapshotFolder(home);
    fs::current_path(folder.path());

    common::ProgramFolderLock second;
    EXPECT_FALSE(app::EnterProgramFolderOrSayWhy(dialogs, &second));
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, "Quintora2 is already running on its program folder:\n" +
                                           home.string() + "\nThis start ends here.");
    EXPECT_EQ(dialogs.boxes()[0].caption, "QUINTORA2");
    EXPECT_EQ(testsupport::SnapshotFolder(home), before) << "nothing made, written or removed";
    EXPECT_EQ(fs::current_path(), folder.path());
    EXPECT_FALSE(second.held());

    first.reset();
    common::ProgramFolderLock third;
    EXPECT_TRUE(app::EnterProgramFolderOrSayWhy(dialogs, &third));
    EXPECT_TRUE(third.held());
    EXPECT_TRUE(fs::is_directory(home / "MidiFile"));
    EXPECT_EQ(dialogs.boxes().size(), 1u);
}

TEST_F(Shell, ExitRunsItsStepsInOrder) {
    shell.ClearArrangement();
    shell.OpenDevices();
    Strings j = exitJournal();
    // The sweep's 4096 messages are checked on their own; here only where they stand.
    Strings head;
    std::size_t shorts = 0;
    for (auto& e : j) {
        if (e.rfind("short ", 0) == 0) {
            if (shorts++ == 0) head.push_back("sweep");
            continue;
        }
        head.push_back(e);
    }
    EXPECT_EQ(shorts, 4096u);
    const Strings expected = {
        "in: stop 0",
        "in: close 0",  // input stopped first
        "page: stop",   // the drum tab's stop reopens the input ...
        "in: open 0",
        "in: reset 0",
        "in: start 0",
        "in: reset 0",
        "in: start 0",
        "in: stop 0",
        "in: close 0",  // ... so it is closed again
        "page: jingle",
        "page: end splash",
        "cmd 246",
        "page: hide",
        "page: release",
        "sweep",
        "page: destroy end splash",
        "page: terminate",
    };
    EXPECT_EQ(head, expected);
    EXPECT_EQ(state.shell.Exiting, 1);
    EXPECT_EQ(state.devices.MidiInIsOpen, 0);
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1) << "the output stays open for the sweep";
}

TEST_F(Shell, ExitSweepsEveryNoteOfEveryChannelNoteMajor) {
    shell.OpenDevices();
    platform.output->clear();
    exitJournal();
    std::vector<std::vector<std::uint8_t>> sweep;
    for (auto& m : platform.output->messages())
        if (m.size() == 3 && m[2] == 0 && ((m[0] & 0xF0) == 0x80 || (m[0] & 0xF0) == 0x90))
            sweep.push_back(m);
    // The engine's panic may also send note-offs; the sweep is the last 4096.
    ASSERT_GE(sweep.size(), 4096u);
    sweep.erase(sweep.begin(), sweep.end() - 4096);
    std::size_t i = 0;
    for (int n = 0; n < 128; ++n)
        for (int c = 0; c < 16; ++c) {
            EXPECT_EQ(sweep[i++], (std::vector<std::uint8_t>{static_cast<std::uint8_t>(0x80 + c),
                                                             static_cast<std::uint8_t>(n), 0}));
            EXPECT_EQ(sweep[i++], (std::vector<std::uint8_t>{static_cast<std::uint8_t>(0x90 + c),
                                                             static_cast<std::uint8_t>(n), 0}));
        }
}

TEST_F(Shell, ExitWithTheImportRunningHidesItsPages) {
    Strings j = exitJournal(true);
    auto at = [&](const std::string& e) { return std::find(j.begin(), j.end(), e) - j.begin(); };
    EXPECT_LT(at("cmd 246"), at("page: hide import"));
    EXPECT_LT(at("page: hide import"), at("page: hide"));
}

TEST_F(Shell, ExitDeletesTheTemporaryFilesAndWritesTheConfiguration) {
    namespace fs = std::filesystem;
    {
        std::ofstream(folder.path() / "$$$") << "dump";
    }
    { std::ofstream(folder.path() / "$$$$") << "split"; }
    fs::current_path(folder.path() / "MidiFile");
    state.Engine.MidiOutDevice = 2;
    state.Engine.MidiInDevice = 1;
    state.live.parts.ThruChannel = 4;
    exitJournal();
    EXPECT_FALSE(fs::exists(folder.path() / "$$$"));
    EXPECT_FALSE(fs::exists(folder.path() / "$$$$"));
    std::ifstream in(folder.path() / common::kConfigFileName, std::ios::binary);
    // The output open of exit re-read no file (none existed), so the settings are written as held.
    EXPECT_EQ(std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}),
              (std::vector<unsigned char>{2, 1, 4}));
    // A second exit with nothing to delete is no error.
    exitJournal();
    EXPECT_TRUE(dialogs.boxes().empty());
}

TEST_F(Shell, ExitOffersToSaveOnlyAModifiedArrangementWithData) {
    struct Case {
        bool modified, data;
        std::optional<platform::BoxAnswer> answer;  // empty: no question
        bool saves;                                 // the writer reports success
    };
    const Case cases[] = {
        {false, true, {}, false},
        {true, false, {}, false},
        {true, true, platform::BoxAnswer::No, false},
        {true, true, platform::BoxAnswer::Yes, true},
    };
    for (const Case& c : cases) {
        state.drums.Modified = c.modified ? 1 : 0;
        state.drums.DrumPattern[17][9] = c.data ? 100 : 0;
        int saved = 0;
        save.SaveArrangement = [&] {
            ++saved;
            return c.saves;
        };
        dialogs.clear();
        if (c.answer) dialogs.scriptAnswer(*c.answer);
        exitJournal();
        const auto boxes = dialogs.boxes();
        ASSERT_EQ(boxes.size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(boxes[0].text, "Save Changes?");
            EXPECT_EQ(boxes[0].caption, "Confimation");
            EXPECT_EQ(boxes[0].buttons, platform::BoxButtons::YesNo);
            EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Question);
            EXPECT_NE(boxes[0].owner, nullptr) << "owned by the setup page";
        }
        const bool yes = c.answer == platform::BoxAnswer::Yes;
        EXPECT_EQ(saved, yes ? 1 : 0);
        EXPECT_EQ(state.drums.Modified, c.modified && !(yes && c.saves) ? 1 : 0);
        EXPECT_EQ(cell(17, 9), c.data ? 100 : 0) << "exit never clears the arrangement";
    }
}

TEST_F(Shell, ExitStopsWhenTheArrangementToBeSavedWasNotSaved) {
    shell.OpenDevices();
    state.drums.Modified = 1;
    state.drums.DrumPattern[17][9] = 100;
    int saved = 0;
    save.SaveArrangement = [&] {
        ++saved;
        return false;  // the writer failed, or its dialog was cancelled
    };
    dialogs.scriptAnswer(platform::BoxAnswer::Yes);
    const Strings j = exitJournal();
    EXPECT_EQ(saved, 1);
    // After exit closed the input again (the stop had reopened it), the failed save reopens it.
    const Strings tail(std::find(j.rbegin(), j.rend(), "in: close 0").base(), j.end());
    EXPECT_EQ(tail, (Strings{"in: open 0", "in: reset 0", "in: start 0", "in: reset 0", "in: start 0"}))
        << "the input reopened as before exit; no jingle, splash, engine stop, hiding or sweep";
    EXPECT_EQ(state.shell.Exiting, 0) << "OK and PANIC bring the player page back again";
    EXPECT_EQ(state.devices.MidiInIsOpen, 1);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(cell(17, 9), 100);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / common::kConfigFileName));

    // Asked again, the player may let it go: now the exit runs to its end.
    dialogs.scriptAnswer(platform::BoxAnswer::No);
    const Strings again = exitJournal();
    EXPECT_EQ(again.back(), "page: terminate");
    EXPECT_EQ(state.shell.Exiting, 1);
    EXPECT_EQ(saved, 1);
}

TEST_F(Shell, ArrangementHasDataScansEveryCellOfTheLoop) {
    EXPECT_FALSE(app::ArrangementHasData(state.drums, state.live.parts));
    state.drums.DrumPattern[255][255] = 1;
    EXPECT_TRUE(app::ArrangementHasData(state.drums, state.live.parts));
    state.drums.DrumPattern[255][255] = 0;
    state.drums.DrumPattern[256][0] = 5;  // never played, never saved
    EXPECT_FALSE(app::ArrangementHasData(state.drums, state.live.parts));
    state.live.parts.PartSteps[3][255].note = 40;
    EXPECT_TRUE(app::ArrangementHasData(state.drums, state.live.parts)) << "a part's note counts too";
}

}  // namespace
