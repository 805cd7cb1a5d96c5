// The whole program object on a test engine: start-up's order with the pages' constructors,
// the hidden input window, and exit through the real pages.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "app/pages/program.h"
#include "common/config_file.h"
#include "midifile/MidiWrite.h"
#include "platform/testing/launch_log.h"
#include "tests/app/support/pages_rig.h"

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

class Program : public testsupport::ProgramFixture {
  protected:
    platform::testing::LaunchLog launcher;
    std::unique_ptr<app::QuintoraProgram> program =
        std::make_unique<app::QuintoraProgram>(*qApp, link, dialogs, launcher);
    // Runs the program; `during` runs once the loop is going, then File | Exit.
    int run(const std::function<void(app::QuintoraProgram&)>& during, bool exit = true) {
        return program->Run([&](app::QuintoraProgram& p) {
            QTimer::singleShot(0, [&p, during, exit] {
                if (during) during(p);
                if (exit) p.pages().QuintoraForm->ExitItem->trigger();
            });
        });
    }
};

TEST_F(Program, StartsUpInOrderAndExitsThroughTheMenu) {
    Strings atReady;
    std::vector<const void*> created;
    const int rc = run([&](app::QuintoraProgram& p) {
        atReady = link.journal();
        const app::Pages& pg = p.pages();
        EXPECT_TRUE(pg.QuintoraForm->isVisible()) << "the player page's constructor showed the setup page";
        // No help pages in the test's folder: F1 opens the introduction; and no configuration
        // file yet: the introduction opened on this first run.
        EXPECT_EQ(p.state().shell.PageCode, "HH");
        EXPECT_EQ(launcher.opened, (Strings{(folder.path() / "help" / "Intro.htm").string()}));
        EXPECT_EQ(p.state().shell.SetupPageActive, 1);
        EXPECT_EQ(p.state().devices.MidiInIsOpen, 1);
        EXPECT_EQ(p.state().devices.MidiOutIsOpen, 1);
        EXPECT_EQ(p.state().live.parts.PartChannels[0], 3);
        link.clearJournal();
    });
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(
        atReady,
        (Strings{
            "cmd 252",                                     // the engine's copy cleared
            "in: open 0",   "in: reset 0", "in: start 0",  // the orchestra page opens the input,
            "in: start 0",  "in: reset 0", "cmd 248",      // starts, resets it and opens the output,
            "short 67 0 0",                                // resets the parts: program 0 on THRU,
            "short 67 0 0",                                // the refresh resends the THRU program
            "cmd 245",      "cmd 245",     "cmd 245",     "cmd 245", "cmd 245",  // and every voice's pan
            "cmd 247",                      // the start jingle takes the output
            "params",                       // the cell fields parked as the start splash goes
            "params",                       // and again by start-up,
            "cmd 248",                      // which opens the output again,
            "in: reset 0",  "in: start 0",  // resets and starts the input
        }));
    // The exit jingle closed the output, the engine's stop and panic opened it for the sweep,
    // which is the last message; then the engine lets go of the port before Run returns. The
    // input was already closed by exit.
    const Strings after = link.journal();
    ASSERT_GE(after.size(), 2u);
    EXPECT_EQ(after[after.size() - 2], "short 31 127 0");
    EXPECT_EQ(after.back(), "cmd 247");
    const auto last = [&](const char* entry) { return std::find(after.rbegin() + 1, after.rend(), entry); };
    EXPECT_GT(last("cmd 247") - after.rbegin(), last("cmd 246") - after.rbegin()) << "closed before the stop";
    EXPECT_EQ(program->state().shell.Exiting, 1);
    EXPECT_EQ(platform.inputBackend->openPorts(), 0);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / common::kConfigFileName));
    EXPECT_TRUE(program->pages().DrumTab.isNull()) << "released by exit";
    EXPECT_TRUE(program->pages().MidCheckForm.isNull());
}

