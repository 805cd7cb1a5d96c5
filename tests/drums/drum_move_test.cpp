// Moving a drum's rhythm onto another drum, checked against the engine's own copy of the pattern
// and pans.

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "drums/drum_move.h"
#include "tests/app/support/program_fixture.h"

namespace {

class DrumMove : public testsupport::ProgramFixture {
  protected:
    DrumMove() {
        ops.ClearEngineDrums();
        // Drum 9 plays the first and last steps of the loop; drum 0 has hits of its own; drum 11
        // is a bystander.
        for (auto [step, drum, velocity] : {std::tuple{1, 9, 100},
                                            {17, 9, 60},
                                            {255, 9, 1},
                                            {0, 9, 127},
                                            {5, 0, 90},
                                            {17, 0, 40},
                                            {17, 11, 70}}) {
            state.drums.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)] =
                velocity;
            ops.SendCell(step, drum);
        }
        transport.SetDrumPan(9, 30);
        transport.SetDrumPan(0, 100);
        transport.SetDrumPan(11, 5);
        state.drums.Modified = 0;
        link.clearJournal();
    }
    std::vector<std::int32_t> column(int drum) {
        std::vector<std::int32_t> out;
        for (int s = 0; s < 256; ++s) out.push_back(cell(s, drum));
        return out;
    }
    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    drums::Transport transport{state.drums, state.transport, state.Engine, link, devices, ops, listener};
};

TEST_F(DrumMove, EveryHitAndThePanMoveAndNothingStaysBehind) {
    const std::vector<std::int32_t> moved = column(9);
    ASSERT_TRUE(drums::MoveDrum(state.drums, ops, transport, 9, 0));
    EXPECT_EQ(column(0), moved) << "drum 0's own hits are replaced, not merged";
    EXPECT_EQ(column(9), std::vector<std::int32_t>(256, 0));
    EXPECT_EQ(cell(17, 11), 70);
    EXPECT_EQ(state.drums.DrumPans[0], 30);
    EXPECT_EQ(state.drums.DrumPans[9], 64);
    EXPECT_EQ(state.drums.DrumPans[11], 5);
    EXPECT_TRUE(engineMatchesPattern()) << "the engine has the moved cells, the pan and the old drum's 64";
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(state.drums.EditDrum, 0);

    // Two cells per step and the two pans; the command only on the pans' own calls.
    EXPECT_EQ(link.params.size(), 2u * 256 + 2);
    EXPECT_EQ(link.journal("cmd 254").size(), 2u);
    EXPECT_EQ(link.params.back().Drum, 0) << "the engine's cell fields end on the new drum";
    EXPECT_EQ(link.params.back().Aux, 30);
    EXPECT_EQ(state.Engine.Command, 0);
}

TEST_F(DrumMove, TheSameDrumOrOneOutsideTheEditedRangeMovesAndSendsNothing) {
    for (auto [from, to] : {std::pair{9, 9}, {9, 70}, {9, -1}, {70, 0}, {-1, 0}}) {
        SCOPED_TRACE(std::to_string(from) + " -> " + std::to_string(to));
        const auto before = std::make_unique<decltype(state.drums.DrumPattern)>(state.drums.DrumPattern);
        EXPECT_FALSE(drums::MoveDrum(state.drums, ops, transport, from, to));
        EXPECT_TRUE(state.drums.DrumPattern == *before);
        EXPECT_EQ(state.drums.DrumPans[9], 30);
        EXPECT_EQ(state.drums.Modified, 0);
        EXPECT_TRUE(link.params.empty());
    }
}

}  // namespace
