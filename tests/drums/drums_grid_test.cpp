// The drum grid page: its rows, cell clicks, paging, the repaint, the buttons to the other pages
// and its position lights.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFocusEvent>
#include <functional>
#include <vector>

#include "engine/Plenwick.h"
#include "tests/app/support/pages_rig.h"

namespace {

using drums::Light;

class DrumsGrid : public testsupport::PagesRig {
  protected:
    DrumsGrid() {
        createPages();
        tab = pages.DrumTab;
        grid = pages.DrumsGrid;
        ops.ClearEngineDrums();
        ops.ParkEngineCell();
        link.clearJournal();
        dialogs.clear();
    }
    void hit(int step, int drum, int velocity = 80) {
        state.drums.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)] = velocity;
        if (drum < drums::kEditableDrums) ops.SendCell(step, drum);  // as a file load would
    }
    // The drum tab's DRUMGRID: rows rebuilt, then the grid shown.
    void openGrid() {
        tab->show();
        tab->DRUMGRID->click();
        ASSERT_TRUE(grid->isVisible());
    }
    ui::ColourPanel* cellAt(int row, int column) {
        return grid->DrumPanel[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)];
    }
    std::vector<std::string> visibleCaptions() {
        std::vector<std::string> out;
        for (int row = 0; row < drums::kGridRows; ++row)
            if (grid->DrumType[static_cast<std::size_t>(row)]->isVisible())
                out.push_back(grid->DrumType[static_cast<std::size_t>(row)]->text().toStdString());
        return out;
    }
    drums::TDrumTab* tab = nullptr;
    drums::TDrumsGrid* grid = nullptr;
};

TEST_F(DrumsGrid, RowsShowTheUsedDrumsInDrumOrder) {
    hit(1, 15);   // Closed High-Hat, hit first
    hit(9, 11);   // Acoustic Snare
    hit(0, 9);    // Accoustic Bass Drum, only on the 256th step
    hit(17, 65);  // a drum without a name
    openGrid();
    EXPECT_EQ(visibleCaptions(), (std::vector<std::string>{"Accoustic Bass Drum", "Acoustic Snare",
                                                           "Closed High-Hat", "Note 92"}));
    EXPECT_EQ(state.grid.GridRowDrum[0], 9);
    EXPECT_EQ(state.grid.GridRowDrum[3], 65);
    EXPECT_TRUE(grid->TypePanel[3]->isVisible());
    EXPECT_FALSE(grid->TypePanel[4]->isVisible());
    EXPECT_EQ(state.shell.PageCode, "DG");
    // Each row paints its own drum over bar 1.
    EXPECT_EQ(cellAt(1, 9)->colour(), ui::clRed);
    EXPECT_EQ(cellAt(2, 1)->colour(), ui::clRed);
    EXPECT_EQ(cellAt(3, 17)->colour(), ui::clRed);
    EXPECT_EQ(cellAt(0, 1)->colour(), ui::clLime);
    EXPECT_EQ(cellAt(1, 1)->colour(), ui::clLime);
    EXPECT_EQ(state.drums.Modified, 0) << "the repaint replays the cell handlers without toggling";
    EXPECT_EQ(cell(1, 15), 80);
    EXPECT_EQ(state.drums.EditEnabled, 1);
}

TEST_F(DrumsGrid, MoreThanTwelveUsedDrumsShowTheFirstTwelve) {
    for (int i = 0; i < 14; ++i) hit(200 - i, 3 * i);  // higher drums hit earlier
    openGrid();
    std::vector<std::string> expected;
    for (int i = 0; i < 12; ++i) expected.push_back(drums::GridRowCaption(3 * i));
    EXPECT_EQ(visibleCaptions(), expected);
    EXPECT_EQ(state.grid.GridRowDrum[11], 33);

    // A rebuild over an emptier pattern hides the rows it no longer needs.
    state.drums.DrumPattern = {};
    hit(5, 40);
    grid->TabDrumBack->click();
    openGrid();
    EXPECT_EQ(visibleCaptions(), std::vector<std::string>{"High Agogo"});
}

TEST_F(DrumsGrid, AnEmptyPatternShowsOnlyRowOneAsNone) {
    openGrid();
    EXPECT_EQ(visibleCaptions(), std::vector<std::string>{"NONE"});
    // Row 1 still edits the drum it holds (drum 0 at start).
    cellAt(0, 3)->onClick();
    EXPECT_EQ(cell(3, 0), 96);
}

