#include "drums/drum_pattern.h"

#include <algorithm>

namespace drums {

DrumOps::DrumOps(app::ProgramState& state, common::EngineLink& engine) : state_(state), engine_(engine) {}

void DrumOps::ToggleDrumCell(int step, int drum, int velocity) {
    if (step < 0 || step >= kSteps || drum < 0 || drum >= kEditableDrums) return;
    DrumState& d = state_.drums;
    d.Modified = 1;
    d.EditStep = step;
    d.EditDrum = drum;
    std::int32_t& cell = d.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)];
    cell = cell != 0 ? 0 : std::clamp(velocity, 0, 127);
    SendCell(step, drum);
}

void DrumOps::SendCell(int step, int drum) {
    common::EngineParams& p = state_.Engine;
    p.Step = static_cast<std::uint8_t>(step);
    p.Drum = static_cast<std::uint8_t>(drum);
    p.CellValue =
        CellByte(state_.drums.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)]);
    common::SendParams(engine_, p);
}

void DrumOps::ParkEngineCell() {
    SendCell(0, 0);
}

void DrumOps::ClearEngineDrums() {
    common::SendCommand(engine_, state_.Engine, common::CmdClearGrid);
}

void DrumOps::StopAndPanic() {
    common::SendCommand(engine_, state_.Engine, common::CmdStopPanic);
    // The engine plays no more, whoever stopped it: three chord keys may start it again.
    state_.live.chord.AccompanimentRunning = 0;
    if (panicAction_) panicAction_();
}

void DrumOps::ClearPattern() {
    for (auto& row : state_.drums.DrumPattern) row.fill(0);
    state_.drums.DrumPans.fill(64);
}

}  // namespace drums
