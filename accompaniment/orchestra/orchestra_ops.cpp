#include "accompaniment/orchestra/orchestra_ops.h"

#include <algorithm>

#include "common/config_file.h"
#include "midifile/InstrumentNames.h"

namespace accompaniment {

using accompaniment::PartData;

namespace {

constexpr std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

}  // namespace

OrchestraControls::OrchestraControls() {
    KeyInk.fill(Ink::Red);
}

std::int32_t SpinVelocity(int value) {
    value = std::clamp(value, 0, 9);
    return (value * 127 * 2 + 9) / 18;  // value x 127 / 9, rounded to the nearest
}

OrchestraOps::OrchestraOps(common::ProgramWide& wide, OrchestraTargets state, common::EngineLink& engine,
                           drums::DrumOps& drums, drums::Transport& transport,
                           platform::DialogService& dialogs, accompaniment::PartPlayers& players)
    : wide_(wide),
      state_(state),
      engine_(engine),
      drums_(drums),
      transport_(transport),
      dialogs_(dialogs),
      players_(players) {
    ResetNoteButtonColours();
}

void OrchestraOps::SendPartPan(std::uint8_t channel, std::uint8_t pan) {
    common::EngineParams& p = wide_.Engine;
    const std::uint8_t userChannel = p.Channel;
    p.Aux = pan;
    p.Channel = channel;
    common::SendCommand(engine_, p, common::CmdPan);
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

void OrchestraOps::showBoxes() {
    const PartData& d = state_.live.parts;
    for (int v = 1; v <= accompaniment::kParts; ++v) {
        controls.InstBox[at(v - 1)] = std::clamp(d.PartPrograms[at(v)], 0, 128);
        controls.InstChan[at(v - 1)] = std::clamp(d.PartChannels[at(v)], 0, 15);
    }
}

void OrchestraOps::RefreshOrchestraData() {
    PartData& d = state_.live.parts;
    OrchestraPageState& o = state_.orchestra;
    // Every cell is written again from its own note, which also gives it the bars' velocity
    // and duration and commits the grid after each cell. The cell's note goes in directly: the
    // pen keeps the note the player chose for the next click.
    const bool loading = state_.LoadingArrangement != 0;
    for (int row = 1; row <= accompaniment::kGridRows; ++row)
        for (int column = 1; column <= accompaniment::kGridColumns; ++column) {
            o.GridCellCode = accompaniment::GridCellCode(row, column);
            const std::int32_t note = d.GridNotes[at(accompaniment::GridIndex(row, column))];
            accompaniment::UpdateGridCell(d, o.GridCellCode, note, controls.VolumeBar1, controls.DurationBar1,
                                          loading);
        }
    showBoxes();
    controls.VolumeBar1 = 64;
    controls.VolumePanel = std::to_string(controls.VolumeBar1 * 100 / 127);
    ResetNoteButtonColours();
    controls.WaltzPanelVisible = state_.drums.MeterSign == 1;
    controls.OctavePanel = std::to_string(d.ThruOctave);
    accompaniment::SetThruOctave(d, d.ThruOctave);
    for (int p = 0; p < accompaniment::kParts; ++p)
        controls.OctaveBox[at(p)] =
            accompaniment::OctaveOffsetToIndex(static_cast<std::int8_t>(d.PartOctaveOffsets[at(p)]));
    // A THRU program outside the table (only a damaged file can hold one) names no instrument
    // and is not sent.
    const int program = d.ThruProgram;
    const int thru = d.ThruChannel & 0x0F;
    if (program >= 0 && program < 128) {
        controls.CurrentInstrument = midifile::GMInstrumentNames[program];
        engine_.ShortMidiMsg(0x40 + thru, program, 0);
    } else {
        controls.CurrentInstrument.clear();
    }
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
    controls.DurationPanel = "50";  // the panel shows what the bar gives, whoever moved it
    ResetOrchestra();
    ClearParts();
}

void OrchestraOps::ClearParts() {
    players_.ReleaseSounding();
    accompaniment::ClearPartSteps(state_.live.parts);
}

void OrchestraOps::StopAccompaniment() {
    players_.Silence();
    ResetNoteButtonColours();
    for (int i = 0; i < 3; ++i) drums_.StopAndPanic();
    if (pageStopped) pageStopped();
}

void OrchestraOps::StopBoth() {
    StopAccompaniment();
    transport_.Stop();
}

void OrchestraOps::InstBoxChange(int voice, int item) {
    if (voice < 1 || voice > accompaniment::kParts) return;
    controls.InstBox[at(voice - 1)] = std::clamp(item, 0, 128);
    SelectPart(voice);
}

void OrchestraOps::SelectPart(int voice) {
    if (voice < 1 || voice > accompaniment::kParts) return;
    PartData& d = state_.live.parts;
    OrchestraPageState& o = state_.orchestra;
    if (state_.LoadingArrangement == 0) state_.drums.Modified = 1;
    d.CurrentPart = voice;
    if (o.KeepPlaying == 0 && o.SkipGridRefresh == 0) StopBoth();
    d.PartPrograms[at(voice)] = controls.InstBox[at(voice - 1)];
    ResetPartLabelColours();
    controls.LabelInk[at(voice - 1)] = Ink::Red;
    auto& table = d.PartSteps[at(voice - 1)];
    for (std::size_t s = 0; s < accompaniment::kSteps; ++s) {
        d.GridNotes[s] = table[s].note;
        o.SavedVelocities[s] = table[s].velocity;
        d.GridDurations[s] = table[s].duration;
    }
    if (o.SkipGridRefresh == 0) {
        RefreshOrchestraData();
        o.KeepPlaying = 0;
        // The refresh gave every entry the volume bar's velocity; the part keeps its own.
        for (std::size_t s = 0; s < accompaniment::kSteps; ++s) table[s].velocity = o.SavedVelocities[s];
    }
    o.SkipGridRefresh = 0;
}

void OrchestraOps::LabelClick(int voice) {
    // Looking at a part is no edit: whatever the selector marks, Modified stays as it was.
    const std::uint8_t kept = state_.drums.Modified;
    SelectPart(voice);
    state_.drums.Modified = kept;
}

void OrchestraOps::ReselectCurrentPart() {
    SelectPart(state_.live.parts.CurrentPart);
}

void OrchestraOps::InstChanChange(int voice, int item) {
    if (voice < 1 || voice > accompaniment::kParts || item < 0 || item > 15) return;
    state_.drums.Modified = 1;
    StopBoth();
    state_.live.parts.PartChannels[at(voice)] = item;
    controls.InstChan[at(voice - 1)] = item;
}

void OrchestraOps::OctaveBoxChange(int part, int item) {
    if (part < 0 || part >= accompaniment::kParts || item < 0 || item > 4) return;
    state_.drums.Modified = 1;
    StopBoth();
    accompaniment::SetPartOctave(state_.live.parts, part, item);
    controls.OctaveBox[at(part)] = item;
}

void OrchestraOps::PanBarChange(int voice, int position) {
    if (voice < 1 || voice > accompaniment::kParts) return;
    PartData& d = state_.live.parts;
    position = std::clamp(position, 0, 127);
    state_.drums.Modified = 1;
    controls.PanBars[at(voice - 1)] = position;
    d.PartPans[at(voice)] = position;
    SendPartPan(static_cast<std::uint8_t>(d.PartChannels[at(voice)] & 0x0F),
                static_cast<std::uint8_t>(position));
}

void OrchestraOps::PartVolumeChange(int part, int value) {
    if (part < 0 || part >= accompaniment::kParts) return;
    value = std::clamp(value, 0, 9);
    controls.PartVolume[at(part)] = value;
    state_.orchestra.SkipGridRefresh = 1;
    auto& table = state_.live.parts.PartSteps[at(part)];
    for (std::size_t s = 0; s < accompaniment::kSteps; ++s) table[s].velocity = SpinVelocity(value);
    SelectPart(part + 1);
}

void OrchestraOps::ThruBoxChange(int item) {
    if (item < 0 || item > 15) return;
    PartData& d = state_.live.parts;
    state_.drums.Modified = 1;
    d.ThruChannel = item;
    d.PartChannels[0] = item;
    controls.ThruBox = item;
    // Every reopen of the devices reads the configuration: it must find this channel there.
    common::WriteConfig(wide_, state_.live.parts.ThruChannel);
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

}  // namespace accompaniment