TEST_F(DrumsGrid, ACellClickTogglesThroughTheEngineWithTheBarsVelocity) {
    hit(40, 11);
    hit(2, 15);
    openGrid();
    grid->VolumeBar2->setValue(127);
    EXPECT_EQ(grid->VolumePanel->text(), "100");
    cellAt(1, 5)->onClick();  // Closed High-Hat, bar 1
    EXPECT_EQ(cell(5, 15), 127);
    EXPECT_EQ(link.engine.cell(5, 15), 127);
    EXPECT_EQ(cellAt(1, 5)->colour(), ui::clRed);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(state.drums.EditStep, 5);
    EXPECT_EQ(state.drums.EditDrum, 15);

    grid->VolumeBar2->setValue(10);  // a set cell clears whatever the bar shows
    cellAt(1, 5)->onClick();
    EXPECT_EQ(cell(5, 15), 0);
    EXPECT_EQ(link.engine.cell(5, 15), 0);
    EXPECT_EQ(cellAt(1, 5)->colour(), ui::clLime);
    EXPECT_EQ(link.journal("cmd").size(), 0u) << "a cell goes to the engine as a plain cell write";
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumsGrid, TheLastColumnIsStepZeroOnlyOnBarEight) {
    hit(1, 20);
    openGrid();
    for (int bar = 1; bar <= 8; ++bar) {
        SCOPED_TRACE(bar);
        const int step = bar == 8 ? 0 : 32 * bar;
        EXPECT_EQ(grid->BarNum->text(), QString::number(bar));
        cellAt(0, 32)->onClick();
        EXPECT_EQ(cell(step, 20), 96);
        EXPECT_EQ(link.engine.cell(step, 20), 96);
        grid->CSpinButton1Up->click();
    }
    EXPECT_EQ(cell(256, 20), 0);
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumsGrid, PagingKeepsTheCellsAndStaysWithinEightBars) {
    hit(3, 11);
    state.drums.Bars = 2;  // the grid pages over all eight bars whatever the loop length
    openGrid();
    cellAt(0, 7)->onClick();  // bar 1, step 7
    grid->CSpinButton1Up->click();
    EXPECT_EQ(grid->BarNum->text(), "2");
    EXPECT_EQ(cellAt(0, 3)->colour(), ui::clLime);
    EXPECT_EQ(cellAt(0, 7)->colour(), ui::clLime);
    cellAt(0, 3)->onClick();  // bar 2, step 35
    for (int i = 0; i < 8; ++i) grid->CSpinButton1Up->click();
    EXPECT_EQ(grid->BarNum->text(), "8");
    EXPECT_EQ(state.grid.GridBarOffset, 224);
    for (int i = 0; i < 8; ++i) grid->CSpinButton1Down->click();
    EXPECT_EQ(grid->BarNum->text(), "1");
    EXPECT_EQ(state.grid.GridBarOffset, 0);
    EXPECT_EQ(cellAt(0, 3)->colour(), ui::clRed);
    EXPECT_EQ(cellAt(0, 7)->colour(), ui::clRed);
    EXPECT_EQ(cellAt(0, 8)->colour(), ui::clLime);
    grid->CSpinButton1Up->click();
    EXPECT_EQ(cellAt(0, 3)->colour(), ui::clRed);
    EXPECT_EQ(cell(3, 11), 80);
    EXPECT_EQ(cell(7, 11), 96);
    EXPECT_EQ(cell(35, 11), 96);
    EXPECT_EQ(state.drums.Bars, 2);

    // The bar shown survives a trip to the drum tab.
    grid->TabDrumBack->click();
    openGrid();
    EXPECT_EQ(grid->BarNum->text(), "2");
    EXPECT_EQ(cellAt(0, 3)->colour(), ui::clRed);
}

