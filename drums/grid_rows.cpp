#include "drums/grid_rows.h"

#include "drums/drum_names.h"
#include "drums/steps.h"

namespace drums {

namespace {
constexpr int kFirstNote = 27;  // drum index 0 is percussion note 27

bool used(const DrumState& d, int drum) {
    for (int step = 0; step < kSteps; ++step)
        if (d.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)] != 0) return true;
    return false;
}
}  // namespace

int AssignGridRows(const DrumState& d, std::array<std::int32_t, kGridRows>& rowDrum) {
    int row = 0;
    for (int drum = 0; drum < kScannedDrums && row < kGridRows; ++drum)
        if (used(d, drum)) rowDrum[static_cast<std::size_t>(row++)] = drum;
    return row;
}

int GridStep(int gridBarOffset, int column) {
    const int step = gridBarOffset + column;
    return step == kSteps ? 0 : step;
}

int GridPageUp(int offset) {
    if (offset < kSteps) offset += kBarPositions;
    return offset > kLastGridBarOffset ? kLastGridBarOffset : offset;
}

int GridPageDown(int offset) {
    return offset >= kBarPositions ? offset - kBarPositions : offset;
}

CellShade GridCellShade(const DrumState& d, int step, int drum) {
    if (step < 0 || step >= kPatternSize || drum < 0 || drum >= kPatternSize) return CellShade::Empty;
    return d.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)] != 0
               ? CellShade::Hit
               : CellShade::Empty;
}

std::string GridRowCaption(int drum) {
    if (drum >= 0 && drum < kNamedDrums) return DrumNames[static_cast<std::size_t>(drum)];
    return "Note " + std::to_string(drum + kFirstNote);
}

std::optional<int> DrumTabIndexOfRow(int drum) {
    if (drum >= 0 && drum < kNamedDrums) return drum;
    return std::nullopt;
}

}  // namespace drums