TEST_F(Program, ExitAsksTheSetupPageWhetherToSaveAModifiedArrangement) {
    dialogs.scriptAnswer(platform::BoxAnswer::No);
    const void* setupPage = nullptr;
    run([&](app::QuintoraProgram& p) {
        p.pages().QuintoraForm->DRUMTABClick();
        EXPECT_TRUE(p.pages().DrumTab->isVisible());
        EXPECT_FALSE(p.pages().QuintoraForm->isVisible());
        EXPECT_EQ(p.state().shell.PageCode, "DT");
        p.pages().DrumTab->DrumPanel[1]->onClick();
        setupPage = p.pages().QuintoraForm.data();
    });
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save Changes?");
    EXPECT_EQ(boxes[0].caption, "Confimation");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Question);
    EXPECT_EQ(boxes[0].owner, setupPage);
    EXPECT_EQ(program->state().drums.Modified, 1) << "No saves nothing";
}

// Yes to "Save Changes?" and then no file written (here the save dialog is cancelled): the
// program stays on the page the player was on, and a second exit may let the changes go.
TEST_F(Program, ExitStaysWhenTheSaveAskedForDidNotHappen) {
    bool stayed = false;
    run([&](app::QuintoraProgram& p) {
        p.pages().QuintoraForm->DRUMTABClick();
        p.pages().DrumTab->DrumPanel[1]->onClick();
        dialogs.scriptAnswer(platform::BoxAnswer::Yes);
        p.pages().QuintoraForm->ExitItem->trigger();
        stayed = p.state().shell.Exiting == 0 && p.state().devices.MidiInIsOpen == 1 &&
                 !p.pages().DrumTab.isNull() && p.pages().DrumTab->isVisible();
        dialogs.scriptAnswer(platform::BoxAnswer::No);
    });
    EXPECT_TRUE(stayed);
    Strings asked;
    for (const auto& e : dialogs.log())
        asked.push_back(e.kind == platform::testing::ScriptedDialogs::Entry::Kind::Save ? "save dialog"
                                                                                        : e.text);
    EXPECT_EQ(asked, (Strings{"Save Changes?", "save dialog", "Save Changes?"}));
    EXPECT_EQ(program->state().shell.Exiting, 1);
    EXPECT_EQ(program->state().drums.Modified, 1);
}

TEST_F(Program, ExitStopsPlayingOnceThroughTheDrumTab) {
    run([&](app::QuintoraProgram& p) {
        p.pages().DrumTab->DrumStartButtonClick();
        link.clearJournal();
    });
    // The drum tab's stop stops the engine three times; the engine stop before the
    // configuration is written is the fourth.
    EXPECT_EQ(link.journal("cmd 246").size(), 4u);
}

TEST_F(Program, TheTitleLeavesTheApplicationNameAlone) {
    run({});
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(), "QUINTORA2");
    // Qt's settings folders are named after the application name.
    EXPECT_NE(QCoreApplication::applicationName().toStdString(), "QUINTORA2");
}

TEST_F(Program, AFailedStartIsShownClosesTheDevicesAndEndsWithAFailure) {
    const int rc = program->Run([](app::QuintoraProgram&) { throw std::runtime_error("no page today"); });
    EXPECT_NE(rc, 0);
    const auto boxes = dialogs.boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, "no page today");
    EXPECT_EQ(boxes.back().icon, platform::BoxIcon::Stop);
    EXPECT_EQ(program->state().devices.MidiOutIsOpen, 0);
    EXPECT_EQ(program->state().devices.MidiInIsOpen, 0);
}

TEST_F(Program, ClosingTheMainWindowRunsTheExit) {
    const int rc = run([](app::QuintoraProgram& p) { p.pages().QuintoraForm->close(); }, false);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(program->state().shell.Exiting, 1);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / common::kConfigFileName));
}

