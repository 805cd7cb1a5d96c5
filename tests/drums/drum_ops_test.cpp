// The cell toggle, the cell-field rule and the whole-engine operations, checked against the
// engine's own copy of the pattern.

#include <gtest/gtest.h>

#include <random>

#include "drums/drum_pattern.h"
#include "tests/app/support/program_fixture.h"

namespace {

class DrumOps : public testsupport::ProgramFixture {
  protected:
    DrumOps() {
        ops.setPanicAction([this] { ++panics; });
        ops.ClearEngineDrums();
        link.clearJournal();
    }
    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    int panics = 0;
};

TEST_F(DrumOps, ToggleSetsAndClearsAndSendsTheCell) {
    ops.ToggleDrumCell(17, 9, 96);
    EXPECT_EQ(cell(17, 9), 96);
    ASSERT_EQ(link.params.size(), 1u);
    EXPECT_EQ(link.params[0].Step, 17);
    EXPECT_EQ(link.params[0].Drum, 9);
    EXPECT_EQ(link.params[0].CellValue, 96);
    EXPECT_EQ(link.params[0].Command, 0);
    EXPECT_EQ(link.engine.cell(17, 9), 96);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(state.drums.EditStep, 17);
    EXPECT_EQ(state.drums.EditDrum, 9);

    ops.ToggleDrumCell(17, 9, 96);
    EXPECT_EQ(cell(17, 9), 0);
    EXPECT_EQ(link.params[1].CellValue, 0);
    EXPECT_EQ(link.engine.cell(17, 9), 0);
}

TEST_F(DrumOps, ASetCellIsClearedWhateverTheVelocity) {
    state.drums.DrumPattern[40][11] = 40;
    ops.ToggleDrumCell(40, 11, 96);
    EXPECT_EQ(cell(40, 11), 0);
    ops.ToggleDrumCell(41, 11, 0);
    EXPECT_EQ(cell(41, 11), 0) << "velocity 0 leaves an empty cell empty";
    EXPECT_EQ(state.drums.Modified, 1) << "... yet the arrangement counts as modified";
}

TEST_F(DrumOps, TheLastCellOfBarEightIsStepZero) {
    ops.ToggleDrumCell(0, 11, 100);
    EXPECT_EQ(link.params.back().Step, 0);
    EXPECT_EQ(link.engine.cell(0, 11), 100);
}

TEST_F(DrumOps, CellsOutsideTheEditedRangeAreIgnored) {
    for (auto [s, d] : {std::pair{-1, 0}, {256, 0}, {299, 0}, {1, -1}, {1, 70}, {1, 255}})
        ops.ToggleDrumCell(s, d, 90);
    EXPECT_TRUE(link.params.empty());
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(state.drums.EditDrum, 35);
}

TEST_F(DrumOps, ParkingKeepsAHitOnCellZeroZero) {
    ops.ToggleDrumCell(0, 0, 77);
    state.drums.Modified = 0;
    ops.ParkEngineCell();
    EXPECT_EQ(cell(0, 0), 77);
    EXPECT_EQ(link.params.back().CellValue, 77);
    EXPECT_EQ(link.engine.cell(0, 0), 77);
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(state.drums.EditStep, 0);
    EXPECT_EQ(state.drums.EditDrum, 0);
}

TEST_F(DrumOps, StopAndPanicStopsTheEngineThenRunsThePanicAction) {
    ops.ToggleDrumCell(5, 9, 90);
    link.clearJournal();
    ops.StopAndPanic();
    EXPECT_EQ(link.journal(), (std::vector<std::string>{"cmd 246"}));
    EXPECT_EQ(panics, 1);
    EXPECT_EQ(state.Engine.Command, 0);
    EXPECT_EQ(link.engine.cell(5, 9), 90) << "the command-only call rewrote the cell with its own value";
}

// Any sequence of toggles, parks, pans, engine clears and pattern clears keeps the engine's
// copy equal to the pattern, as long as every writer follows the cell-field rule.
TEST_F(DrumOps, TheEngineCopyFollowsThePatternThroughAnySequence) {
    std::mt19937 random(20261209);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 4000; ++round) {
        switch (pick(10)) {
            case 0:
                ops.ParkEngineCell();
                break;
            case 1:
                ops.StopAndPanic();
                break;
            case 2:
                if (pick(20) == 0) {  // NEW's clearing
                    ops.ClearPattern();
                    ops.ClearEngineDrums();
                    ops.ParkEngineCell();
                }
                break;
            case 3: {  // a direct writer (the bar clipboard, the reader) and its send
                const int s = pick(256), d = pick(70);
                state.drums.DrumPattern[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)] = pick(128);
                ops.SendCell(s, d);
                break;
            }
            default:
                ops.ToggleDrumCell(pick(256), pick(70), pick(128));
                break;
        }
        ASSERT_EQ(state.Engine.Command, 0);
        if (round % 500 == 0) {
            ASSERT_TRUE(engineMatchesPattern()) << "round " << round;
        }
    }
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumOps, FlagsStartAsTheEditorsExpect) {
    const app::ProgramState fresh;
    EXPECT_EQ(fresh.drums.CopyDrum, 35);
    EXPECT_EQ(fresh.drums.EditDrum, 35);
    EXPECT_EQ(fresh.drums.Bars, 8);
    EXPECT_EQ(fresh.drums.MeterSign, -1);
    EXPECT_EQ(fresh.drums.EditEnabled, 1);
    EXPECT_EQ(fresh.drums.DrumPans[0], 64);
    EXPECT_EQ(fresh.Engine.DrumChannel, 9);
    EXPECT_EQ(fresh.Engine.MidiOutDevice, -1);
    EXPECT_EQ(fresh.Engine.Tempo, 120);
}

}  // namespace
