// The drum tab page: cell clicks, tabs, NEW, the bar clipboard's buttons, the buttons to the other
// pages, the transport's controls and the step message.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>

#include "common/config_file.h"
#include "drums/pages/change_drum.h"
#include "drums/steps.h"
#include "engine/Plenwick.h"
#include "tests/app/support/pages_rig.h"

namespace {

using Strings = std::vector<std::string>;
using drums::Light;

class DrumTab : public testsupport::PagesRig {
  protected:
    DrumTab() {
        createPages();
        tab = pages.DrumTab;
        ops.ClearEngineDrums();
        ops.ParkEngineCell();
        link.clearJournal();
        dialogs.clear();
    }
    drums::TDrumTab* tab = nullptr;
    QColor colourOf(int n) { return tab->DrumPanel[static_cast<std::size_t>(n)]->colour(); }
};

TEST_F(DrumTab, ACellClickTogglesAndPaints) {
    ASSERT_EQ(tab->DrumTabs->currentIndex(), 9);
    tab->DrumTabsChange();  // velocity 96
    tab->DrumPanel[17]->onClick();
    EXPECT_EQ(cell(17, 9), 96);
    EXPECT_EQ(colourOf(17), ui::clRed);
    EXPECT_EQ(link.engine.cell(17, 9), 96);
    EXPECT_EQ(state.drums.Modified, 1);
    tab->DrumPanel[17]->onClick();
    EXPECT_EQ(cell(17, 9), 0);
    EXPECT_EQ(colourOf(17), ui::clLime);
    tab->DrumPanel[0]->onClick();
    EXPECT_EQ(cell(0, 9), 96) << "the last cell of row 8 is step 0";
    EXPECT_EQ(tab->DrumPanel[0]->objectName(), "DrumPanel0");
    EXPECT_EQ(tab->DrumPanel[255]->objectName(), "DrumPanel255");
}

TEST_F(DrumTab, ATabChangeRepaintsForThatDrumAndResetsTheVelocity) {
    state.drums.DrumPattern[5][11] = 70;
    state.drums.DrumPans[11] = 20;
    tab->VolumeBar1->setValue(40);
    tab->DrumTabs->tabButton(11)->click();
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 11);
    EXPECT_EQ(state.drums.EditDrum, 11);
    EXPECT_EQ(colourOf(5), ui::clRed);
    EXPECT_EQ(colourOf(6), ui::clLime);
    EXPECT_EQ(tab->VolumeBar1->value(), 96);
    EXPECT_EQ(tab->VolumePanel->text(), "75");
    EXPECT_EQ(tab->PanBar->value(), 20);
    EXPECT_EQ(state.drums.EditEnabled, 1);
    EXPECT_EQ(link.engine.pan(11), 20) << "the moved pan slider resent the stored pan";

    tab->DrumPanel[5]->onClick();  // with the new drum and velocity
    EXPECT_EQ(cell(5, 11), 0);
    tab->DrumPanel[5]->onClick();
    EXPECT_EQ(cell(5, 11), 96);
    EXPECT_EQ(cell(5, 9), 0);
}

TEST_F(DrumTab, ACellClickWithVelocityZeroStaysEmptyYetModifies) {
    tab->VolumeBar1->setValue(0);
    tab->DrumPanel[40]->onClick();
    EXPECT_EQ(cell(40, 9), 0);
    EXPECT_EQ(colourOf(40), ui::clLime);
    EXPECT_EQ(state.drums.Modified, 1);
}

TEST_F(DrumTab, InWaltzTheLastBeatOfEveryBarStaysBlueWhenClicked) {
    tab->TimeSignatureClick();
    ASSERT_EQ(state.drums.MeterSign, 1);
    for (int n : {25, 32, 249, 0}) {
        SCOPED_TRACE(n);
        tab->DrumPanel[static_cast<std::size_t>(n)]->onClick();
        EXPECT_EQ(cell(n, 9), 96) << "toggled all the same";
        EXPECT_EQ(colourOf(n), ui::clBlue);
    }
    tab->DrumPanel[24]->onClick();
    EXPECT_EQ(colourOf(24), ui::clRed) << "position 24 is played in waltz";
    tab->TimeSignatureClick();
    for (int n : {25, 32, 249, 0}) EXPECT_EQ(colourOf(n), ui::clRed) << n;
    EXPECT_EQ(colourOf(248), ui::clLime);
}

