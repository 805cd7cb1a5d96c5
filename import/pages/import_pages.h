#pragma once
// The two import pages as they reach each other: the import page and its instrument chooser,
// made as a pair for each import. A pointer is null before its page is made and after it is
// released. The program's page set holds these with the rest of its pages. And what the import
// page is handed.

#include <QPointer>

#include "drums/drum_state.h"
#include "import/import_state.h"
#include "live/live_accompaniment.h"
#include "ui/program_context.h"

namespace midiimport {

// The program's state the import page reads and writes besides the shared block: the import's
// own stages, and the drums and parts it loads into.
struct ImportPagesState {
    ImportState& import;
    drums::DrumState& drums;
    live::LiveState& live;
};

struct ImportPagesContext : ui::ProgramContext {
    ImportPagesState state;
};

class TConverting;
class TInstListForm;

struct ImportPagePair {
    QPointer<TConverting> Converting;
    QPointer<TInstListForm> InstListForm;
};

}  // namespace midiimport
