#pragma once
// How a drum tab cell is painted. A cell handler paints from the edit position, not from its
// own step and the tab: after a click the toggle has just set the edit position to that cell,
// and during a repaint the page sets EditStep to the cell being painted. In waltz the last
// eight positions of every bar are not played and show as such, whatever they hold.

#include <cstddef>

#include "drums/drum_state.h"
#include "drums/steps.h"

namespace drums {

enum class CellShade { Empty, Hit, Unplayed };

inline CellShade DrumTabCellShade(const DrumState& d, int step) {
    if (d.MeterSign == 1 && PositionOfStep(step) > 24) return CellShade::Unplayed;
    const bool inRange =
        d.EditStep >= 0 && d.EditStep < kPatternSize && d.EditDrum >= 0 && d.EditDrum < kPatternSize;
    const bool hit =
        inRange &&
        d.DrumPattern[static_cast<std::size_t>(d.EditStep)][static_cast<std::size_t>(d.EditDrum)] != 0;
    return hit ? CellShade::Hit : CellShade::Empty;
}

}  // namespace drums
