#pragma once
// The playing-position lights of the drum tab, the drum grid and the orchestra page, as plain
// values that the pages paint. Each step message repaints from the step number and the time
// signature; lights not named by a step keep their colour. User-interface thread only.

#include <array>
#include <cstdint>
#include <string>

namespace drums {

enum class Light : std::uint8_t { Green, Yellow, Blue };  // off, current, waltz's fourth beat

struct PositionLights {
    std::array<Light, 4> Beat{};       // BeatOne..BeatFour
    std::array<Light, 8> Tempo{};      // tempo1..tempo8 (after beat 1 of each bar row)
    std::array<Light, 8> TempoA{};     // tempo1a..tempo8a (after beat 3)
    std::array<Light, 32> DrumBeat{};  // the drum grid's DrumBeat1..DrumBeat32
    std::string GridWhichBar = "1";    // the drum grid's bar caption
    std::string OrchestraWhichBar = "0";
};

// All the lights for one played step (1..255, 0 for the 256th): grid, bar captions, beat, bar.
void ShowDrumPosition(PositionLights& lights, int step, std::int8_t meterSign, int gridBarOffset);
// The drum grid's lights; gridBarOffset = 32 x (bar shown - 1).
void ShowGridBeat(PositionLights& lights, int step, std::int8_t meterSign, int gridBarOffset);
// Both WhichBar captions := step div 32 + 1.
void ShowCurrentBar(PositionLights& lights, int step);
// The drum grid's lights as its repaint leaves them: all off, the last eight blue in waltz.
void RestGridLights(PositionLights& lights, std::int8_t meterSign);
// The four beat lights to rest: the fourth blue in waltz.
void ResetBeatLights(PositionLights& lights, std::int8_t meterSign);

}  // namespace drums
