// The orchestra grid: where each cell lives, the codes that name cells, what a cell shows, the
// pen's note and the update of one cell.

#include <gtest/gtest.h>

#include <set>

#include "accompaniment/orchestra_grid.h"

namespace {

using namespace accompaniment;

TEST(OrchestraGrid, GridIndexOfACell) {
    struct Case {
        int row, column, index;
    };
    const Case cases[] = {
        {1, 1, 1},       {1, 32, 32},     {2, 1, 33},      {3, 23, 87},      {8, 31, 255},
        {8, 32, 0},  // the 256th cell
        {0, 1, kNoCell}, {9, 1, kNoCell}, {1, 0, kNoCell}, {1, 33, kNoCell}, {-1, -1, kNoCell},
    };
    for (const auto& c : cases) EXPECT_EQ(GridIndex(c.row, c.column), c.index) << c.row << "," << c.column;
    std::set<int> indexes;
    for (int r = 1; r <= kGridRows; ++r)
        for (int c = 1; c <= kGridColumns; ++c) indexes.insert(GridIndex(r, c));
    EXPECT_EQ(indexes.size(), 256u);
    EXPECT_EQ(*indexes.begin(), 0);
    EXPECT_EQ(*indexes.rbegin(), 255);
}

TEST(OrchestraGrid, EveryCellHasItsOwnCodeAndOtherCodesNameNone) {
    EXPECT_EQ(GridCellCode(1, 1), 11);
    EXPECT_EQ(GridCellCode(1, 32), 132);
    EXPECT_EQ(GridCellCode(3, 23), 323);
    EXPECT_EQ(GridCellCode(8, 32), 832);
    std::set<int> codes;
    for (int r = 1; r <= kGridRows; ++r)
        for (int c = 1; c <= kGridColumns; ++c) {
            const int code = GridCellCode(r, c);
            codes.insert(code);
            EXPECT_EQ(CellOfCode(code), (GridCell{r, c})) << code;
        }
    EXPECT_EQ(codes.size(), 256u);
    int named = 0;
    for (int code = -5; code <= 1000; ++code)
        if (CellOfCode(code)) ++named;
    EXPECT_EQ(named, 256) << "no code outside the cells' names any cell";
    for (int code : {0, 10, 20, 80, 90, 99, 109, 133, 199, 833, 910})
        EXPECT_FALSE(CellOfCode(code).has_value()) << code;
}

TEST(OrchestraGrid, CaptionsHintsAndInks) {
    struct Case {
        int note;
        const char* caption;
        const char* hint;
        Ink ink;
    };
    const Case cases[] = {
        {0, "0", "", Ink::Navy},  // a rest counts as C
        {11, "11", "", Ink::Red},      {12, "12", "   ", Ink::Navy},
        {13, "13", "0C#", Ink::Red},   {20, "20", "0G#", Ink::Red},
        {21, "21", "1A ", Ink::Red},   {24, "24", "1C ", Ink::Navy},
        {57, "57", "4A ", Ink::Red},   {60, "60", "4C ", Ink::Navy},
        {61, "61", "4C#", Ink::Red},   {64, "64", "4E ", Ink::Navy},
        {67, "67", "4G ", Ink::Navy},  {104, "104", "7G#", Ink::Red},
        {117, "117", "9A ", Ink::Red}, {128, "128", "9G#", Ink::Red},
        {129, "129", "", Ink::Red},  // beyond the table (a transposed note): no name
        {-5, "-5", "", Ink::Navy},   // -5 is a G below C
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CellCaption(c.note), c.caption) << c.note;
        EXPECT_EQ(CellHint(c.note), c.hint) << c.note;
        EXPECT_EQ(CellInk(c.note), c.ink) << c.note;
    }
}

TEST(OrchestraGrid, PenNoteFromKeyAndRange) {
    struct Case {
        int key, range;
        bool null;
        int note;
    };
    const Case cases[] = {
        {4, 4, false, 60},  // C in range 4 is middle C
        {1, 4, false, 57}, {12, 7, false, 104}, {1, 1, false, 21}, {4, 4, true, 0},
    };
    for (const auto& c : cases) {
        PenState pen;
        pen.PenKey = static_cast<std::int8_t>(c.key);
        pen.PenOctave = c.range;
        pen.NullMode = c.null;
        EXPECT_EQ(pen.PenNote, 0) << "recomputed only when asked";
        UpdatePenNote(pen);
        EXPECT_EQ(pen.PenNote, c.note) << c.key << " " << c.range;
    }
}

TEST(OrchestraGrid, DurationsFromTheBar) {
    EXPECT_EQ(DurationFromBar(0), 10000);
    EXPECT_EQ(DurationFromBar(50), 5000);
    EXPECT_EQ(DurationFromBar(100), 0);
}

class GridUpdate : public ::testing::Test {
  protected:
    PartData d;
    GridUpdate() { d.CurrentPart = 3; }
};

TEST_F(GridUpdate, ACellWritesItsIndexAndTheGridGoesToThePart) {
    d.GridNotes[5] = 64;  // an earlier cell, committed along
    EXPECT_EQ(UpdateGridCell(d, GridCellCode(3, 23), 61, 90, 80, false), 87);
    EXPECT_EQ(d.GridNotes[87], 61);
    EXPECT_EQ(d.GridVelocities[87], 90);
    EXPECT_EQ(d.GridDurations[87], 2000);
    EXPECT_EQ(d.PartSteps[2][87], (PartStep{61, 90, 2000}));
    EXPECT_EQ(d.PartSteps[2][5].note, 64);
    for (std::size_t p : {0u, 1u, 3u}) EXPECT_EQ(d.PartSteps[p][87], PartStep{}) << "only the current part";
}

TEST_F(GridUpdate, TheLastCellIsStepZero) {
    EXPECT_EQ(UpdateGridCell(d, 832, 48, 100, 0, false), 0);
    EXPECT_EQ(d.PartSteps[2][0], (PartStep{48, 100, 10000}));
    EXPECT_EQ(d.GridNotes[256], 0) << "indexes past 255 carry nothing";
}

TEST_F(GridUpdate, ACodeNamingNoCellStoresNothingButStillCommits) {
    d.GridNotes[9] = 72;
    const auto before = d.GridNotes;
    EXPECT_EQ(UpdateGridCell(d, 133, 60, 90, 50, false), kNoCell);
    EXPECT_EQ(d.GridNotes, before);
    EXPECT_EQ(d.PartSteps[2][9].note, 72);
}

TEST_F(GridUpdate, NothingIsCommittedWhileAnArrangementLoads) {
    d.PartSteps[2][1] = {50, 40, 300};
    UpdateGridCell(d, 11, 60, 90, 50, true);
    EXPECT_EQ(d.GridNotes[1], 60);
    EXPECT_EQ(d.PartSteps[2][1], (PartStep{50, 40, 300}));
}

}  // namespace
