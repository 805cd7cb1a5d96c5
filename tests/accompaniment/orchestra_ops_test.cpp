// The accompaniment page's logic without its widgets: part selectors and volume spins, the
// refresh, the pen and the grid, the bar clipboard of notes, the THRU and split settings,
// transposition, and which handlers stop playing.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>

#include "accompaniment/orchestra/orchestra_ops.h"
#include "common/config_file.h"
#include "live/live_accompaniment.h"
#include "tests/app/support/program_fixture.h"

namespace {

using accompaniment::Ink;
using accompaniment::PartStep;
using Bytes = std::vector<std::uint8_t>;

// The accompaniment's host: messages through the test engine, timers only recorded.
class EngineHost final : public live::LiveHost {
  public:
    explicit EngineHost(common::EngineLink& link) : link_(link) {}
    std::map<int, int> armed;
    int ShortMidiMsg(int first, int d1, int d2) override { return link_.ShortMidiMsg(first, d1, d2); }
    void StartPlaying() override {}
    void StopPlaying() override {}
    void Panic() override {}
    void ShowBeat(bool) override {}
    void ErrorBox(const char*) override {}
    void ArmPartTimer(int part, std::int32_t ms) override { armed[part] = ms; }
    void DisarmPartTimer(int part) override { armed.erase(part); }
    void ShowPlayedNote(int, int, int, int) override {}
    void ShowCurrentInstrument(int) override {}

  private:
    common::EngineLink& link_;
};

class OrchestraOps : public testsupport::ProgramFixture {
  protected:
    OrchestraOps() {
        devices.OpenMidiOut();
        parts.PartChannels[0] = parts.ThruChannel;
        ops.ResetOrchestra();
        link.clearJournal();
        platform.output->clear();
        dialogs.clear();
        state.drums.Modified = 0;
    }
    void startPlaying() {
        transport.Start(inputWindow);
        ASSERT_EQ(link.engine.snapshot().running, 1);
    }
    bool playing() { return link.engine.snapshot().running == 1; }
    std::vector<Bytes> sent() const { return platform.output->messages(); }