TEST_F(DrumTab, SelectDrumTabShowsTheDrumOrTabZero) {
    struct Case {
        int asked, shown;
    };
    for (const Case c : {Case{11, 11}, Case{60, 60}, Case{0, 0}, Case{61, 0}, Case{69, 0}, Case{-1, 0}}) {
        SCOPED_TRACE(c.asked);
        tab->DrumTabs->setCurrentIndex(30);
        state.drums.DrumPattern[7][static_cast<std::size_t>(c.shown)] = 50;
        tab->SelectDrumTab(c.asked);
        EXPECT_EQ(tab->DrumTabs->currentIndex(), c.shown);
        EXPECT_EQ(state.drums.EditDrum, c.shown);
        EXPECT_EQ(colourOf(7), ui::clRed);
        state.drums.DrumPattern[7][static_cast<std::size_t>(c.shown)] = 0;
    }
}

TEST_F(DrumTab, ThePanelsOfTheTempoRowResendTheTempo) {
    tab->TempoBar->setValue(200);
    for (ui::ColourPanel* panel : {tab->BarPanel, tab->Volume, tab->BarNum, tab->TempoPanel, tab->BeatOne,
                                   tab->BeatTwo, tab->BeatThree, tab->BeatFour}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        transport.SetTempo(90);
        ASSERT_EQ(link.engine.snapshot().tempo, 90u);
        panel->onClick();
        EXPECT_EQ(link.engine.snapshot().tempo, 200u);
        EXPECT_EQ(state.drums.TempoValue, 200);
        EXPECT_EQ(link.params.back().Command, 0);
    }
}

// The page buttons: which page shows next, the page code help reads, and whether playing
// stopped.
TEST_F(DrumTab, TheButtonsToTheOtherPages) {
    struct Case {
        QAbstractButton* button;
        const char* pageCode;
        QWidget* next;
        bool stops;
    };
    const Case cases[] = {
        {tab->MainScreenBtn, "DT", pages.QuintoraForm, true},
        {tab->DRUMGRID, "DG", pages.DrumsGrid, false},
        {tab->ComboButton, "DT", pages.OrchestraForm, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        for (QWidget* w : {static_cast<QWidget*>(pages.QuintoraForm), static_cast<QWidget*>(pages.DrumsGrid),
                           static_cast<QWidget*>(pages.OrchestraForm)})
            w->hide();
        tab->show();
        tab->DrumStartButtonClick();
        platform.timer.fireNext();
        platform::services().queue().dispatch();
        ASSERT_EQ(tab->BeatOne->colour(), ui::clYellow);
        state.shell.PageCode = "ST";
        c.button->click();
        EXPECT_EQ(state.shell.PageCode, c.pageCode);
        EXPECT_TRUE(c.next->isVisible());
        EXPECT_FALSE(tab->isVisible());
        EXPECT_EQ(link.engine.snapshot().running, c.stops ? 0 : 1);
    }
    // SETUP also shows the player page over the setup page and puts the beat lights out.
    tab->show();
    tab->DrumStartButtonClick();
    platform.timer.fireNext();
    platform::services().queue().dispatch();
    pages.MidiForm->hide();
    tab->MainScreenBtn->click();
    EXPECT_TRUE(pages.MidiForm->isVisible());
    EXPECT_EQ(tab->BeatOne->colour(), ui::clGreen);

    // The grid's DRUM TABS leads back.
    tab->DRUMGRID->click();
    state.shell.PageCode = "DG";
    pages.DrumsGrid->TabDrumBack->click();
    EXPECT_TRUE(tab->isVisible());
    EXPECT_FALSE(pages.DrumsGrid->isVisible());
    EXPECT_EQ(state.shell.PageCode, "DT");
}

TEST_F(DrumTab, DrumListOpensOneDialogResetOnEveryOpen) {
    state.shell.PageCode = "ST";
    tab->ChngDrm->click();
    drums::TChangeDrum* dialog = pages.ChangeDrum;
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowTitle(), "DRUM LIST");
    EXPECT_EQ(dialog->DrumChange->count(), 62);
    EXPECT_EQ(dialog->DrumChange->currentText(), "Accoustic Bass Drum");
    EXPECT_EQ(state.shell.PageCode, "DT");
    dialog->DrumChange->setCurrentIndex(18);
    dialog->CANCEL->click();
    EXPECT_FALSE(dialog->isVisible());
    tab->ChngDrm->click();
    EXPECT_EQ(pages.ChangeDrum, dialog);
    EXPECT_EQ(dialog->DrumChange->currentIndex(), 1);
}

