// The DRUM LIST dialog: its list, SELECT DRUM, CHANGE DRUM and CANCEL over the drum tab, with the
// engine's own copy of the pattern checked after a move.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include <QGuiApplication>
#include <QScreen>

#include "drums/drum_list.h"
#include "drums/drum_names.h"
#include "drums/pages/change_drum.h"
#include "tests/app/support/pages_rig.h"

namespace {

// A drum name as a comparable word: no blanks or hyphens, lower case.
std::string bare(std::string s) {
    std::erase_if(s, [](char c) { return c == ' ' || c == '-'; });
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string trimmed(std::string s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

TEST(DrumListEntries, EveryNamedDrumOnceInAlphabeticalOrderUnderItsOwnName) {
    ASSERT_STREQ(drums::DrumList[0].text, "");
    EXPECT_EQ(drums::DrumList[0].key, 0);
    std::set<int> keys;
    for (int i = 1; i < drums::kDrumListEntries; ++i) {
        const drums::DrumListEntry& e = drums::DrumList[static_cast<std::size_t>(i)];
        SCOPED_TRACE(e.text);
        if (i > 1) {
            EXPECT_LT(trimmed(drums::DrumList[static_cast<std::size_t>(i - 1)].text), trimmed(e.text));
        }
        ASSERT_GE(e.key, 27);
        ASSERT_LE(e.key, 87);
        keys.insert(e.key);
        // The dialog writes some names its own way ("Closed High Hat " for "Closed High-Hat").
        EXPECT_EQ(bare(e.text), bare(drums::DrumNames[static_cast<std::size_t>(e.key - 27)]));
    }
    EXPECT_EQ(keys.size(), 61u);
}

class DrumListDialog : public testsupport::PagesRig {
  protected:
    DrumListDialog() {
        createPages();
        tab = pages.DrumTab;
        tab->show();
        ops.ClearEngineDrums();
        ops.ParkEngineCell();
        tab->ChngDrm->click();
        dialog = pages.ChangeDrum;
        link.clearJournal();
        state.shell.PageCode = "ST";
    }
    void choose(int entry) { dialog->DrumChange->setCurrentIndex(entry); }
    void hit(int step, int drum, int velocity) {
        state.drums.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)] = velocity;
        ops.SendCell(step, drum);
    }
    QColor colourOf(int n) { return tab->DrumPanel[static_cast<std::size_t>(n)]->colour(); }
    drums::TDrumTab* tab = nullptr;
    drums::TChangeDrum* dialog = nullptr;
};

TEST_F(DrumListDialog, TheDialogAsDrawn) {
    EXPECT_EQ(dialog->windowTitle(), "DRUM LIST");
    EXPECT_EQ(dialog->height(), 144);
    EXPECT_GE(dialog->width(), 177) << "the designed width, or wider where the names need it";
    struct Case {
        QPushButton* button;
        const char* caption;
        const char* hint;
    };
    for (const Case& c : {Case{dialog->DrumTabs, "SELECT DRUM", "Select New Drum"},
                          Case{dialog->CHANGE, "CHANGE DRUM", "Change the Drum thats playing"},
                          Case{dialog->CANCEL, "CANCEL", "NO CHANGES"}}) {
        EXPECT_EQ(c.button->text(), c.caption);
        EXPECT_EQ(c.button->toolTip(), c.hint);
    }
    dialog->CANCEL->click();
    dialog->move(0, 0);
    tab->ChngDrm->click();
    const QPoint offCentre =
        dialog->geometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 8) << "every open centres it afresh (give or take a frame)";
    ASSERT_EQ(dialog->DrumChange->count(), drums::kDrumListEntries);
    for (int i = 0; i < drums::kDrumListEntries; ++i)
        EXPECT_EQ(dialog->DrumChange->itemText(i), drums::DrumList[static_cast<std::size_t>(i)].text);
}

