#pragma once
// The drum grid's arithmetic: which drums get a row, which step a cell of the bar shown stands
// for, how the grid pages through the bars and how a row is captioned. User-interface thread
// only; no state of its own.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "drums/drum_state.h"
#include "drums/tab_cells.h"

namespace drums {

inline constexpr int kGridRows = 12;
inline constexpr int kGridColumns = 32;
inline constexpr int kLastGridBarOffset = 224;  // bar 8
inline constexpr int kScannedDrums = 256;

// Gives each drum with a hit on any step 0..255 one row, in ascending drum order, until the
// twelve rows are taken; drums after the twelfth used drum get none. Returns the number of rows
// given (0..12); the entries of rows left over keep what they held.
int AssignGridRows(const DrumState& drums, std::array<std::int32_t, kGridRows>& rowDrum);

// The step of column 1..32 on the bar that starts after gridBarOffset. The last column of bar 8
// is step 0, the pattern's 256th step.
int GridStep(int gridBarOffset, int column);

// One bar forward or back; the grid always pages over all eight bars, whatever the loop length.
int GridPageUp(int gridBarOffset);
int GridPageDown(int gridBarOffset);

// The bar number 1..8 shown for an offset.
inline int GridBarNumber(int gridBarOffset) {
    return gridBarOffset / kBarPositions + 1;
}

// Hit or empty for the cell [step][drum]; a cell outside the pattern is empty.
CellShade GridCellShade(const DrumState& drums, int step, int drum);

// In waltz the last eight columns are not played and show as such after a refresh.
inline bool GridColumnUnplayed(std::int8_t meterSign, int column) {
    return meterSign == 1 && column > 24;
}

// A row's caption: the drum's name, or its percussion note for a drum without one.
std::string GridRowCaption(int drum);

// The drum tab shows only the named drums: the tab a row leads to, if any.
std::optional<int> DrumTabIndexOfRow(int drum);

// The velocity as the percentage the pages show, truncated (96 shows 75).
inline int VolumePercent(int velocity) {
    return velocity * 100 / 127;
}

}  // namespace drums