TEST_F(DrumTab, MidiStopsAndShowsAFreshImportPageStartingInTheHomeFolder) {
    const std::filesystem::path home = folder.path() / "home";
    std::filesystem::create_directory(home);
    const char* oldHome = std::getenv("HOME");
    const std::string keptHome = oldHome ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    tab->DrumStartButtonClick();
    tab->MidiExtract->click();
    if (oldHome) setenv("HOME", keptHome.c_str(), 1);
    EXPECT_EQ(link.engine.snapshot().running, 0);
    ASSERT_TRUE(pages.Converting);
    EXPECT_TRUE(pages.Converting->isVisible());
    ASSERT_TRUE(pages.InstListForm);
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(home));
    const QPointer<midiimport::TConverting> first = pages.Converting;
    tab->MidiExtract->click();
    EXPECT_NE(pages.Converting, first);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "the earlier page is released";
}

// OPEN and SAVE stop playing and leave Modified cleared only when a file was read or written.
TEST_F(DrumTab, OpenAndSaveClearModifiedOnlyWhenTheFileWasReadOrWritten) {
    const std::string song = (folder.path() / "TarnFile" / "song.QTR").string();
    struct Case {
        QAbstractButton* button;
        std::optional<std::string> file;
        int modified;
    };
    const Case cases[] = {
        {tab->SaveBtn, std::nullopt, 1},  // cancelled
        {tab->SaveBtn, song, 0},
        {tab->OpenBtn, std::nullopt, 1},
        {tab->OpenBtn, song, 0},
        {tab->OpenBtn, (folder.path() / "TarnFile").string(), 1},  // a folder is no arrangement
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString() + " " + c.file.value_or("cancelled"));
        tab->DrumPanel[3]->onClick();
        ASSERT_EQ(state.drums.Modified, 1);
        tab->DrumStartButtonClick();
        dialogs.clear();
        dialogs.scriptFile(c.file);
        c.button->click();
        EXPECT_EQ(link.engine.snapshot().running, 0);
        EXPECT_EQ(state.drums.Modified, c.modified);
    }
}

