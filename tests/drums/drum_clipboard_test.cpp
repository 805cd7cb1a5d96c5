// The drum tab's bar clipboard over the pattern and the engine's copy, and the bar clipboard's
// buffers on their own.

#include <gtest/gtest.h>

#include <vector>

#include "drums/bar_clipboard.h"
#include "drums/drum_clipboard.h"
#include "tests/app/support/program_fixture.h"

namespace {

using Entry = platform::testing::ScriptedDialogs::Entry;

class DrumClipboard : public testsupport::ProgramFixture {
  protected:
    DrumClipboard() {
        ops.ClearEngineDrums();
        link.clearJournal();
        link.params.clear();
    }

    // Fills bar `bar` of `drum` with distinct velocities starting at `first`, engine included.
    void fillBar(int bar, int drum, int first) {
        for (int p = 1; p <= 32; ++p) {
            state.drums.DrumPattern[static_cast<std::size_t>(drums::BarStep(bar, p))]
                                   [static_cast<std::size_t>(drum)] = first + p - 1;
            ops.SendCell(drums::BarStep(bar, p), drum);
        }
        link.params.clear();
        link.clearJournal();
    }
    std::vector<int> bar(int b, int drum) {
        std::vector<int> out;
        for (int p = 1; p <= 32; ++p) out.push_back(cell(drums::BarStep(b, p), drum));
        return out;
    }
    // The bar's 32 cells went to the engine in position order, each with its pattern value and
    // without a command.
    ::testing::AssertionResult sentBar(int b, int drum) {
        if (link.params.size() != 32)
            return ::testing::AssertionFailure() << link.params.size() << " Params calls";
        for (int p = 1; p <= 32; ++p) {
            const common::EngineParams& sent = link.params[static_cast<std::size_t>(p - 1)];
            const int step = drums::BarStep(b, p);
            if (sent.Step != step || sent.Drum != drum || sent.Command != 0 ||
                sent.CellValue != drums::CellByte(cell(step, drum)))
                return ::testing::AssertionFailure()
                       << "position " << p << ": step " << int{sent.Step} << " drum " << int{sent.Drum}
                       << " value " << int{sent.CellValue} << " command " << int{sent.Command};
        }
        return ::testing::AssertionSuccess();
    }

    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    drums::DrumClipboard clipboard{state.drums, ops, dialogs};
};

TEST_F(DrumClipboard, CopyThenPasteReproducesTheBarElsewhere) {
    struct Case {
        int from, to;
    };
    // Bar 8's last position is step 0, in either direction.
    for (const Case c : {Case{2, 5}, Case{8, 1}, Case{1, 8}, Case{8, 8}}) {
        SCOPED_TRACE(::testing::Message() << "bar " << c.from << " to " << c.to);
        fillBar(c.from, 9, 10 * c.from);
        state.drums.EditDrum = 9;
        state.drums.Bars = static_cast<std::int8_t>(c.from);
        state.drums.Modified = 0;
        dialogs.clear();
        clipboard.Copy();
        EXPECT_TRUE(link.params.empty()) << "COPY sends nothing";
        EXPECT_EQ(state.drums.Modified, 0);
        ASSERT_EQ(dialogs.log().size(), 1u);
        EXPECT_EQ(dialogs.log()[0].kind, Entry::Kind::Beep);
        EXPECT_EQ(dialogs.log()[0].sound, platform::BeepSound::Default);

        const std::vector<int> source = bar(c.from, 9);
        if (c.from != c.to) fillBar(c.to, 9, 90);  // something to overwrite
        state.drums.Bars = static_cast<std::int8_t>(c.to);
        ASSERT_TRUE(clipboard.Paste());
        EXPECT_EQ(bar(c.to, 9), source);
        EXPECT_TRUE(sentBar(c.to, 9));
        EXPECT_EQ(state.drums.Modified, 1);
        EXPECT_TRUE(engineMatchesPattern());
        link.params.clear();
    }
}

TEST_F(DrumClipboard, PasteWritesIntoTheDrumCopiedFromWhateverDrumIsEdited) {
    fillBar(2, 9, 50);
    state.drums.EditDrum = 9;
    state.drums.Bars = 2;
    clipboard.Copy();
    state.drums.EditDrum = 11;  // another tab shown since
    state.drums.Bars = 5;
    ASSERT_TRUE(clipboard.Paste());
    EXPECT_EQ(bar(5, 9), bar(2, 9));
    EXPECT_EQ(bar(5, 11), std::vector<int>(32, 0));
    EXPECT_EQ(state.drums.EditDrum, 11);
    EXPECT_EQ(state.drums.CopyDrum, 9);
    EXPECT_TRUE(sentBar(5, 9));
}

TEST_F(DrumClipboard, ClearEmptiesTheBarAndUndoPutsItBackTwice) {
    fillBar(8, 11, 60);
    const std::vector<int> before = bar(8, 11);
    state.drums.EditDrum = 11;
    state.drums.EditStep = 77;
    state.drums.Bars = 8;
    state.drums.Modified = 0;
    ASSERT_TRUE(clipboard.Clear());
    EXPECT_EQ(bar(8, 11), std::vector<int>(32, 0));
    EXPECT_EQ(cell(0, 11), 0) << "the bar's last position is step 0";
    EXPECT_TRUE(sentBar(8, 11));
    EXPECT_EQ(link.params.back().Step, 0);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_TRUE(engineMatchesPattern());

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(::testing::Message() << "undo " << round);
        ops.ToggleDrumCell(0, 11, 5);  // an edit in between is overwritten again
        link.params.clear();
        state.drums.Modified = 0;
        ASSERT_TRUE(clipboard.Undo());
        EXPECT_EQ(bar(8, 11), before);
        EXPECT_TRUE(sentBar(8, 11));
        EXPECT_EQ(state.drums.Modified, 1);
        EXPECT_TRUE(engineMatchesPattern());
    }
}

