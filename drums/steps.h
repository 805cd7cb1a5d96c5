#pragma once
// Where a bar position lies in the 256-step loop. Bar b (1..8), position p (1..32) is step
// 32(b - 1) + p, except that the last position of bar 8 is step 0: the loop plays 1..255 and
// then 0. The pattern's rows, the drum tab's cells and the edit grids all follow this.

namespace drums {

inline constexpr int kBars = 8;
inline constexpr int kBarPositions = 32;

constexpr int BarStep(int bar, int position) {
    return bar == kBars && position == kBarPositions ? 0 : kBarPositions * (bar - 1) + position;
}

// Position 1..32 of a step 0..255 within its bar.
constexpr int PositionOfStep(int step) {
    return step == 0 ? kBarPositions : (step - 1) % kBarPositions + 1;
}

}  // namespace drums