// The clipboard's buttons stop playing, change the pattern and repaint; the bar is the one the
// sliders show.
TEST_F(DrumTab, TheClipboardButtonsWorkOnTheBarTheSlidersShow) {
    auto barColours = [&](int bar) {
        std::vector<QColor> out;
        for (int p = 1; p <= 32; ++p) out.push_back(colourOf(drums::BarStep(bar, p)));
        return out;
    };
    auto onlyFirstRed = [](const std::vector<QColor>& colours) {
        std::vector<QColor> expected(32, ui::clLime);
        expected[0] = ui::clRed;
        expected[31] = ui::clRed;
        return colours == expected;
    };
    tab->DrumTabsChange();  // velocity 96
    for (int p : {1, 32}) tab->DrumPanel[static_cast<std::size_t>(drums::BarStep(2, p))]->onClick();
    tab->NumBars1->setValue(200);
    tab->DrumStartButtonClick();
    tab->COPY->click();
    EXPECT_EQ(link.engine.snapshot().running, 0);

    tab->DrumTabs->tabButton(11)->click();  // another drum shown: PASTE still goes to drum 9
    tab->NumBars2->setValue(800);
    tab->DrumStartButtonClick();
    tab->PASTE->click();
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_EQ(cell(0, 9), 96) << "bar 8's last position";
    EXPECT_EQ(barColours(8), std::vector<QColor>(32, ui::clLime)) << "drum 11 is shown";
    tab->SelectDrumTab(9);
    EXPECT_TRUE(onlyFirstRed(barColours(8)));

    tab->CLEAR->click();
    EXPECT_EQ(barColours(8), std::vector<QColor>(32, ui::clLime));
    EXPECT_EQ(cell(0, 9), 0);
    tab->NumBars1->setValue(300);
    state.drums.Modified = 0;
    tab->DrumStartButtonClick();
    tab->UNDO->click();
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_TRUE(onlyFirstRed(barColours(8)));
    EXPECT_EQ(state.drums.Bars, 8);
    EXPECT_EQ(tab->NumBars1->value(), 300) << "the sliders stay where they were";
    EXPECT_EQ(tab->BarNum->text(), "3");
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_TRUE(engineMatchesPattern());

    // NEW offers to save what the clipboard changed, and keeps the buffers.
    dialogs.clear();
    tab->NewDrumsClick();
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, "Save Changes?");
    tab->NumBars1->setValue(400);
    tab->PASTE->click();
    EXPECT_EQ(cell(drums::BarStep(4, 1), 9), 96);
    tab->UNDO->click();
    EXPECT_EQ(cell(0, 9), 96) << "the cleared bar comes back after NEW too";
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumTab, NewAsksOnlyWhenModifiedWithData) {
    struct Case {
        bool modified, data;
        std::optional<platform::BoxAnswer> answer;
        bool cleared;
    };
    const Case cases[] = {
        {false, true, {}, true},
        {true, false, {}, true},
        {true, true, platform::BoxAnswer::No, true},
        {true, true, platform::BoxAnswer::Yes, false},  // nothing could be saved: NEW keeps it all
    };
    for (const Case& c : cases) {
        state.drums.DrumPattern[33][9] = c.data ? 90 : 0;
        ops.SendCell(33, 9);
        state.drums.DrumPattern[299][299] = 5;
        transport.SetDrumPan(9, 30);
        state.drums.Modified = c.modified ? 1 : 0;
        state.drums.Bars = 3;
        state.drums.MeterSign = -1;
        tab->TempoBar->setValue(200);
        dialogs.clear();
        if (c.answer) dialogs.scriptAnswer(*c.answer);
        tab->NewDrumsClick();
        ASSERT_EQ(dialogs.boxes().size(), c.answer ? 1u : 0u);
        if (c.answer) {
            EXPECT_EQ(dialogs.boxes()[0].text, "Save Changes?");
            EXPECT_EQ(dialogs.boxes()[0].caption, "Confimation");
            EXPECT_EQ(dialogs.boxes()[0].owner, static_cast<const void*>(tab));
        }
        if (c.cleared) {
            EXPECT_EQ(cell(33, 9), 0);
            EXPECT_EQ(cell(299, 299), 0) << "NEW clears the unplayed rows too";
            EXPECT_EQ(state.drums.DrumPans[9], 64);
            EXPECT_EQ(state.drums.Bars, 8);
            EXPECT_EQ(tab->NumBars1->value(), 800);
            EXPECT_EQ(tab->NumBars2->value(), 800);
            EXPECT_EQ(state.drums.Modified, 0);
        } else {
            EXPECT_EQ(cell(33, 9), 90);
            EXPECT_EQ(state.drums.Modified, 1);
        }
        EXPECT_EQ(state.drums.TempoValue, 200);
        EXPECT_EQ(state.drums.MeterSign, -1);
        EXPECT_TRUE(engineMatchesPattern());
    }
}

// Clicks on any drum's cells, NEW, time signature changes, starts, stops, pan moves and the
// bar clipboard keep the engine's copy equal to the pattern.
TEST_F(DrumTab, TheEngineCopyFollowsEverythingThePageDoes) {
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 600; ++round) {
        switch (pick(16)) {
            case 0:
                tab->DrumTabs->setCurrentIndex(pick(61));
                break;
            case 1:
                tab->PanBar->setValue(pick(128));
                break;
            case 2:
                tab->VolumeBar1->setValue(pick(128));
                break;
            case 3:
                if (pick(10) == 0) tab->NewDrumsClick();
                break;
            case 4:
                if (pick(10) == 0) tab->TimeSignatureClick();
                break;
            case 5:
                tab->DrumStartButtonClick();
                break;
            case 6:
                tab->DrumStopButtonClick();
                break;
            case 7:
                tab->NumBars1->setValue(100 * (1 + pick(8)));
                break;
            case 8:
                if (pick(6) == 0) tab->COPYClick();
                break;
            case 9:
                if (pick(6) == 0) tab->PASTEClick();
                break;
            case 10:
                if (pick(6) == 0) tab->CLEARClick();
                break;
            case 11:
                if (pick(6) == 0) tab->UNDOClick();
                break;
            default:
                tab->DrumPanel[static_cast<std::size_t>(pick(256))]->onClick();
                break;
        }
        ASSERT_EQ(state.Engine.Command, 0);
    }
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumTab, TheBarSlidersMirrorEachOther) {
    tab->NumBars1->setValue(300);
    EXPECT_EQ(state.drums.Bars, 3);
    EXPECT_EQ(tab->NumBars2->value(), 300);
    EXPECT_EQ(tab->BarNum->text(), "3");
    EXPECT_EQ(link.engine.snapshot().loopEnd, 96);
    tab->NumBars2->setValue(350);  // arrow keys between two hundreds
    EXPECT_EQ(state.drums.Bars, 3);
    EXPECT_EQ(tab->NumBars1->value(), 350);
    EXPECT_EQ(tab->BarNum->text(), "3");
    EXPECT_EQ(state.drums.Modified, 0);

    state.drums.Bars = 8;
    tab->NumBars1->setValue(800);
    link.clearJournal();
    tab->ApplyBars();
    EXPECT_EQ(link.journal(), (Strings{"cmd 8"})) << "told even when the slider did not move";
}

