#pragma once
// The program's road to the output engine: the parameter block it passes whole on every call,
// and the five engine calls behind one small interface. The product's link calls the engine
// library's exports; tests put a fresh engine behind it.
//
// Thread: user-interface thread only.

#include <cstdint>

#include "engine/engine_commands.h"

struct HWND__;
using HWND = HWND__*;

namespace common {

// The eleven values passed, in this order, on every Params call.
struct EngineParams {
    std::uint8_t Channel = 0;
    std::uint8_t DrumChannel = 9;  // MIDI channel 10
    std::uint8_t CellValue = 0;
    std::uint8_t MidiInDevice = 0;
    std::int8_t MidiOutDevice = -1;  // -1: the built-in synth (the "MIDI mapper")
    std::uint8_t Aux = 0;
    std::int32_t Tempo = 120;
    std::uint8_t Spare = 0;
    std::uint8_t Step = 0;
    std::uint8_t Drum = 0;
    std::uint8_t Command = 0;  // 0 except during the one call of the sender that set it
};

// Command codes of EngineParams::Command (1..8: play the first N bars), as the engine defines them.
using engine::CmdClearGrid;
using engine::CmdCloseOut;
using engine::CmdDrumPan;
using engine::CmdJitterTiming;
using engine::CmdMeter;
using engine::CmdNone;
using engine::CmdOpenOut;
using engine::CmdPan;
using engine::CmdStart;
using engine::CmdStop;
using engine::CmdStopPanic;
using engine::CmdStrictTiming;

class EngineLink {
  public:
    virtual ~EngineLink() = default;
    virtual void Params(const EngineParams& p) = 0;
    // Sends (first + 0x80, data1, data2); 0 when sent.
    virtual int ShortMidiMsg(int first, int data1, int data2) = 0;
    virtual void MidiPanic() = 0;
    virtual int MidiOutTest() = 0;
    virtual int MessagePost(HWND window) = 0;
};

// A call with the block as it stands (Command normally 0: the engine only stores).
inline void SendParams(EngineLink& link, const EngineParams& p) {
    link.Params(p);
}

// The command window: Command is set for exactly one call and put back to 0.
inline void SendCommand(EngineLink& link, EngineParams& p, std::uint8_t command) {
    p.Command = command;
    link.Params(p);
    p.Command = CmdNone;
}

}  // namespace common
