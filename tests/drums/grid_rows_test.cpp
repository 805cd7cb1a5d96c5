// The drum grid's rows, steps, paging and captions.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "drums/grid_rows.h"

namespace {

using Rows = std::array<std::int32_t, drums::kGridRows>;

struct Hit {
    int step, drum;
};

std::unique_ptr<drums::DrumState> patternWith(std::initializer_list<Hit> hits) {
    auto d = std::make_unique<drums::DrumState>();
    for (const Hit h : hits)
        d->DrumPattern[static_cast<std::size_t>(h.step)][static_cast<std::size_t>(h.drum)] = 90;
    return d;
}

std::vector<std::int32_t> assigned(const drums::DrumState& d, Rows& rows) {
    const int n = drums::AssignGridRows(d, rows);
    return {rows.begin(), rows.begin() + n};
}

TEST(GridRows, UsedDrumsTakeRowsInDrumOrder) {
    struct Case {
        const char* what;
        std::initializer_list<Hit> hits;
        std::vector<std::int32_t> rows;
    };
    const Case cases[] = {
        {"no hit at all", {}, {}},
        // A drum whose hits all come before a lower drum's still gets its own row, after it.
        {"order by drum, not by step", {{200, 15}, {1, 22}, {255, 9}, {3, 15}}, {9, 15, 22}},
        {"the 256th step counts", {{0, 11}}, {11}},
        {"rows past the loop never count", {{256, 5}, {299, 6}, {10, 7}}, {7}},
        {"drums past the names take rows too", {{4, 60}, {4, 61}, {4, 69}, {4, 255}}, {60, 61, 69, 255}},
        {"columns past the scan do not", {{4, 256}, {4, 299}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto d = patternWith(c.hits);
        Rows rows{};
        EXPECT_EQ(assigned(*d, rows), c.rows);
    }
}

TEST(GridRows, FourteenUsedDrumsShowTheTwelveLowest) {
    auto d = std::make_unique<drums::DrumState>();
    // Fourteen drums, the highest ones hit first in the loop.
    for (int i = 0; i < 14; ++i)
        d->DrumPattern[static_cast<std::size_t>(100 - i)][static_cast<std::size_t>(2 + 3 * i)] = 64;
    Rows rows{};
    std::vector<std::int32_t> expected;
    for (int i = 0; i < 12; ++i) expected.push_back(2 + 3 * i);
    EXPECT_EQ(assigned(*d, rows), expected);
}

TEST(GridRows, RowsLeftOverKeepTheirDrums) {
    Rows rows;
    rows.fill(44);
    auto d = patternWith({{7, 3}, {8, 50}});
    EXPECT_EQ(drums::AssignGridRows(*d, rows), 2);
    EXPECT_EQ(rows[0], 3);
    EXPECT_EQ(rows[1], 50);
    for (std::size_t r = 2; r < rows.size(); ++r) EXPECT_EQ(rows[r], 44) << r;
}

TEST(GridRows, ColumnsStandForTheStepsOfTheBarShown) {
    struct Case {
        int offset, column, step;
    };
    for (const Case c : {Case{0, 1, 1}, Case{0, 32, 32}, Case{32, 1, 33}, Case{32, 32, 64},
                         Case{192, 32, 224}, Case{224, 1, 225}, Case{224, 31, 255}, Case{224, 32, 0}}) {
        SCOPED_TRACE(testing::Message() << c.offset << " " << c.column);
        EXPECT_EQ(drums::GridStep(c.offset, c.column), c.step);
    }
}

TEST(GridRows, PagingStaysWithinTheEightBars) {
    int offset = 0;
    std::vector<int> bars;
    for (int i = 0; i < 9; ++i) bars.push_back(drums::GridBarNumber(offset = drums::GridPageUp(offset)));
    EXPECT_EQ(bars, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 8, 8}));
    EXPECT_EQ(offset, 224);
    bars.clear();
    for (int i = 0; i < 9; ++i) bars.push_back(drums::GridBarNumber(offset = drums::GridPageDown(offset)));
    EXPECT_EQ(bars, (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 1, 1}));
    EXPECT_EQ(offset, 0);
}

TEST(GridRows, CaptionsAndTheTabARowLeadsTo) {
    struct Case {
        int drum;
        const char* caption;
        std::optional<int> tab;
    };
    const Case cases[] = {
        {0, "High Q", 0},
        {9, "Accoustic Bass Drum", 9},
        {15, "Closed High-Hat", 15},
        {60, "Open Surdo", 60},
        {61, "Note 88", std::nullopt},
        {69, "Note 96", std::nullopt},
        {-1, "Note 26", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.drum);
        EXPECT_EQ(drums::GridRowCaption(c.drum), c.caption);
        EXPECT_EQ(drums::DrumTabIndexOfRow(c.drum), c.tab);
    }
}

TEST(GridRows, ShadesAndPercentages) {
    auto d = patternWith({{0, 9}});
    EXPECT_EQ(drums::GridCellShade(*d, 0, 9), drums::CellShade::Hit);
    EXPECT_EQ(drums::GridCellShade(*d, 1, 9), drums::CellShade::Empty);
    EXPECT_EQ(drums::GridCellShade(*d, 300, 9), drums::CellShade::Empty);
    EXPECT_EQ(drums::GridCellShade(*d, 0, -1), drums::CellShade::Empty);
    EXPECT_FALSE(drums::GridColumnUnplayed(-1, 32));
    EXPECT_FALSE(drums::GridColumnUnplayed(1, 24));
    EXPECT_TRUE(drums::GridColumnUnplayed(1, 25));
    struct Case {
        int velocity, percent;
    };
    for (const Case c : {Case{0, 0}, Case{95, 74}, Case{96, 75}, Case{127, 100}})
        EXPECT_EQ(drums::VolumePercent(c.velocity), c.percent) << c.velocity;
}

}  // namespace