TEST_F(DrumTab, TimeSignatureStopsSwitchesAndRepaints) {
    state.drums.DrumPattern[25][9] = 80;
    tab->DrumStartButtonClick();
    tab->TimeSignatureClick();
    EXPECT_EQ(link.engine.snapshot().running, 0) << "stopped first";
    EXPECT_EQ(tab->TimeSignature->text(), "WALTZ");
    EXPECT_EQ(tab->BeatFour->colour(), ui::clBlue);
    EXPECT_EQ(colourOf(25), ui::clBlue);
    EXPECT_EQ(colourOf(24), ui::clLime);
    EXPECT_EQ(colourOf(0), ui::clBlue);
    tab->TimeSignatureClick();
    EXPECT_EQ(tab->TimeSignature->text(), "4 TIME");
    EXPECT_EQ(tab->BeatFour->colour(), ui::clGreen);
    EXPECT_EQ(colourOf(25), ui::clRed) << "the cell kept its value";

    state.drums.MeterSign = 1;  // as a reader stores a waltz
    tab->ReapplyTimeSignature();
    EXPECT_EQ(state.drums.MeterSign, 1);
    EXPECT_EQ(state.drums.WaltzMode, 1);
    EXPECT_EQ(tab->TimeSignature->text(), "WALTZ");
    EXPECT_EQ(link.engine.snapshot().waltz, 1);
}

TEST_F(DrumTab, QuantiseTempoAndPanControls) {
    EXPECT_EQ(tab->Quantise->text(), "QUANTISE ON  ");
    tab->QuantiseClick();
    EXPECT_EQ(tab->Quantise->text(), "QUANTISE OFF ");
    tab->QuantiseClick();
    EXPECT_EQ(tab->Quantise->text(), "QUANTISE ON ");

    tab->TempoBar->setValue(200);
    EXPECT_EQ(tab->TempoPanel->text(), "200");
    EXPECT_EQ(link.engine.snapshot().tempo, 200u);

    tab->PanBar->setValue(100);  // tab 9
    EXPECT_EQ(state.drums.DrumPans[9], 100);
    EXPECT_EQ(link.engine.pan(9), 100);
    EXPECT_EQ(link.params.back().Command, 254);
    EXPECT_EQ(link.params.back().Drum, 9);
    EXPECT_EQ(link.params.back().Aux, 100);
}

TEST_F(DrumTab, StartHandsTheWindowToTheEngineAndStopRestartsTheInput) {
    tab->DrumStartButtonClick();
    EXPECT_EQ(link.engine.snapshot().window, tab->window());
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "0");
    EXPECT_EQ(tab->BeatOne->colour(), ui::clGreen);
    link.clearJournal();
    tab->DrumStopButtonClick();
    const Strings j = link.journal();
    EXPECT_EQ(std::count(j.begin(), j.end(), "cmd 246"), 3);
    EXPECT_EQ(std::count(j.begin(), j.end(), "cmd 247"), 0) << "the output stays open";
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1);
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
}