    drums::DrumOps drumOps{state.drums, state.Engine, link, listener};
    drums::Transport transport{state.drums, state.transport, state.Engine, link, devices, drumOps, listener};
    EngineHost host{link};
    live::LiveAccompaniment live{state.live, host, state.Engine.DrumChannel, state.drums.WaltzMode};
    accompaniment::OrchestraOps ops{
        state,
        {state.drums, state.live, state.orchestra, state.file.LoadingArrangement, state.file.MergingDrums},
        link,
        drumOps,
        transport,
        dialogs,
        live.players};
    accompaniment::PartData& parts = state.live.parts;
    accompaniment::PenState& pen = state.orchestra.pen;
};

TEST_F(OrchestraOps, WhichHandlersStopPlaying) {
    ops.OpenArrangement = [] { return false; };
    ops.SaveArrangement = [] { return false; };
    struct Case {
        const char* name;
        std::function<void()> action;
        bool stops;
    };
    const Case cases[] = {
        {"strings box", [&] { ops.InstBoxChange(2, 50); }, true},
        {"bass label", [&] { ops.LabelClick(4); }, true},
        {"piano channel", [&] { ops.InstChanChange(1, 5); }, true},
        {"brass octave", [&] { ops.OctaveBoxChange(2, 1); }, true},
        {"save", [&] { ops.SaveBtnClick(); }, true},
        {"open", [&] { ops.OpenBtnClick(); }, true},
        {"merge", [&] { ops.MergeDrumsClick(); }, true},
        {"pan", [&] { ops.PanBarChange(2, 10); }, false},
        {"bass volume", [&] { ops.PartVolumeChange(3, 5); }, false},
        {"transpose", [&] { ops.TransposeClick(+1); }, false},
        {"THRU box", [&] { ops.ThruBoxChange(6); }, false},
        {"THRU octave", [&] { ops.OctaveUpClick(); }, false},
        {"split point", [&] { ops.SplitDownClick(); }, false},
        {"key", [&] { ops.KeyClick(4); }, false},
        {"key range", [&] { ops.KeyRangeUpClick(); }, false},
        {"null", [&] { ops.NullBtnClick(); }, false},
        {"cell", [&] { ops.GridCellClick(1, 1); }, false},
        {"volume bar", [&] { ops.VolumeBar1Change(90); }, false},
        {"copy", [&] { ops.CopyClick(); }, false},
        {"paste", [&] { ops.PasteClick(); }, false},
        {"clear", [&] { ops.ClearClick(); }, false},
        {"undo", [&] { ops.UndoClick(); }, false},
        {"bar number", [&] { ops.UpDown1Click(1); }, false},
    };
    for (const auto& c : cases) {
        startPlaying();
        c.action();
        EXPECT_EQ(!playing(), c.stops) << c.name;
        transport.Stop();
    }
}

TEST_F(OrchestraOps, SelectingAPartKeepsItsVelocitiesWhileDurationsFollowTheBar) {
    auto& bass = parts.PartSteps[3];
    const auto piano = parts.PartSteps[0];
    bass[1] = {36, 90, 300};
    bass[0] = {43, 20, 700};
    ops.controls.DurationBar1 = 90;
    ops.controls.VolumeBar1 = 100;
    ops.InstBoxChange(4, 35);
    EXPECT_EQ(parts.CurrentPart, 4);
    EXPECT_EQ(parts.PartPrograms[4], 35);
    EXPECT_EQ(parts.GridNotes[1], 36);
    EXPECT_EQ(parts.GridNotes[0], 43);
    EXPECT_EQ(bass[1], (PartStep{36, 90, 1000}));
    EXPECT_EQ(bass[0], (PartStep{43, 20, 1000}));
    EXPECT_EQ(bass[2], (PartStep{0, 0, 1000})) << "rests too";
    EXPECT_EQ(parts.GridVelocities[1], 100) << "the grid holds the volume bar's velocity";
    EXPECT_EQ(ops.controls.VolumeBar1, 64);
    EXPECT_EQ(ops.controls.LabelInk, (std::array<Ink, 4>{Ink::Shadow, Ink::Shadow, Ink::Shadow, Ink::Red}));
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(parts.PartSteps[0], piano) << "the piano is left alone";
}

TEST_F(OrchestraOps, ALabelLooksAtAPartAndKeepsModified) {
    for (std::uint8_t modified : {0, 1}) {
        state.drums.Modified = modified;
        ops.LabelClick(4);
        EXPECT_EQ(parts.CurrentPart, 4);
        EXPECT_EQ(ops.controls.LabelInk[3], Ink::Red);
        EXPECT_EQ(state.drums.Modified, modified);
    }
}

TEST_F(OrchestraOps, WhileLoadingASelectorNeitherMarksNorCommits) {
    parts.PartSteps[0][3] = {60, 80, 300};
    state.file.LoadingArrangement = 1;
    ops.ReselectCurrentPart();
    EXPECT_EQ(parts.PartSteps[0][3], (PartStep{60, 80, 300}));
    EXPECT_EQ(parts.GridNotes[3], 60);
    EXPECT_EQ(state.drums.Modified, 0);
}

TEST_F(OrchestraOps, VolumeSpinVelocities) {
    const int expected[10] = {0, 14, 28, 42, 56, 71, 85, 99, 113, 127};
    for (int v = 0; v <= 9; ++v) EXPECT_EQ(accompaniment::SpinVelocity(v), expected[v]) << v;
}

TEST_F(OrchestraOps, BassVolumeRewritesEveryBassVelocityUntilTheGridCommitsAgain) {
    parts.PartSteps[3][1] = {36, 90, 300};
    const std::int32_t gridVelocity = parts.GridVelocities[1];
    ASSERT_NE(gridVelocity, 71);
    startPlaying();
    ops.PartVolumeChange(3, 5);
    EXPECT_TRUE(playing());
    for (std::size_t s = 0; s < 256; ++s) ASSERT_EQ(parts.PartSteps[3][s].velocity, 71) << s;
    EXPECT_EQ(parts.PartSteps[3][1], (PartStep{36, 71, 300})) << "no refresh: the duration stays";
    EXPECT_EQ(parts.CurrentPart, 4);
    EXPECT_EQ(parts.GridNotes[1], 36) << "the bass is the part edited now";
    EXPECT_EQ(state.orchestra.SkipGridRefresh, 0);
    // The grid's velocities were not touched: the next commit writes them into the bass again.
    ops.VolumeBar1Change(30);
    EXPECT_EQ(parts.PartSteps[3][1].velocity, gridVelocity);
}

TEST_F(OrchestraOps, RefreshRewritesThePartFromTheBarsAndSendsTheVoices) {
    parts.GridNotes[0] = 67;
    parts.GridNotes[40] = 61;
    parts.ThruChannel = 6;
    parts.PartChannels = {6, 0, 2, 1, 4};
    parts.PartPans = {5, 10, 20, 30, 40};
    parts.PartOctaveOffsets = {24, -12, 0, 7, 0};
    parts.ThruOctave = -1;
    parts.ThruProgram = 24;
    state.drums.MeterSign = 1;
    ops.controls.VolumeBar1 = 100;
    ops.controls.DurationBar1 = 20;
    ops.KeyClick(6);  // D: the pen writes 62
    ops.RefreshOrchestraData();
    for (std::size_t s = 0; s < 256; ++s) {
        ASSERT_EQ(parts.PartSteps[0][s].velocity, 100) << s;
        ASSERT_EQ(parts.PartSteps[0][s].duration, 8000) << s;
    }
    EXPECT_EQ(parts.PartSteps[0][40].note, 61);
    EXPECT_EQ(pen.PenNote, 62) << "the pen keeps its note, not the last cell's 67";
    EXPECT_EQ(state.orchestra.GridCellCode, 832);
    EXPECT_EQ(ops.controls.VolumeBar1, 64);
    EXPECT_EQ(ops.controls.VolumePanel, "50");
    EXPECT_TRUE(ops.controls.WaltzPanelVisible);
    EXPECT_EQ(ops.controls.OctaveBox, (std::array<int, 4>{0, 3, 2, 0}))
        << "7 is no offset: the box shows \"2\"";
    EXPECT_EQ(parts.ThruTranspose, -12);
    EXPECT_EQ(ops.controls.OctavePanel, "-1");
    EXPECT_EQ(ops.controls.CurrentInstrument, "Nylon Guitar");
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xC6, 24},
                                          {0xB6, 10, 64},  // the THRU voice always at the centre
                                          {0xB0, 10, 10},
                                          {0xB2, 10, 20},
                                          {0xB1, 10, 30},
                                          {0xB4, 10, 40}}));

    state.drums.MeterSign = -1;
    parts.ThruProgram = -3;  // only a damaged file could hold it
    platform.output->clear();
    ops.RefreshOrchestraData();
    EXPECT_FALSE(ops.controls.WaltzPanelVisible);
    EXPECT_EQ(ops.controls.CurrentInstrument, "");
    EXPECT_EQ(sent().front(), (Bytes{0xB6, 10, 64})) << "no program change for it";
}

