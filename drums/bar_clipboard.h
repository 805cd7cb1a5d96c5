#pragma once
// A page's bar clipboard: the bar last copied and the bar last cleared (as it was), each with
// its flag. The operations work on any row of 256 cells indexed by step, so the drum tab uses
// one over a drum's column of the pattern and the accompaniment page keeps another over its
// note grid; separate instances mean a drum PASTE can never receive note numbers.
// User-interface thread only.

#include <array>
#include <cstdint>
#include <functional>

#include "drums/steps.h"
#include "platform/dialogs.h"

namespace drums {

struct BarClipboard {
    // Entry p - 1 holds position p.
    std::array<std::int32_t, kBarPositions> BarCopyBuffer{};
    std::array<std::int32_t, kBarPositions> BarUndoBuffer{};
    std::int32_t CopyValid = 0;  // 1 after the first COPY; never cleared
    std::uint8_t UndoValid = 0;  // 1 after the first CLEAR; never cleared
};

// The cell of a row for a step 0..255.
using StepCells = std::function<std::int32_t&(int step)>;

// Each operation works on bar 1..8 and does nothing, returning false, for any other bar.
// The buffer := the bar's 32 cells; CopyValid := 1.
bool CopyBar(BarClipboard& clipboard, int bar, const StepCells& cells);
// The bar's cells := the copy buffer. False, changing nothing, before the first copy.
bool PasteBar(const BarClipboard& clipboard, int bar, const StepCells& cells);
// The undo buffer := the bar's cells, then every cell := 0; UndoValid := 1.
bool ClearBar(BarClipboard& clipboard, int bar, const StepCells& cells);
// The bar's cells := the undo buffer. False, changing nothing, before the first clear.
bool RestoreBar(const BarClipboard& clipboard, int bar, const StepCells& cells);

// The answers to a PASTE before any COPY and an UNDO before any CLEAR.
inline constexpr const char* kCopyBufferEmpty = "Copy Buffer is Empty";
inline constexpr const char* kUndoBufferEmpty = "UndoClear Buffer is Empty";
// A stop-sound beep, then `text` in the application's box captioned "ERROR".
void EmptyBufferBox(platform::DialogService& dialogs, const char* text);

}  // namespace drums
