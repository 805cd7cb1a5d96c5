#pragma once
// The program-wide state: one arrangement and the settings around it, living for the whole run.
// One object owns it all (the program, or a test); forms and units are handed a reference and
// read and write the fields directly. Grouped per subsystem; user-interface thread only.

#include <array>
#include <cstdint>
#include <string>

#include "accompaniment/orchestra_grid.h"
#include "common/program_wide.h"
#include "drums/drum_state.h"
#include "import/import_state.h"
#include "live/live_accompaniment.h"

namespace app {

// The arrangement file and the accompaniment page's flags around its reader.
struct ArrangementFileState {
    std::string FileNameBuf;              // full path of the arrangement last chosen for opening
    std::uint8_t ReservedByte = 0;        // carried from the file last read to the files written
    std::uint8_t MergingDrums = 0;        // 1 while the reader takes only the drums of a file
    std::uint8_t LoadingArrangement = 0;  // 1 while a file loads: the edit grid commits nothing
};

// The accompaniment page's editing state: the pen, the bar clipboard of notes (its own buffers
// and flags, apart from the drum tab's) and the flags its part selectors pass each other.
struct OrchestraPageState {
    accompaniment::PenState pen;
    std::int32_t GridCellCode = 0;  // the cell the next grid update writes
    std::int8_t ClipboardBar = 1;   // 1..8, follows UpDown1
    // CopyValid is the page's CopyBufferFull, UndoValid its UndoAvailable.
    drums::BarClipboard NoteClipboard;
    std::array<std::int32_t, accompaniment::kSteps> SavedVelocities{};  // kept across a refresh
    std::uint8_t SkipGridRefresh = 0;  // a volume spin selects its part without a refresh
    std::int32_t KeepPlaying = 0;      // a transpose button selects its part without stopping
};

// The shared part (Engine, shell, devices) first, then each subsystem's own.
struct ProgramState : common::ProgramWide {
    drums::DrumState drums;
    drums::TransportState transport;
    drums::DrumGridState grid;
    live::LiveState live;  // part data, chord follower, players, live input
    ArrangementFileState file;
    OrchestraPageState orchestra;
    midiimport::ImportState import;  // the MIDI import's stages and pages
};

}  // namespace app