TEST_F(OrchestraOps, ThePen) {
    ops.KeyClick(4);
    EXPECT_EQ(pen.PenNote, 60);
    std::array<Ink, 12> keys{};
    keys.fill(Ink::Red);
    keys[3] = Ink::Yellow;  // C chosen
    keys[7] = keys[10] = Ink::Blue;
    EXPECT_EQ(ops.controls.KeyInk, keys);
    ops.NullBtnClick();
    EXPECT_EQ(pen.PenNote, 0);
    EXPECT_EQ(ops.controls.NullInk, Ink::Yellow);
    EXPECT_EQ(ops.controls.KeyInk[3], Ink::Blue) << "the key's highlight goes";
    ops.KeyClick(12);  // a key while Null is on ends Null mode
    EXPECT_FALSE(pen.NullMode);
    EXPECT_EQ(ops.controls.NullInk, Ink::Red);
    EXPECT_EQ(pen.PenNote, 68);
    for (int i = 0; i < 5; ++i) ops.KeyRangeUpClick();
    EXPECT_EQ(pen.PenOctave, 7);
    EXPECT_EQ(ops.controls.RangeNumber, "7");
    EXPECT_EQ(pen.PenNote, 104);
    for (int i = 0; i < 9; ++i) ops.KeyRangeDownClick();
    EXPECT_EQ(pen.PenOctave, 1);
    EXPECT_EQ(pen.PenNote, 32);
}

