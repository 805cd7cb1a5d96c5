#pragma once
// The drum pages as they reach each other: the drum tab, the drum grid and the DRUM LIST dialog.
// A pointer is null before its page is made and after it is released. The program's page set
// holds these with the rest of its pages. And what the drum pages are handed.

#include <QPointer>

#include "drums/drum_state.h"
#include "ui/program_context.h"

namespace drums {

// The program's state the drum pages read and write besides the shared block: the pattern with
// its flags, and the drum grid's view onto it. (The transport's own settings are the
// transport's.)
struct DrumPagesState {
    DrumState& drums;
    DrumGridState& grid;
};

struct DrumPagesContext : ui::ProgramContext {
    DrumPagesState state;
};

class TDrumTab;
class TDrumsGrid;
class TChangeDrum;

struct DrumPages {
    QPointer<TDrumsGrid> DrumsGrid;
    QPointer<TDrumTab> DrumTab;
    QPointer<TChangeDrum> ChangeDrum;  // made by the drum tab's DRUM LIST, owned by it
};

}  // namespace drums
