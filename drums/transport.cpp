#include "drums/transport.h"

#include <algorithm>

namespace drums {

Transport::Transport(app::ProgramState& state, common::EngineLink& engine, common::MidiDevices& devices,
                     DrumOps& ops)
    : state_(state), engine_(engine), devices_(devices), ops_(ops) {}

void Transport::Start(HWND window) {
    ops_.ParkEngineCell();
    accompaniment::PlayingStarted(state_.live.chord, state_.live.players);
    if (restNoteButtons) restNoteButtons();
    devices_.OpenMidiOut();
    engine_.MidiPanic();
    if (resetBeatLights) resetBeatLights();
    state_.transport.DrumTabWindow = window;
    engine_.MessagePost(window);
    common::SendCommand(engine_, state_.Engine, common::CmdStart);
    state_.live.chord.AccompanimentRunning = 1;
}

void Transport::Stop() {
    state_.live.chord.AccompanimentRunning = 0;
    accompaniment::PlayingStopped(state_.live.chord);
    for (int i = 0; i < 3; ++i) ops_.StopAndPanic();
    engine_.MidiPanic();
    devices_.RestartMidiIn();
    // The output stays open: THRU keys, pans and program changes still reach it while stopped.
    // A device chosen meanwhile is taken here.
    devices_.ReopenMidiOut();
}

void Transport::SetTempo(int tempo) {
    tempo = std::clamp(tempo, 20, 250);
    state_.drums.TempoValue = tempo;
    state_.Engine.Tempo = tempo;
    common::SendParams(engine_, state_.Engine);
}

void Transport::SetBars(int position) {
    state_.drums.Bars = static_cast<std::int8_t>(std::clamp(position / 100, 1, 8));
    common::SendCommand(engine_, state_.Engine, static_cast<std::uint8_t>(state_.drums.Bars));
}

void Transport::ToggleMeter() {
    DrumState& d = state_.drums;
    d.MeterSign = static_cast<std::int8_t>(-d.MeterSign);
    d.WaltzMode = d.MeterSign > 0 ? 1 : 0;
    state_.Engine.Aux = d.MeterSign > 0 ? 0 : 1;
    common::SendCommand(engine_, state_.Engine, common::CmdMeter);
}

std::string Transport::ToggleQuantise() {
    std::int8_t& q = state_.transport.QuantiseState;
    q = static_cast<std::int8_t>(-q);
    common::SendCommand(engine_, state_.Engine, q > 0 ? common::CmdStrictTiming : common::CmdJitterTiming);
    return QuantiseCaption(q);
}

void Transport::SetDrumPan(int drum, int pan) {
    if (drum < 0 || drum >= kPanCount) return;
    pan = std::clamp(pan, 0, 127);
    state_.drums.DrumPans[static_cast<std::size_t>(drum)] = pan;
    common::EngineParams& p = state_.Engine;
    p.Aux = static_cast<std::uint8_t>(pan);
    p.Drum = static_cast<std::uint8_t>(drum);
    p.CellValue = CellByte(state_.drums.DrumPattern[p.Step][p.Drum]);
    common::SendCommand(engine_, p, common::CmdDrumPan);
}

}  // namespace drums
