#include "drums/drum_pattern.h"

#include <algorithm>

namespace drums {

DrumOps::DrumOps(DrumState& drums, common::EngineParams& params, common::EngineLink& engine,
                 PlayingListener& playing)
    : drums_(drums), params_(params), engine_(engine), playing_(playing) {}

void DrumOps::ToggleDrumCell(int step, int drum, int velocity) {
    if (step < 0 || step >= kSteps || drum < 0 || drum >= kEditableDrums) return;
    DrumState& d = drums_;
    d.Modified = 1;
    d.EditStep = step;
    d.EditDrum = drum;
    std::int32_t& cell = d.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)];
    cell = cell != 0 ? 0 : std::clamp(velocity, 0, 127);
    SendCell(step, drum);
}

void DrumOps::SendCell(int step, int drum) {
    common::EngineParams& p = params_;
    p.Step = static_cast<std::uint8_t>(step);
    p.Drum = static_cast<std::uint8_t>(drum);
    p.CellValue =
        CellByte(drums_.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)]);
    common::SendParams(engine_, p);
}

void DrumOps::ParkEngineCell() {
    SendCell(0, 0);
}

void DrumOps::ClearEngineDrums() {
    common::SendCommand(engine_, params_, common::CmdClearGrid);
}

void DrumOps::StopAndPanic() {
    common::SendCommand(engine_, params_, common::CmdStopPanic);
    // The engine plays no more, whoever stopped it: three chord keys may start it again.
    playing_.EngineStopped();
    if (panicAction_) panicAction_();
}

void DrumOps::ClearPattern() {
    for (auto& row : drums_.DrumPattern) row.fill(0);
    drums_.DrumPans.fill(64);
}

}  // namespace drums
