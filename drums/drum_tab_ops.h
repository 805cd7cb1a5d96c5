#pragma once
// The drum tab's work without widgets: NEW, the way back to the setup page with its stops, and
// the time signature; and the position lights the page paints. The page runs an operation and
// then paints; where NEW needs the page between its steps, it asks `host`. User-interface
// thread only.

#include "common/program_wide.h"
#include "drums/drum_pattern.h"
#include "drums/drum_state.h"
#include "drums/position_lights.h"
#include "drums/transport.h"

namespace drums {

// What NEW asks of the drum tab between its steps.
class DrumTabHost {
  public:
    virtual ~DrumTabHost() = default;
    // The save offer before the pattern is discarded: false keeps the arrangement (Yes was
    // answered and nothing was saved).
    virtual bool offerSave() = 0;
    // The bar sliders moved to Bars, and the engine told the loop length.
    virtual void applyBars() = 0;
    // Every cell painted again for the drum shown, with its pan.
    virtual void repaintCells() = 0;
};

class DrumTabOps {
  public:
    DrumTabOps(DrumState& drums, common::ShellState& shell, DrumOps& ops, Transport& transport,
               DrumTabHost& host);

    // The beat and bar lights of the page.
    PositionLights lights;

    // NEW: playing stops, then the save offer; unless it keeps the arrangement, every cell and
    // pan is cleared, the loop goes back to 8 bars, the engine's copy is emptied, the page
    // repaints, the engine's cell is parked and the arrangement is unmodified. The tempo and the
    // time signature stay. False when the offer kept the arrangement.
    bool NewDrums();
    // SETUP's stops: the transport's stop, PageCode "DT" (help on the setup page reads it), then
    // three more stops of the engine, each with its panic.
    void LeaveForSetup();
    // The time signature: playing stops, MeterSign switches, and the fourth beat light shows it
    // (blue in waltz). The page then shows the caption and repaints.
    void ToggleTimeSignature();
    // For a reader that stored MeterSign itself: the switch that ends on that MeterSign.
    void ReapplyTimeSignature();

  private:
    DrumState& drums_;
    common::ShellState& shell_;
    DrumOps& ops_;
    Transport& transport_;
    DrumTabHost& host_;
};

}  // namespace drums
