#include "app/orchestra_ops.h"

#include <algorithm>

namespace app {

using accompaniment::PartData;

OrchestraOps::OrchestraOps(ProgramState& state, EngineLink& engine, drums::DrumOps& drums,
                           accompaniment::PartPlayers& players)
    : state_(state), engine_(engine), drums_(drums), players_(players) {}

void OrchestraOps::SendPartPan(std::uint8_t channel, std::uint8_t pan) {
    EngineParams& p = state_.Engine;
    const std::uint8_t userChannel = p.Channel;
    p.Aux = pan;
    p.Channel = channel;
    SendCommand(engine_, p, CmdPan);
    // The setup page's channel is the user's; a pan send must not take it over.
    p.Channel = userChannel;
}

void OrchestraOps::ResetOrchestra() {
    PartData& d = state_.live.parts;
    accompaniment::ResetOrchestraData(d);
    state_.live.input.ThruProgramIndex = 0;
    engine_.ShortMidiMsg(0x40 + (d.ThruChannel & 0x0F), 0, 0);
    controls.VolumePanel = std::to_string(controls.VolumeBar1 * 100 / 127);
    RefreshOrchestraData();
}

void OrchestraOps::RefreshOrchestraData() {
    PartData& d = state_.live.parts;
    const bool loading = state_.file.LoadingArrangement != 0;
    for (std::size_t i = 0; i < accompaniment::kSteps; ++i) {
        d.GridVelocities[i] = controls.VolumeBar1;
        d.GridDurations[i] = (100 - controls.DurationBar1) * 100;
    }
    accompaniment::CommitGridToPart(d, loading);
    controls.VolumeBar1 = 64;
    controls.VolumePanel = std::to_string(controls.VolumeBar1 * 100 / 127);
    controls.OctavePanel = std::to_string(d.ThruOctave);
    accompaniment::SetThruOctave(d, d.ThruOctave);
    const int thru = d.ThruChannel & 0x0F;
    engine_.ShortMidiMsg(0x40 + thru, static_cast<std::uint8_t>(d.ThruProgram) & 0x7F, 0);
    SendPartPan(static_cast<std::uint8_t>(d.PartChannels[0] & 0x0F), 64);
    for (std::size_t v = 1; v <= accompaniment::kParts; ++v)
        SendPartPan(static_cast<std::uint8_t>(d.PartChannels[v] & 0x0F),
                    static_cast<std::uint8_t>(std::clamp(d.PartPans[v], 0, 127)));
}

void OrchestraOps::NewAllData() {
    PartData& d = state_.live.parts;
    d.SplitPoint = 54;
    controls.Panel6 = "54";
    d.PartPans.fill(64);
    for (std::size_t i = 0; i < accompaniment::kSteps; ++i) d.GridDurations[i] = 0;
    controls.PanBars = {64, 64, 64, 64};
    controls.DurationBar1 = 50;
    ResetOrchestra();
    ClearParts();
}

void OrchestraOps::ClearParts() {
    players_.ReleaseSounding();
    accompaniment::ClearPartSteps(state_.live.parts);
}

void OrchestraOps::StopAccompaniment() {
    state_.live.players.Silenced = 1;
    for (int i = 0; i < 3; ++i) drums_.StopAndPanic();
    controls.WhichBar = "0";
}

void OrchestraOps::PanBarChange(int voice, int position) {
    if (voice < 1 || voice > accompaniment::kParts) return;
    PartData& d = state_.live.parts;
    position = std::clamp(position, 0, 127);
    state_.drums.Modified = 1;
    controls.PanBars[static_cast<std::size_t>(voice - 1)] = position;
    d.PartPans[static_cast<std::size_t>(voice)] = position;
    SendPartPan(static_cast<std::uint8_t>(d.PartChannels[static_cast<std::size_t>(voice)] & 0x0F),
                static_cast<std::uint8_t>(position));
}

void OrchestraOps::VolumeBar1Change(int position) {
    controls.VolumeBar1 = position;
    controls.VolumePanel = std::to_string(position * 100 / 127);
    accompaniment::CommitGridToPart(state_.live.parts, false);
}

void OrchestraOps::changeOctave(int by) {
    state_.drums.Modified = 1;
    PartData& d = state_.live.parts;
    const int next = d.ThruOctave + by;
    if (next > 2 || next < -2) {
        d.ThruOctave = std::clamp(next, -2, 2);
        return;
    }
    d.ThruOctave = next;
    accompaniment::SetThruOctave(d, d.ThruOctave);
    controls.OctavePanel = std::to_string(d.ThruOctave);
}

void OrchestraOps::changeSplit(int by) {
    state_.drums.Modified = 1;
    PartData& d = state_.live.parts;
    d.SplitPoint = std::clamp(d.SplitPoint + by, 48, 84);
    controls.Panel6 = std::to_string(d.SplitPoint);
}

void OrchestraOps::OctaveUpClick() {
    changeOctave(+1);
}
void OrchestraOps::OctaveDownClick() {
    changeOctave(-1);
}
void OrchestraOps::SplitUpClick() {
    changeSplit(+1);
}
void OrchestraOps::SplitDownClick() {
    changeSplit(-1);
}

}  // namespace app
