#pragma once
// The command codes of the engine's parameter block.

#include <cstdint>

namespace engine {

enum EngineCommand : std::uint8_t {
    CmdNone = 0,
    // 1..8: loop over the first N bars
    CmdPan = 245,
    CmdStopPanic = 246,
    CmdCloseOut = 247,
    CmdOpenOut = 248,
    CmdStrictTiming = 249,
    CmdJitterTiming = 250,
    CmdStop = 251,
    CmdClearGrid = 252,
    CmdStart = 253,
    CmdDrumPan = 254,
    CmdMeter = 255,
};

inline constexpr int kGridSize = 300;    // cells per side of the engine's pattern copy
inline constexpr int kPanCount = 100;    // drums with a pan
inline constexpr int kPlayedDrums = 70;  // drums 0..69 are played (keys 27..96)

}  // namespace engine
