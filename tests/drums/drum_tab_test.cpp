// The drum tab page: cell clicks, NEW, the transport's controls and the step message.

#include <gtest/gtest.h>

#include <random>

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
    EXPECT_EQ(colourOf(17), app::clRed);
    EXPECT_EQ(link.engine.cell(17, 9), 96);
    EXPECT_EQ(state.drums.Modified, 1);
    tab->DrumPanel[17]->onClick();
    EXPECT_EQ(cell(17, 9), 0);
    EXPECT_EQ(colourOf(17), app::clLime);
    tab->DrumPanel[0]->onClick();
    EXPECT_EQ(cell(0, 9), 96) << "the last cell of row 8 is step 0";
    EXPECT_EQ(tab->DrumPanel[0]->objectName(), "DrumPanel0");
    EXPECT_EQ(tab->DrumPanel[255]->objectName(), "DrumPanel255");
}

TEST_F(DrumTab, ATabChangeRepaintsForThatDrumAndResetsTheVelocity) {
    state.drums.DrumPattern[5][11] = 70;
    state.drums.DrumPans[11] = 20;
    tab->VolumeBar1->setValue(40);
    tab->DrumTabs->setCurrentIndex(11);
    EXPECT_EQ(colourOf(5), app::clRed);
    EXPECT_EQ(colourOf(6), app::clLime);
    EXPECT_EQ(tab->VolumeBar1->value(), 96);
    EXPECT_EQ(tab->VolumePanel->text(), "75");
    EXPECT_EQ(tab->PanBar->value(), 20);
    EXPECT_EQ(state.drums.EditEnabled, 1);
    EXPECT_EQ(link.engine.pan(11), 20) << "the moved pan slider resent the stored pan";
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

// Clicks on any drum's cells, NEW, time signature changes, starts, stops and pan moves keep
// the engine's copy equal to the pattern.
TEST_F(DrumTab, TheEngineCopyFollowsEverythingThePageDoes) {
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 600; ++round) {
        switch (pick(12)) {
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
    EXPECT_EQ(tab->BeatFour->colour(), app::clBlue);
    EXPECT_EQ(colourOf(25), app::clBlue);
    EXPECT_EQ(colourOf(24), app::clLime);
    EXPECT_EQ(colourOf(0), app::clBlue);
    tab->TimeSignatureClick();
    EXPECT_EQ(tab->TimeSignature->text(), "4 TIME");
    EXPECT_EQ(tab->BeatFour->colour(), app::clGreen);
    EXPECT_EQ(colourOf(25), app::clRed) << "the cell kept its value";

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
    EXPECT_EQ(tab->BeatOne->colour(), app::clGreen);
    link.clearJournal();
    tab->DrumStopButtonClick();
    const Strings j = link.journal();
    EXPECT_EQ(std::count(j.begin(), j.end(), "cmd 246"), 3);
    EXPECT_EQ(j.back(), "cmd 247");
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
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
        pages.DrumTab = recording = new RecordingDrumTab(context);
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
    EXPECT_EQ(recording->BeatOne->colour(), app::clYellow);
    EXPECT_EQ(recording->tempo[0]->colour(), app::clYellow);
    EXPECT_EQ(recording->tempoA[0]->colour(), app::clYellow);
    EXPECT_EQ(pages.DrumsGrid->DrumBeat[0]->colour(), app::clYellow);
    EXPECT_EQ(pages.DrumsGrid->WhichBar->text(), "1");
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "1");

    for (int i = 0; i < 32; ++i) platform.timer.fireNext();
    platform::services().queue().dispatch();
    ASSERT_EQ(recording->ticks.size(), 33u);
    EXPECT_EQ(recording->ticks.back().first, 33);
    EXPECT_EQ(recording->tempo[1]->colour(), app::clYellow);
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "2");
}

TEST_F(DrumStep, ARestartPutsOutTheBeatLightsOnlyAndTheOrchestraBarReadsZero) {
    recording->DrumStartButtonClick();
    for (int i = 0; i < 41; ++i) platform.timer.fireNext();  // into bar 2, beat 2
    platform::services().queue().dispatch();
    ASSERT_EQ(pages.OrchestraForm->WhichBar->text(), "2");
    ASSERT_EQ(recording->BeatTwo->colour(), app::clYellow);
    recording->DrumStopButtonClick();
    recording->DrumStartButtonClick();
    EXPECT_EQ(pages.OrchestraForm->WhichBar->text(), "0");
    EXPECT_EQ(recording->BeatTwo->colour(), app::clGreen);
    // The rest keeps the last position until the first step of the new run.
    EXPECT_EQ(recording->tempo[1]->colour(), app::clYellow);
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