TEST_F(DrumListDialog, SelectDrumOpensTheDrumTabOnThatDrum) {
    hit(7, 60, 90);
    state.drums.DrumPans[60] = 12;
    tab->hide();
    choose(44);  // "Open Surdo"
    dialog->DrumTabs->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(tab->isVisible());
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 60);
    EXPECT_EQ(state.drums.EditDrum, 60);
    EXPECT_EQ(colourOf(7), ui::clRed);
    EXPECT_EQ(tab->PanBar->value(), 12);
    EXPECT_EQ(state.shell.PageCode, "DT");
    EXPECT_EQ(state.drums.Modified, 0);

    // The blank entry keeps the tab and repaints it.
    tab->ChngDrm->click();
    choose(0);
    state.drums.DrumPattern[8][60] = 50;
    dialog->DrumTabs->click();
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 60);
    EXPECT_EQ(colourOf(8), ui::clRed);
}

TEST_F(DrumListDialog, ChangeDrumMovesEveryHitAndThePanAndLeavesNothingBehind) {
    tab->SelectDrumTab(9);
    for (auto [step, velocity] : {std::pair{1, 100}, {33, 64}, {255, 1}, {0, 127}}) hit(step, 9, velocity);
    hit(33, 0, 20);  // replaced, not merged
    hit(2, 0, 20);
    transport.SetDrumPan(9, 30);
    transport.SetDrumPan(0, 100);
    state.drums.Modified = 0;
    tab->ChngDrm->click();
    choose(18);  // "High Q"
    dialog->CHANGE->click();

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(tab->isVisible());
    EXPECT_EQ(state.shell.PageCode, "DT");
    for (auto [step, velocity] : {std::pair{1, 100}, {33, 64}, {255, 1}, {0, 127}, {2, 0}}) {
        SCOPED_TRACE(step);
        EXPECT_EQ(cell(step, 0), velocity);
        EXPECT_EQ(cell(step, 9), 0);
    }
    for (int s = 0; s < 256; ++s) ASSERT_EQ(cell(s, 9), 0) << s;
    EXPECT_EQ(state.drums.DrumPans[0], 30);
    EXPECT_EQ(state.drums.DrumPans[9], 64);
    EXPECT_TRUE(engineMatchesPattern()) << "the engine's copy moved too, the old pan back at 64";
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(state.drums.EditDrum, 0);
    EXPECT_EQ(state.Engine.Command, 0);
    // The tab shows the moved drum.
    EXPECT_EQ(tab->DrumTabs->currentIndex(), 0);
    EXPECT_EQ(tab->PanBar->value(), 30);
    EXPECT_EQ(colourOf(33), ui::clRed);
    EXPECT_EQ(colourOf(2), ui::clLime);
}

TEST_F(DrumListDialog, NothingChangesWithTheBlankEntryTheSameDrumOrCancel) {
    tab->SelectDrumTab(9);
    hit(5, 9, 90);
    transport.SetDrumPan(9, 30);
    state.drums.Modified = 0;
    struct Case {
        const char* what;
        int entry;
        QPushButton* drums::TChangeDrum::*button;
    };
    for (const Case& c : {Case{"blank", 0, &drums::TChangeDrum::CHANGE},
                          Case{"the drum being edited", 1, &drums::TChangeDrum::CHANGE},
                          Case{"cancel", 18, &drums::TChangeDrum::CANCEL}}) {
        SCOPED_TRACE(c.what);
        tab->ChngDrm->click();
        link.clearJournal();
        choose(c.entry);
        (dialog->*c.button)->click();
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(tab->isVisible());
        EXPECT_EQ(cell(5, 9), 90);
        EXPECT_EQ(state.drums.DrumPans[9], 30);
        EXPECT_EQ(state.drums.Modified, 0);
        EXPECT_EQ(tab->DrumTabs->currentIndex(), 9);
        EXPECT_TRUE(link.params.empty()) << "nothing sent";
    }
}

}  // namespace
