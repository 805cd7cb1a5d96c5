#pragma once
// The drum tab's COPY, PASTE, CLEAR and UNDO of one drum's bar. The bar is Bars, the one the
// bar sliders choose. COPY reads EditDrum into the buffer and remembers it in CopyDrum; PASTE
// writes into CopyDrum whatever drum is shown; UNDO puts the last cleared bar back into the
// drum and bar that CLEAR emptied, leaving Bars at that bar without moving the sliders or the
// engine's loop. Each changed cell goes to the engine under the cell-field rule.
//
// The caller stops playing first and repaints the drum tab after a true result.
// User-interface thread only.

#include "drums/drum_pattern.h"
#include "drums/drum_state.h"
#include "platform/dialogs.h"

namespace drums {

class DrumClipboard {
  public:
    DrumClipboard(DrumState& drums, DrumOps& ops, platform::DialogService& dialogs);

    // A default beep; the buffer takes bar Bars of EditDrum. Nothing is sent or repainted.
    void Copy();
    // Bar Bars of CopyDrum := the buffer; Modified := 1. Before any COPY: the error box, false.
    bool Paste();
    // Bar Bars of EditDrum goes to the undo buffer and is emptied; Modified := 1.
    bool Clear();
    // The bar CLEAR emptied := the undo buffer; EditStep and Bars as at that CLEAR;
    // Modified := 1. Before any CLEAR: the error box, false.
    bool Undo();

  private:
    StepCells column(int drum);
    void sendBar(int bar, int drum);
    DrumState& drums_;
    DrumOps& ops_;
    platform::DialogService& dialogs_;
};

}  // namespace drums