TEST_F(DrumClipboard, UndoRestoresTheClearedBarAndDrumWhereverTheSlidersAndTabsAreNow) {
    fillBar(3, 9, 20);
    const std::vector<int> before = bar(3, 9);
    state.drums.EditDrum = 9;
    state.drums.EditStep = 70;
    state.drums.Bars = 3;
    ASSERT_TRUE(clipboard.Clear());
    fillBar(6, 13, 100);
    state.drums.Bars = 6;       // the slider moved
    state.drums.EditDrum = 13;  // and a cell of another drum was toggled
    state.drums.EditStep = 190;
    ASSERT_TRUE(clipboard.Undo());
    EXPECT_EQ(bar(3, 9), before);
    EXPECT_EQ(bar(6, 13)[0], 100) << "the shown drum and bar are untouched";
    EXPECT_EQ(state.drums.Bars, 3) << "Bars follows the restored bar";
    EXPECT_EQ(state.drums.EditStep, 70);
    EXPECT_EQ(state.drums.EditDrum, 13);
    EXPECT_TRUE(sentBar(3, 9)) << "and no loop length goes to the engine";
}

TEST_F(DrumClipboard, PasteAndUndoWithNothingToRestoreShowTheirBoxAndChangeNothing) {
    struct Case {
        bool (drums::DrumClipboard::*op)();
        const char* text;
    };
    for (const Case c : {Case{&drums::DrumClipboard::Paste, "Copy Buffer is Empty"},
                         Case{&drums::DrumClipboard::Undo, "UndoClear Buffer is Empty"}}) {
        SCOPED_TRACE(c.text);
        fillBar(8, 9, 30);
        state.drums.EditDrum = 9;
        state.drums.Modified = 0;
        state.drums.UndoCell = {0, 9, 8};  // even with a place to restore to
        dialogs.clear();
        EXPECT_FALSE((clipboard.*c.op)());
        EXPECT_EQ(bar(8, 9)[0], 30);
        EXPECT_TRUE(link.params.empty());
        EXPECT_EQ(state.drums.Modified, 0);
        ASSERT_EQ(dialogs.log().size(), 2u);
        EXPECT_EQ(dialogs.log()[0].kind, Entry::Kind::Beep);
        EXPECT_EQ(dialogs.log()[0].sound, platform::BeepSound::Stop);
        EXPECT_EQ(dialogs.log()[1].text, c.text);
        EXPECT_EQ(dialogs.log()[1].caption, "ERROR");
        EXPECT_EQ(dialogs.log()[1].icon, platform::BoxIcon::Exclamation);
        EXPECT_EQ(dialogs.log()[1].buttons, platform::BoxButtons::Ok);
        EXPECT_EQ(dialogs.log()[1].owner, nullptr);
    }
}

// The accompaniment page's grid is a plain row of 256 notes; its clipboard is a second
// instance, so neither page's buffers answer for the other.
TEST(BarClipboard, TwoInstancesKeepTheirOwnBuffers) {
    std::array<std::int32_t, 256> notes{};
    for (int s = 0; s < 256; ++s) notes[static_cast<std::size_t>(s)] = s % 100;
    const drums::StepCells row = [&](int step) -> std::int32_t& {
        return notes[static_cast<std::size_t>(step)];
    };
    drums::BarClipboard drumTab, orchestra;
    ASSERT_TRUE(drums::CopyBar(drumTab, 8, row));
    ASSERT_TRUE(drums::ClearBar(drumTab, 2, row));
    const auto kept = notes;
    EXPECT_FALSE(drums::PasteBar(orchestra, 1, row));
    EXPECT_FALSE(drums::RestoreBar(orchestra, 2, row));
    EXPECT_EQ(notes, kept);

    EXPECT_EQ(drumTab.BarCopyBuffer[31], 0) << "bar 8's last position is step 0";
    EXPECT_EQ(drumTab.BarCopyBuffer[30], 255 % 100);
    ASSERT_TRUE(drums::PasteBar(drumTab, 1, row));
    EXPECT_EQ(notes[32], 0);
    ASSERT_TRUE(drums::RestoreBar(drumTab, 2, row));
    EXPECT_EQ(notes[33], 33);
    for (int badBar : {0, 9, -1}) {
        EXPECT_FALSE(drums::CopyBar(orchestra, badBar, row));
        EXPECT_FALSE(drums::ClearBar(orchestra, badBar, row));
    }
    EXPECT_EQ(orchestra.CopyValid, 0);
    EXPECT_EQ(orchestra.UndoValid, 0);
}

}  // namespace
