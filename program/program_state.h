#pragma once
// The program-wide state: one arrangement and the settings around it, living for the whole run.
// One object owns it all (the program, or a test). Grouped per subsystem, each group defined
// beside the subsystem it belongs to; units and pages are handed the groups they read and write
// (the shared block, a subsystem's own) and read and write the fields directly. The program's
// own units (start-up and exit, the arrangement file, the save offer) take it whole.
// User-interface thread only.

#include <cstdint>
#include <string>

#include "accompaniment/orchestra/orchestra_page_state.h"
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

// The shared part (Engine, shell, devices) first, then each subsystem's own.
struct ProgramState : common::ProgramWide {
    drums::DrumState drums;
    drums::TransportState transport;
    drums::DrumGridState grid;
    live::LiveState live;  // part data, chord follower, players, live input
    ArrangementFileState file;
    accompaniment::OrchestraPageState orchestra;
    midiimport::ImportState import;  // the MIDI import's stages and pages
};

}  // namespace app
