#include "drums/drum_tab_ops.h"

namespace drums {

DrumTabOps::DrumTabOps(DrumState& drums, common::ShellState& shell, DrumOps& ops, Transport& transport,
                       DrumTabHost& host)
    : drums_(drums), shell_(shell), ops_(ops), transport_(transport), host_(host) {}

bool DrumTabOps::NewDrums() {
    transport_.Stop();
    if (!host_.offerSave()) return false;
    ops_.ClearPattern();
    drums_.Bars = 8;
    host_.applyBars();
    // Emptied after the loop length went out: every command also stores the cell fields, which
    // still name a cell as it was before the clear.
    ops_.ClearEngineDrums();
    host_.repaintCells();
    ops_.ParkEngineCell();
    drums_.Modified = 0;
    return true;
}

void DrumTabOps::LeaveForSetup() {
    transport_.Stop();
    shell_.PageCode = "DT";
    for (int i = 0; i < 3; ++i) ops_.StopAndPanic();
}

void DrumTabOps::ToggleTimeSignature() {
    transport_.Stop();
    transport_.ToggleMeter();
    lights.Beat[3] = drums_.MeterSign == 1 ? Light::Blue : Light::Green;
}

void DrumTabOps::ReapplyTimeSignature() {
    drums_.MeterSign = static_cast<std::int8_t>(-drums_.MeterSign);
    ToggleTimeSignature();
}

}  // namespace drums
