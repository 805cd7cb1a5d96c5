#pragma once
// What the import's stages reach besides their own state: the arrangement, the engine, the drum
// operations, the dialog service and the import pages. The pages implement ImportPages; the
// stages never touch a widget. User-interface thread only.

#include <cstdio>

#include "common/engine_link.h"
#include "common/program_wide.h"
#include "drums/drum_pattern.h"
#include "drums/drum_state.h"
#include "import/import_state.h"
#include "live/live_accompaniment.h"
#include "platform/dialogs.h"

namespace midiimport {

// The pages' side of the import stages.
class ImportPages {
  public:
    virtual ~ImportPages() = default;
    // Lets pending window messages run, so that a progress text shows during a long step.
    virtual void processMessages() = 0;
    // A long step has come `percent` (0..100) of its way. Called often during the step (every
    // few hundred events), so that the pages can show the figure and repaint while it runs.
    virtual void showProgress(int percent) = 0;
    // The reset after an abort, as the import page's NEW does it: the dump state, the page back
    // to idle, drums and parts cleared, Modified 0.
    virtual void resetImport() = 0;
    // The drum tab's switch between four-time and waltz, with all its effects.
    virtual void toggleTimeSignature() = 0;
    // The drum tab's bar sliders and the engine's loop length follow Bars.
    virtual void applyBars() = 0;
    // The drum tab's tempo panel shows the tempo and its tempo bar takes it as its position.
    virtual void showTempo(int tempo) = 0;
};

// The program's state the import writes into: the drums, the parts (and their transposition, which
// an AUTO trial moves into C), and the shared block, whose engine parameters take the piece's
// tempo and whose shell selects the program folder the temporary files live in.
struct ImportTargets {
    common::ProgramWide& wide;
    drums::DrumState& drums;
    live::LiveState& live;
};

struct ImportContext {
    ImportState& import;
    ImportTargets program;
    common::EngineLink& engine;
    drums::DrumOps& drums;
    platform::DialogService& dialogs;
    ImportPages& pages;
    // Where the split writes its percentage figure ("%d%%\r"); nullptr writes none.
    std::FILE* progress = stderr;
};

// The import's message box: a beep, then the text with the exclamation icon and an OK button.
void ImportBox(ImportContext& ctx, const char* text, const char* caption);
// A box, ImportAborted := 1 and the pages' reset.
void AbortWithBox(ImportContext& ctx, const char* text);

}  // namespace midiimport
