#pragma once
// The orchestra editor's note grid: 8 bars x 32 steps of cells, each standing for one step of
// the loop. Where a cell's note, velocity and duration live in the edit grid, the code that
// names a cell for an update, what a cell shows (caption, hint, ink), the pen that a click
// writes with, and the update of one cell. Qt-free; user-interface thread only.
//
// Cell (row, column), row 1..8 = bar, column 1..32 = step of the bar, stands for step
// 32 (row - 1) + column; the last cell (8, 32) stands for step 0, which the loop plays after
// step 255, so it lives at grid index 0.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "accompaniment/part_data.h"

namespace accompaniment {

inline constexpr int kGridRows = 8;
inline constexpr int kGridColumns = 32;
inline constexpr int kNoCell = -1;

struct GridCell {
    int row = 0;
    int column = 0;
    bool operator==(const GridCell&) const = default;
};

// Grid index 0..255 of a cell, kNoCell for a row or column out of range.
constexpr int GridIndex(int row, int column) {
    if (row < 1 || row > kGridRows || column < 1 || column > kGridColumns) return kNoCell;
    const int k = kGridColumns * (row - 1) + column;
    return k == kSteps ? 0 : k;
}

// The code naming a cell: the digits of the row followed by those of the column (11 .. 832).
constexpr int GridCellCode(int row, int column) {
    return column < 10 ? 10 * row + column : 100 * row + column;
}

// The cell a code names; empty for any value that names none.
std::optional<GridCell> CellOfCode(std::int32_t code);

// The note-name table, notes 0..128: three characters and a zero. 0..11 are empty, 12 is three
// blanks; from 13 on an octave digit that changes at A, the pitch class and, for a natural
// note, a blank ("4C ", "4C#", "4A ").
using NoteNameEntry = std::array<char, 4>;
extern const std::array<NoteNameEntry, 129> NoteNames;

// What a cell holding `note` shows: its number, its name as the hint (empty for a note outside
// the table) and its ink.
enum class Ink : std::uint8_t { Red, Blue, Yellow, Navy, Shadow };
std::string CellCaption(std::int32_t note);
std::string CellHint(std::int32_t note);
// Navy for the tones of C major (C, E, G, and a rest), which the chord follower bends onto the
// chord played; red for every other note.
Ink CellInk(std::int32_t note);

// The duration (ms) a new cell takes from the vertical duration bar, 0 at its top .. 100.
constexpr std::int32_t DurationFromBar(int position) {
    return (100 - position) * 100;
}

// The pen: the key chosen (A = 1 .. G# = 12, 0 before any), the key range 1..7 and the Null
// mode, and the note a click writes: 0 in Null mode, else key + 12 x range + 8 (C in range 4
// is 60). PenNote is only recomputed when asked (the key buttons, the range, Null).
struct PenState {
    std::int8_t PenKey = 0;
    std::int32_t PenOctave = 4;
    bool NullMode = false;
    std::int32_t PenNote = 0;
};
void UpdatePenNote(PenState& pen);

// Writes one cell: the pen note, the velocity (the volume bar, 0..127) and the duration bar's
// duration go to the cell's index of the edit grid; then the grid is committed to the current
// part. A code naming no cell writes nothing, and the grid is committed all the same. Returns
// the index written, or kNoCell.
int UpdateGridCell(PartData& d, std::int32_t code, std::int32_t penNote, int volumeBar, int durationBar,
                   bool loadingArrangement);

}  // namespace accompaniment
