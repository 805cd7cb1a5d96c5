#pragma once
// The accompaniment page's editing state: the pen, the bar clipboard of notes (its own buffers
// and flags, apart from the drum tab's) and the flags its part selectors pass each other. Plain
// data; the program's state holds it with the rest. User-interface thread only.

#include <array>
#include <cstdint>

#include "accompaniment/orchestra_grid.h"
#include "drums/bar_clipboard.h"

namespace accompaniment {

struct OrchestraPageState {
    PenState pen;
    std::int32_t GridCellCode = 0;  // the cell the next grid update writes
    std::int8_t ClipboardBar = 1;   // 1..8, follows UpDown1
    // CopyValid is the page's CopyBufferFull, UndoValid its UndoAvailable.
    drums::BarClipboard NoteClipboard;
    std::array<std::int32_t, kSteps> SavedVelocities{};  // kept across a refresh

    // A volume spin selects its part without a refresh; a transpose button without stopping.
    std::uint8_t SkipGridRefresh = 0;
    std::int32_t KeepPlaying = 0;
};

}  // namespace accompaniment