TEST_F(OrchestraOps, CellClicksWriteNoteVelocityAndDuration) {
    parts.CurrentPart = 2;
    ops.KeyClick(4);
    struct Case {
        int row, column, volume, durationBar, index;
        bool null;
        PartStep stored;
    };
    const Case cases[] = {
        {3, 23, 90, 50, 87, false, {60, 90, 5000}},
        {8, 32, 127, 0, 0, false, {60, 127, 10000}},
        {1, 1, 40, 100, 1, true, {0, 40, 0}},  // Null mode: a rest, velocity and duration all the same
    };
    for (const auto& c : cases) {
        if (c.null != pen.NullMode) ops.NullBtnClick();
        state.drums.Modified = 0;
        ops.VolumeBar1Change(c.volume);
        ops.DurationBar1Change(c.durationBar);
        EXPECT_EQ(ops.GridCellClick(c.row, c.column), c.index);
        EXPECT_EQ(parts.PartSteps[1][static_cast<std::size_t>(c.index)], c.stored)
            << c.row << "," << c.column;
        EXPECT_EQ(state.drums.Modified, 1);
    }
    EXPECT_EQ(ops.controls.DurationPanel, "0");
    EXPECT_EQ(ops.GridCellClick(9, 1), accompaniment::kNoCell);
}

TEST_F(OrchestraOps, BarNumberWraps) {
    const std::pair<int, int> steps[] = {{-1, 8}, {+1, 1}, {+1, 2}, {-1, 1}};
    for (auto [by, bar] : steps) {
        ops.UpDown1Click(by);
        EXPECT_EQ(state.orchestra.ClipboardBar, bar);
        EXPECT_EQ(ops.controls.Panel5, std::to_string(bar));
    }
}

TEST_F(OrchestraOps, ClearThenUndoTwiceBringsTheBarBack) {
    for (int c = 1; c <= 32; ++c) parts.GridNotes[static_cast<std::size_t>(64 + c)] = 40 + c;
    const auto before = parts.GridNotes;
    ops.UpDown1Click(+1);
    ops.UpDown1Click(+1);  // bar 3
    ops.ClearClick();
    for (int c = 1; c <= 32; ++c) ASSERT_EQ(parts.GridNotes[static_cast<std::size_t>(64 + c)], 0);
    EXPECT_EQ(parts.PartSteps[0][70].note, 0);
    for (int i = 0; i < 2; ++i) {
        state.drums.Modified = 0;
        ASSERT_TRUE(ops.UndoClick());
        EXPECT_EQ(parts.GridNotes, before) << "undo " << i + 1;
        EXPECT_EQ(parts.PartSteps[0][70].note, 46);
        EXPECT_EQ(state.drums.Modified, 1);
    }
    EXPECT_EQ(state.drums.Clipboard.UndoValid, 0) << "the drum tab's clipboard is its own";
}

TEST_F(OrchestraOps, CopyAndPasteOfBarEightKeepTheLastCellAtIndexZero) {
    parts.GridNotes[0] = 72;    // the 256th cell
    parts.GridNotes[255] = 71;  // position 31 of bar 8
    ops.UpDown1Click(-1);       // bar 8
    ops.CopyClick();
    EXPECT_EQ(state.orchestra.NoteClipboard.BarCopyBuffer[31], 72);
    EXPECT_EQ(state.orchestra.NoteClipboard.BarCopyBuffer[30], 71);
    EXPECT_EQ(state.drums.Clipboard.CopyValid, 0) << "a drum PASTE can never receive these notes";
    ops.ClearClick();
    EXPECT_EQ(parts.GridNotes[0], 0);
    ASSERT_TRUE(ops.PasteClick());
    EXPECT_EQ(parts.GridNotes[0], 72);
    EXPECT_EQ(parts.GridNotes[255], 71);
    EXPECT_EQ(parts.PartSteps[0][0].note, 72) << "step 0 of the part";
    ops.UpDown1Click(+1);  // bar 1
    ASSERT_TRUE(ops.PasteClick());
    EXPECT_EQ(parts.GridNotes[32], 72);
    EXPECT_EQ(parts.GridNotes[31], 71);
}