TEST_F(DrumTab, EveryStopOfTheEngineIsFollowedByTheSetupPagesPanic) {
    // Each of the stop's three stop-and-silence commands is swept again by the setup page's
    // PANIC, which also keeps the devices in the configuration; the stop's own panic ends it.
    tab->DrumStartButtonClick();
    std::filesystem::remove(folder.path() / common::kConfigFileName);
    state.Engine.MidiOutDevice = 2;
    state.live.parts.ThruChannel = 6;
    link.clearJournal();
    tab->DrumStopButtonClick();
    const Strings j = link.journal();
    Strings stops;
    std::copy_if(j.begin(), j.end(), std::back_inserter(stops),
                 [](const std::string& e) { return e == "cmd 246" || e == "panic"; });
    EXPECT_EQ(stops, (Strings{"cmd 246", "panic", "cmd 246", "panic", "cmd 246", "panic", "panic"}));
    std::ifstream config(folder.path() / common::kConfigFileName, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(config), std::istreambuf_iterator<char>()};
    ASSERT_EQ(bytes.size(), 3u) << "the configuration was written";
    EXPECT_EQ(bytes[0], 2);
    EXPECT_EQ(bytes[2], 6);
}

// A drum tab whose accompaniment tick notes what the lights showed when it ran.
class RecordingDrumTab final : public drums::TDrumTab {
  public:
    using TDrumTab::TDrumTab;
    std::vector<std::pair<int, drums::PositionLights>> ticks;
    void StepAccompaniment(int step) override { ticks.emplace_back(step, lights()); }
};

class DrumStep : public testsupport::PagesRig {
  protected:
    DrumStep() {
        pages.DrumTab = recording = new RecordingDrumTab(context.drumContext, pages);
        createPages();
    }
    RecordingDrumTab* recording;
};

TEST_F(DrumStep, TheEnginesStepsMoveTheLightsBeforeTheAccompanimentTick) {
    recording->DrumStartButtonClick();
    platform.timer.fireNext();  // step 1 played and posted
    platform::services().queue().dispatch();
    ASSERT_EQ(recording->ticks.size(), 1u);
    EXPECT_EQ(recording->ticks[0].first, 1);
    EXPECT_EQ(recording->ticks[0].second.Beat[0], Light::Yellow) << "lit before the tick ran";
    EXPECT_EQ(recording->BeatOne->colour(), ui::clYellow);
    EXPECT_EQ(recording->tempo[0]->colour(), ui::clYellow);
    EXPECT_EQ(recording->tempoA[0]->colour(), ui::clYellow);
    EXPECT_EQ(pages.DrumsGrid->DrumBeat[0]->colour(), ui::clYellow);
    EXPECT_EQ(pages.DrumsGrid->WhichBar->text(), "1");
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "1");

    for (int i = 0; i < 32; ++i) platform.timer.fireNext();
    platform::services().queue().dispatch();
    ASSERT_EQ(recording->ticks.size(), 33u);
    EXPECT_EQ(recording->ticks.back().first, 33);
    EXPECT_EQ(recording->tempo[1]->colour(), ui::clYellow);
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "2");
}

TEST_F(DrumStep, ARestartPutsOutTheBeatLightsOnlyAndTheOrchestraBarReadsZero) {
    recording->DrumStartButtonClick();
    for (int i = 0; i < 41; ++i) platform.timer.fireNext();  // into bar 2, beat 2
    platform::services().queue().dispatch();
    ASSERT_EQ(pages.OrchestraForm->WhichBar->text(), "2");
    ASSERT_EQ(recording->BeatTwo->colour(), ui::clYellow);
    recording->DrumStopButtonClick();
    recording->DrumStartButtonClick();
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "0");
    EXPECT_EQ(recording->BeatTwo->colour(), ui::clGreen);
    // The rest keeps the last position until the first step of the new run.
    EXPECT_EQ(recording->tempo[1]->colour(), ui::clYellow);
    EXPECT_EQ(pages.DrumsGrid->WhichBar->text(), "2");
}

TEST_F(DrumStep, OtherMessagesAndReleasedPagesAreIgnored) {
    const HWND window = recording->window();
    platform::services().queue().post(window, WM_DRUMSTEP + 1, 5, 0);
    platform::services().queue().dispatch();
    EXPECT_TRUE(recording->ticks.empty());
    delete pages.DrumTab.data();
    EXPECT_FALSE(platform::services().queue().post(window, WM_DRUMSTEP, 5, 0)) << "the window is gone";
}

}  // namespace
