// The position lights over steps, time signatures and the bar shown on the drum grid.

#include <gtest/gtest.h>

#include "drums/position_lights.h"

namespace {

using drums::Light;
constexpr Light G = Light::Green, Y = Light::Yellow, B = Light::Blue;

// The yellow grid lights, numbered 1..32.
std::vector<int> yellowGrid(const drums::PositionLights& l) {
    std::vector<int> out;
    for (int i = 0; i < 32; ++i)
        if (l.DrumBeat[static_cast<std::size_t>(i)] == Y) out.push_back(i + 1);
    return out;
}
int yellowBar(const drums::PositionLights& l) {
    for (int i = 0; i < 8; ++i)
        if (l.Tempo[static_cast<std::size_t>(i)] == Y) {
            EXPECT_EQ(l.TempoA[static_cast<std::size_t>(i)], Y);
            return i + 1;
        }
    return 0;
}

// Lights as they stand after a run of steps, as the step messages arrive.
drums::PositionLights play(std::initializer_list<int> steps, std::int8_t meter, int offset) {
    drums::PositionLights l;
    drums::ResetBeatLights(l, meter);
    for (int s : steps) drums::ShowDrumPosition(l, s, meter, offset);
    return l;
}

TEST(PositionLights, StepOneInFourTime) {
    auto l = play({255, 0, 1}, -1, 0);
    EXPECT_EQ(yellowGrid(l), std::vector<int>{1});
    EXPECT_EQ(l.DrumBeat[31], G);
    EXPECT_EQ(l.DrumBeat[30], G);
    EXPECT_EQ(l.DrumBeat[23], G);
    EXPECT_EQ(l.Beat, (std::array<Light, 4>{Y, G, G, G}));
    EXPECT_EQ(yellowBar(l), 1);
    EXPECT_EQ(l.GridWhichBar, "1");
    EXPECT_EQ(l.OrchestraWhichBar, "1");
}

TEST(PositionLights, AStepBeyondTheBarShownPutsTheGridOut) {
    drums::PositionLights l = play({}, -1, 0);
    for (int s = 1; s <= 33; ++s) drums::ShowDrumPosition(l, s, -1, 0);
    EXPECT_TRUE(yellowGrid(l).empty());
    EXPECT_EQ(yellowBar(l), 2);
    EXPECT_EQ(l.GridWhichBar, "2");
    EXPECT_EQ(l.OrchestraWhichBar, "2");
}

TEST(PositionLights, WaltzLeavesTheBeatLightsOnTheFourthBeat) {
    drums::PositionLights l = play({}, 1, 0);
    for (int s = 1; s <= 24; ++s) drums::ShowDrumPosition(l, s, 1, 0);
    EXPECT_EQ(yellowGrid(l), std::vector<int>{24});
    EXPECT_EQ(l.DrumBeat[22], G);
    EXPECT_EQ(l.Beat, (std::array<Light, 4>{G, G, Y, B})) << "k = 3 changes nothing in waltz";
    // The engine skips 25..32 in waltz; the next bar starts with light 1 and puts 24 out.
    drums::ShowDrumPosition(l, 33, 1, 32);
    EXPECT_EQ(yellowGrid(l), std::vector<int>{1});
    EXPECT_EQ(l.DrumBeat[23], G);
}

TEST(PositionLights, StepZeroIsTheEndOfBarEight) {
    auto l = play({254, 255, 0}, -1, 0);
    EXPECT_EQ(l.Beat, (std::array<Light, 4>{Y, G, G, G}));
    EXPECT_EQ(yellowBar(l), 1);
    EXPECT_EQ(l.GridWhichBar, "1");
    EXPECT_TRUE(yellowGrid(l).empty()) << "grid on bar 1";
    // With the grid on bar 8, the 256th step lights its last light.
    auto l8 = play({254, 255, 0}, -1, 224);
    EXPECT_EQ(yellowGrid(l8), std::vector<int>{32});
    auto next = l8;
    drums::ShowDrumPosition(next, 1, -1, 224);
    EXPECT_TRUE(yellowGrid(next).empty()) << "leaving bar 8 puts 31 and 32 out";
}

TEST(PositionLights, TheLightsMoveAtTheLastStepOfABeatOrBar) {
    struct Case {
        int step;
        std::array<Light, 4> beats;
        int bar;
    };
    const Case cases[] = {
        {7, {Y, G, G, G}, 1},  {8, {G, Y, G, G}, 1},  {16, {G, G, Y, G}, 1},  {24, {G, G, G, Y}, 1},
        {31, {G, G, G, Y}, 1}, {32, {Y, G, G, G}, 2}, {224, {Y, G, G, G}, 8}, {255, {G, G, G, Y}, 8},
    };
    for (const Case& c : cases) {
        drums::PositionLights l = play({}, -1, 0);
        for (int s = 1; s <= c.step; ++s) drums::ShowDrumPosition(l, s, -1, 0);
        EXPECT_EQ(l.Beat, c.beats) << "step " << c.step;
        EXPECT_EQ(yellowBar(l), c.bar) << "step " << c.step;
    }
}

TEST(PositionLights, GridFollowsTheBarShown) {
    drums::PositionLights l = play({}, -1, 64);
    for (int s = 60; s <= 70; ++s) drums::ShowDrumPosition(l, s, -1, 64);
    EXPECT_EQ(yellowGrid(l), std::vector<int>{6});
    drums::ShowDrumPosition(l, 96, -1, 64);
    EXPECT_EQ(yellowGrid(l), (std::vector<int>{6, 32}))
        << "a jump puts out only the light before the new one; the skipped one stays lit";
}

TEST(PositionLights, ResetRestsTheBeatLights) {
    auto l = play({9}, -1, 0);
    drums::ResetBeatLights(l, 1);
    EXPECT_EQ(l.Beat, (std::array<Light, 4>{G, G, G, B}));
    drums::ResetBeatLights(l, -1);
    EXPECT_EQ(l.Beat, (std::array<Light, 4>{G, G, G, G}));
}

TEST(PositionLights, StrayStepsLightNoBarAndNoGrid) {
    for (int s : {256, 300, 100000}) {
        drums::PositionLights l = play({}, -1, 0);
        drums::ShowDrumPosition(l, s, -1, 0);
        EXPECT_TRUE(yellowGrid(l).empty()) << s;
        EXPECT_EQ(yellowBar(l), 0) << s;
    }
}

}  // namespace
