#include "drums/transport.h"

#include <algorithm>

namespace drums {

Transport::Transport(DrumState& drums, TransportState& transport, common::EngineParams& params,
                     common::EngineLink& engine, common::MidiDevices& devices, DrumOps& ops,
                     PlayingListener& playing)
    : drums_(drums),
      transport_(transport),
      params_(params),
      engine_(engine),
      devices_(devices),
      ops_(ops),
      playing_(playing) {}

void Transport::Start(HWND window) {
    ops_.ParkEngineCell();
    playing_.PlayStarting();
    if (restNoteButtons) restNoteButtons();
    devices_.OpenMidiOut();
    engine_.MidiPanic();
    if (resetBeatLights) resetBeatLights();
    transport_.DrumTabWindow = window;
    engine_.MessagePost(window);
    common::SendCommand(engine_, params_, common::CmdStart);
    playing_.PlayStarted();
}

void Transport::Stop() {
    playing_.PlayStopping();
    for (int i = 0; i < 3; ++i) ops_.StopAndPanic();
    engine_.MidiPanic();
    devices_.RestartMidiIn();
    // The output stays open: THRU keys, pans and program changes still reach it while stopped.
    // A device chosen meanwhile is taken here.
    devices_.ReopenMidiOut();
}

void Transport::SetTempo(int tempo) {
    tempo = std::clamp(tempo, 20, 250);
    drums_.TempoValue = tempo;
    params_.Tempo = tempo;
    common::SendParams(engine_, params_);
}

void Transport::SetBars(int position) {
    drums_.Bars = static_cast<std::int8_t>(std::clamp(position / 100, 1, 8));
    common::SendCommand(engine_, params_, static_cast<std::uint8_t>(drums_.Bars));
}

void Transport::ToggleMeter() {
    DrumState& d = drums_;
    d.MeterSign = static_cast<std::int8_t>(-d.MeterSign);
    d.WaltzMode = d.MeterSign > 0 ? 1 : 0;
    params_.Aux = d.MeterSign > 0 ? 0 : 1;
    common::SendCommand(engine_, params_, common::CmdMeter);
}

std::string Transport::ToggleQuantise() {
    std::int8_t& q = transport_.QuantiseState;
    q = static_cast<std::int8_t>(-q);
    common::SendCommand(engine_, params_, q > 0 ? common::CmdStrictTiming : common::CmdJitterTiming);
    return QuantiseCaption(q);
}

void Transport::SetDrumPan(int drum, int pan) {
    if (drum < 0 || drum >= kPanCount) return;
    pan = std::clamp(pan, 0, 127);
    drums_.DrumPans[static_cast<std::size_t>(drum)] = pan;
    common::EngineParams& p = params_;
    p.Aux = static_cast<std::uint8_t>(pan);
    p.Drum = static_cast<std::uint8_t>(drum);
    p.CellValue = CellByte(drums_.DrumPattern[p.Step][p.Drum]);
    common::SendCommand(engine_, p, common::CmdDrumPan);
}

}  // namespace drums