TEST_F(DrumsGrid, EveryRepaintPutsTheVelocityBackToNinetySix) {
    openGrid();
    grid->VolumeBar2->setValue(127);
    struct Case {
        const char* what;
        std::function<void()> repaint;
    };
    const Case cases[] = {
        {"title bar click", [&] { grid->DrumGridPanel->onClick(); }},
        {"page up", [&] { grid->CSpinButton1Up->click(); }},
        {"page down", [&] { grid->CSpinButton1Down->click(); }},
        {"shown again", [&] { grid->hide(), grid->show(); }},
        {"rebuilt", [&] { grid->RebuildGridRows(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid->VolumeBar2->setValue(127);
        ASSERT_EQ(grid->VolumePanel->text(), "100");
        c.repaint();
        EXPECT_EQ(grid->VolumeBar2->value(), 96);
        EXPECT_EQ(grid->VolumePanel->text(), "75");
    }
}

TEST_F(DrumsGrid, ARepaintShowsEditsMadeElsewhere) {
    hit(4, 11);
    openGrid();
    hit(6, 11);  // as the drum tab or a file would
    EXPECT_EQ(cellAt(0, 6)->colour(), ui::clLime);
    grid->DrumGridPanel->onClick();
    EXPECT_EQ(cellAt(0, 6)->colour(), ui::clRed);
    hit(8, 11);
    grid->DrumGridPanel->setFocus(Qt::OtherFocusReason);
    QFocusEvent focusIn(QEvent::FocusIn);
    QCoreApplication::sendEvent(grid->DrumGridPanel, &focusIn);
    EXPECT_EQ(cellAt(0, 8)->colour(), ui::clRed);
}

TEST_F(DrumsGrid, InWaltzTheLastBeatIsBlueUntilClicked) {
    hit(30, 11);
    hit(2, 15);
    tab->TimeSignatureClick();
    ASSERT_EQ(state.drums.MeterSign, 1);
    openGrid();
    for (int row = 0; row < drums::kGridRows; ++row)
        for (int c = 25; c <= 32; ++c) ASSERT_EQ(cellAt(row, c)->colour(), ui::clBlue) << row << " " << c;
    for (int c = 25; c <= 32; ++c)
        EXPECT_EQ(grid->DrumBeat[static_cast<std::size_t>(c - 1)]->colour(), ui::clBlue);
    EXPECT_EQ(grid->DrumBeat[23]->colour(), ui::clGreen);
    EXPECT_EQ(cellAt(0, 24)->colour(), ui::clLime);

    cellAt(0, 30)->onClick();  // the hit there is cleared and shows so
    EXPECT_EQ(cell(30, 11), 0);
    EXPECT_EQ(cellAt(0, 30)->colour(), ui::clLime);
    cellAt(1, 26)->onClick();
    EXPECT_EQ(cell(26, 15), 96);
    EXPECT_EQ(cellAt(1, 26)->colour(), ui::clRed);
    grid->DrumGridPanel->onClick();
    EXPECT_EQ(cellAt(1, 26)->colour(), ui::clBlue);

    // Back in four time the same cells show what they hold.
    grid->TabDrumBack->click();
    tab->TimeSignatureClick();
    openGrid();
    EXPECT_EQ(cellAt(1, 26)->colour(), ui::clRed);
    EXPECT_EQ(cellAt(0, 30)->colour(), ui::clLime);
    EXPECT_EQ(grid->DrumBeat[31]->colour(), ui::clGreen);
}

TEST_F(DrumsGrid, ARowCaptionLeadsToTheDrumTabOnItsDrum) {
    hit(1, 11);
    hit(1, 66);
    openGrid();
    tab->DrumTabs->setCurrentIndex(30);
    grid->DrumType[0]->onClick();
    EXPECT_TRUE(tab->isVisible());
    EXPECT_FALSE(grid->isVisible());
    EXPECT_EQ(state.shell.PageCode, "DT");
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 11);
    EXPECT_EQ(tab->DrumPanel[1]->colour(), ui::clRed);

    // A drum without a tab leaves the drum tab where it was.
    tab->DrumTabs->setCurrentIndex(30);
    openGrid();
    grid->DrumType[1]->onClick();
    EXPECT_TRUE(tab->isVisible());
    EXPECT_FALSE(grid->isVisible());
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 30);
}

// The page buttons: which page shows next, the page code help reads, and whether playing stopped.
TEST_F(DrumsGrid, TheButtonsToTheOtherPages) {
    struct Case {
        QAbstractButton* button;
        const char* pageCode;
        std::vector<QWidget*> shown;
        bool stops;
    };
    const Case cases[] = {
        {grid->TabDrumBack, "DT", {tab}, false},
        {grid->MainScreenBtn, "DT", {pages.QuintoraForm, pages.MidiForm}, true},
        {grid->ComboButton6, "CO", {pages.OrchestraForm}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->objectName().toStdString());
        for (QWidget* w : {static_cast<QWidget*>(pages.QuintoraForm), static_cast<QWidget*>(pages.MidiForm),
                           static_cast<QWidget*>(pages.OrchestraForm)})
            w->hide();
        openGrid();
        tab->DrumStartButtonClick();
        platform.timer.fireNext();
        platform::services().queue().dispatch();
        ASSERT_EQ(tab->BeatOne->colour(), ui::clYellow);
        ASSERT_EQ(link.engine.snapshot().running, 1);
        state.shell.PageCode = "DG";
        c.button->click();
        EXPECT_EQ(state.shell.PageCode, c.pageCode);
        for (QWidget* w : c.shown) EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_FALSE(grid->isVisible());
        EXPECT_EQ(link.engine.snapshot().running, c.stops ? 0 : 1);
        if (c.button != grid->ComboButton6) {
            EXPECT_EQ(tab->BeatOne->colour(), ui::clGreen);
        }
        EXPECT_FALSE(c.button == grid->ComboButton6 && pages.QuintoraForm->isVisible());
        tab->DrumStopButtonClick();
        for (QWidget* w : c.shown) w->hide();
    }
}

TEST_F(DrumsGrid, TheLightsFollowThePlayingPosition) {
    openGrid();
    for (int s = 1; s <= 5; ++s) tab->WMDrumStep(static_cast<std::uintptr_t>(s));
    EXPECT_EQ(grid->DrumBeat[4]->colour(), ui::clYellow);
    EXPECT_EQ(grid->DrumBeat[3]->colour(), ui::clGreen);
    EXPECT_EQ(grid->WhichBar->text(), "1");

    // Paging away puts the light out, and a step in a bar not shown does not bring it back.
    grid->CSpinButton1Up->click();
    EXPECT_EQ(grid->DrumBeat[4]->colour(), ui::clGreen);
    tab->WMDrumStep(6);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(grid->DrumBeat[static_cast<std::size_t>(i)]->colour(), ui::clGreen) << i;
    tab->WMDrumStep(33);
    EXPECT_EQ(grid->DrumBeat[0]->colour(), ui::clYellow);
    EXPECT_EQ(grid->WhichBar->text(), "2");

    // The 256th step lights the last light of bar 8.
    for (int i = 0; i < 6; ++i) grid->CSpinButton1Up->click();
    tab->WMDrumStep(255);
    EXPECT_EQ(grid->DrumBeat[30]->colour(), ui::clYellow);
    tab->WMDrumStep(0);
    EXPECT_EQ(grid->DrumBeat[31]->colour(), ui::clYellow);
    EXPECT_EQ(grid->DrumBeat[30]->colour(), ui::clGreen);
    EXPECT_EQ(grid->WhichBar->text(), "1");
}

TEST_F(DrumsGrid, InWaltzTheLastLightsStayBlueWhilePlaying) {
    tab->TimeSignatureClick();
    openGrid();
    for (int s = 1; s <= 40; ++s) tab->WMDrumStep(static_cast<std::uintptr_t>(s));
    for (int i = 24; i < 32; ++i)
        EXPECT_EQ(grid->DrumBeat[static_cast<std::size_t>(i)]->colour(), ui::clBlue) << i;
    EXPECT_EQ(grid->DrumBeat[23]->colour(), ui::clGreen);
}

TEST_F(DrumsGrid, FixedCaptionsAndHints) {
    struct Case {
        QWidget* w;
        const char* caption;
        const char* hint;
    };
    const Case cases[] = {
        {grid->DrumGridPanel, "DRUM GRID ", ""},
        {grid->Panel67, "Rozad Ezididazi", ""},
        {grid->VolumeBar2, nullptr, "Volume Control per Beat"},
        {grid->VolumePanel, nullptr, "Volume %"},
        {grid->BarPanel, "BAR", "Number of Bars used"},
        {grid->BarNum, "1", "Total of Bars Used"},
        {grid->WhichBar, nullptr, "Current Bar"},
        {grid->MainScreenBtn, "SETUP ", "Return to Main Screen"},
        {grid->ComboButton6, " COMBO ", "Go to Accompaniment Page"},
        {grid->TabDrumBack, "DRUM TABS ", "Goto Drum Page"},
        {grid->MidiLabel1, " MIDI ", ""},
        {grid->MidiLabel2, " TARN ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w->objectName().toStdString());
        EXPECT_EQ(c.w->toolTip(), c.hint);
        if (!c.caption) continue;
        if (auto* l = qobject_cast<QLabel*>(c.w)) {
            EXPECT_EQ(l->text(), c.caption);
        }
        if (auto* b = qobject_cast<QAbstractButton*>(c.w)) {
            EXPECT_EQ(b->text(), c.caption);
        }
    }
    EXPECT_EQ(cellAt(0, 1)->objectName(), "DrumPanel1");
    EXPECT_EQ(cellAt(1, 1)->objectName(), "DrumPanelA1");
    EXPECT_EQ(cellAt(11, 32)->objectName(), "DrumPanelK32");
    EXPECT_EQ(grid->TypePanel[11]->objectName(), "TypePanel12");
    EXPECT_EQ(grid->DrumType[11]->text(), "K");
    EXPECT_EQ(grid->DrumBreak[5]->objectName(), "DrumBreak6");
}

}  // namespace