TEST_F(Program, TheSetupPagesPanicClosesTheChoicesAndWritesTheConfiguration) {
    run([&](app::QuintoraProgram& p) {
        link.clearJournal();
        p.state().Engine.MidiInDevice = 1;
        p.pages().QuintoraForm->PanicBtnClick();
        EXPECT_EQ(link.journal("panic"), (Strings{"panic"}));
        std::ifstream in(folder.path() / common::kConfigFileName, std::ios::binary);
        const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(in), {});
        EXPECT_EQ(bytes, (std::vector<unsigned char>{0xFF, 1, 3}));
    });
}

// A port chosen in an earlier run and removed since: start-up names it once, the jingles play on
// the built-in synth without a box, MIDI OUT shows the synth, and the configuration keeps the
// port until the user picks another.
TEST_F(Program, AConfiguredPortThatIsGoneIsNamedOnceAndStaysTheChoice) {
    for (const char* jingle : {"Rizori.mid", "Varoza.mid", "ORVX.mid"}) {
        midifile::MidiWrite w((folder.path() / jingle).string().c_str());
        w.WriteHeader(0, 1, 480);
        w.StartTrack();
        w.WriteNoteOn(0, 72, 100);
        w.AddDelta(24);
        w.WriteNoteOff(0, 72, 0);
        ASSERT_TRUE(w.Close());
    }
    {
        std::ofstream cfg(folder.path() / common::kConfigFileName, std::ios::binary);
        cfg.write("\x01\x00\x03", 3);  // the second port
    }
    platform.outputBackend->setPorts({"Port A"});
    int shown = -1;
    run([&](app::QuintoraProgram& p) {
        p.pages().MidiForm->PlayJingle(3);  // the About box's
        p.pages().QuintoraForm->MidiOutBtnClick();
        shown = p.pages().QuintoraForm->MidiOutBox->currentIndex();
        p.pages().QuintoraForm->OKOutBtnClick();
    });
    EXPECT_EQ(shown, 0) << "MIDI OUT shows the synth in use";
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u) << boxes.back().text;
    EXPECT_NE(boxes[0].text.find("port 2"), std::string::npos) << boxes[0].text;
    std::size_t jingleNotes = 0;
    for (const auto& e : platform.output->events()) {
        if (e.kind == platform::testing::OutputEvent::Kind::Open) {
            EXPECT_EQ(e.device, -1);
        }
        jingleNotes +=
            e.kind == platform::testing::OutputEvent::Kind::Short && e.bytes == Bytes{0x90, 72, 100};
    }
    EXPECT_EQ(jingleNotes, 3u) << "start, About and exit";
    std::ifstream in(folder.path() / common::kConfigFileName, std::ios::binary);
    EXPECT_EQ(std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {}),
              (std::vector<unsigned char>{1, 0, 3}));
}

// The hidden input window hands the input's messages to MidiInMessage.
class RecordingInputWindow final : public app::TMidCheckForm {
  public:
    using TMidCheckForm::TMidCheckForm;
    std::vector<std::pair<std::uintptr_t, std::intptr_t>> got;
    void MidiInMessage(std::uint32_t, std::uintptr_t w, std::intptr_t l) override { got.emplace_back(w, l); }
};

class InputWindow : public testsupport::PagesRig {};

TEST_F(InputWindow, ReceivesTheKeyboardsMessagesWhileStarted) {
    auto* form = new RecordingInputWindow(context);
    pages.MidCheckForm = form;
    devices.setInputWindow(form->window());
    devices.OpenMidiIn();
    platform.inputBackend->inject(0, 0x7F3C90);
    platform::services().queue().post(form->window(), 0x3C2, 0, 0);  // other messages are not input
    platform::services().queue().dispatch();
    ASSERT_EQ(form->got.size(), 1u);
    EXPECT_EQ(form->got[0].first, reinterpret_cast<std::uintptr_t>(state.devices.MidiInHandle));
    EXPECT_EQ(form->got[0].second, 0x7F3C90);
    devices.StopMidiIn();
    platform.inputBackend->inject(0, 0x003C90);
    platform::services().queue().dispatch();
    EXPECT_EQ(form->got.size(), 1u) << "nothing while stopped";
    devices.CloseMidiIn();
}

}  // namespace
