#pragma once
// The drum pattern of the arrangement and the arrangement-wide flags that every editor of the
// pattern shares, with the transport's own settings. Plain data; user-interface thread only.

#include <array>
#include <cstdint>

#include "drums/bar_clipboard.h"

struct HWND__;
using HWND = HWND__*;

namespace drums {

inline constexpr int kPatternSize = 300;  // rows (steps) and columns (drums) of DrumPattern
inline constexpr int kPanCount = 100;
inline constexpr int kSteps = 256;         // steps 1..255 and then 0
inline constexpr int kEditableDrums = 70;  // drums 0..69 are edited, saved and played
inline constexpr int kInitialEditDrum = 35;

struct DrumState {
    // [step][drum]: velocity 1..127 of a hit, 0 none. Step 0 is the 256th step of the loop.
    std::array<std::array<std::int32_t, kPatternSize>, kPatternSize> DrumPattern{};
    std::array<std::int32_t, kPanCount> DrumPans{};  // 0..127, 64 the centre
    std::uint8_t Modified = 0;
    std::uint8_t EditEnabled = 1;  // 0 while an editor repaints by replaying its cell handlers
    std::int32_t EditStep = 0;
    std::int32_t EditDrum = kInitialEditDrum;
    std::int32_t CopyDrum = kInitialEditDrum;  // the drum tab's bar clipboard drum
    std::int8_t Bars = 8;                      // 1..8
    std::int8_t MeterSign = -1;                // -1 four time, +1 waltz; only ever negated
    std::uint8_t WaltzMode = 0;                // 1 while MeterSign is +1
    std::int32_t TempoValue = 0;               // 0 until the first tempo change
    // The drum tab's bar clipboard, and EditStep, EditDrum and Bars at its last CLEAR. Neither
    // NEW nor opening an arrangement touches them.
    BarClipboard Clipboard;
    std::array<std::int32_t, 3> UndoCell{};

    DrumState() { DrumPans.fill(64); }
};

struct TransportState {
    std::int8_t QuantiseState = +1;  // +1 strict timing, -1 loose
    HWND DrumTabWindow = nullptr;    // receives the engine's step messages
};

// The drum grid's view onto the pattern.
struct DrumGridState {
    std::array<std::int32_t, 12> GridRowDrum{};  // the drum of each grid row; only a rebuild writes it
    std::int32_t GridBarOffset = 0;              // 32 x (bar shown - 1), 0..224
};

}  // namespace drums