TEST_F(OrchestraOps, PasteAndUndoWithEmptyBuffersLeaveTheGrid) {
    parts.GridNotes[5] = 60;
    const auto before = parts.GridNotes;
    struct Case {
        std::function<bool()> action;
        const char* text;
    };
    const Case cases[] = {{[&] { return ops.PasteClick(); }, "Copy Buffer is Empty"},
                          {[&] { return ops.UndoClick(); }, "UndoClear Buffer is Empty"}};
    for (const auto& c : cases) {
        dialogs.clear();
        EXPECT_FALSE(c.action());
        const auto log = dialogs.log();
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0].sound, platform::BeepSound::Stop);
        EXPECT_EQ(log[1].text, c.text);
        EXPECT_EQ(log[1].caption, "ERROR");
        EXPECT_EQ(log[1].icon, platform::BoxIcon::Exclamation);
        EXPECT_EQ(parts.GridNotes, before);
        EXPECT_EQ(state.drums.Modified, 0);
    }
}

TEST_F(OrchestraOps, SpinsStopAtTheirBounds) {
    parts.SplitPoint = 83;
    ops.SplitUpClick();
    ops.SplitUpClick();
    EXPECT_EQ(parts.SplitPoint, 84);
    EXPECT_EQ(ops.controls.Panel6, "84");
    parts.SplitPoint = 49;
    ops.SplitDownClick();
    ops.SplitDownClick();
    EXPECT_EQ(parts.SplitPoint, 48);
    EXPECT_EQ(ops.controls.Panel6, "48");
    for (int i = 0; i < 3; ++i) ops.OctaveUpClick();
    EXPECT_EQ(parts.ThruOctave, 2);
    EXPECT_EQ(parts.ThruTranspose, 24);
    EXPECT_EQ(ops.controls.OctavePanel, "2");
    for (int i = 0; i < 5; ++i) ops.OctaveDownClick();
    EXPECT_EQ(parts.ThruOctave, -2);
    EXPECT_EQ(parts.ThruTranspose, -24);
    EXPECT_EQ(state.drums.Modified, 1);
}

TEST_F(OrchestraOps, TheThruBoxSetsTheThruVoiceAndTheConfiguration) {
    ops.ThruBoxChange(9);
    EXPECT_EQ(parts.ThruChannel, 9);
    EXPECT_EQ(parts.PartChannels[0], 9);
    app::ProgramState fresh;
    common::ReadConfig(fresh, fresh.live.parts.ThruChannel);
    EXPECT_EQ(fresh.live.parts.ThruChannel, 9);
    ops.ThruBoxChange(16);  // no such item
    EXPECT_EQ(parts.ThruChannel, 9);
}

TEST_F(OrchestraOps, TransposeMovesEveryPartAndGoesOnPlaying) {
    parts.PartSteps[3][1] = {36, 90, 300};
    parts.PartSteps[0][2] = {60, 80, 200};
    parts.GridNotes[2] = 60;
    startPlaying();
    ASSERT_TRUE(ops.TransposeClick(-1));
    EXPECT_TRUE(playing());
    EXPECT_EQ(parts.PartSteps[3][1].note, 35);
    EXPECT_EQ(parts.PartSteps[0][2], (PartStep{59, 80, 5000})) << "the current part, selected again";
    EXPECT_EQ(parts.GridNotes[2], 59);
    EXPECT_EQ(state.orchestra.KeepPlaying, 0);

    parts.PartSteps[1][9] = {127, 90, 300};
    dialogs.clear();
    EXPECT_FALSE(ops.TransposeClick(+1));
    EXPECT_EQ(parts.PartSteps[1][9].note, 127);
    EXPECT_EQ(parts.PartSteps[3][1].note, 35) << "nothing moved";
    ASSERT_EQ(dialogs.log().size(), 1u);
    EXPECT_EQ(dialogs.log()[0].kind, platform::testing::ScriptedDialogs::Entry::Kind::Beep);
}

}  // namespace
