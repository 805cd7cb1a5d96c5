#include "drums/position_lights.h"

namespace drums {

namespace {
bool waltz(std::int8_t meterSign) {
    return meterSign > 0;
}
}  // namespace

void ShowGridBeat(PositionLights& l, int step, std::int8_t meterSign, int gridBarOffset) {
    // Put out what the previous bar left lit when the position leaves the bar shown.
    if (!waltz(meterSign)) {
        l.DrumBeat[30] = Light::Green;
        l.DrumBeat[31] = Light::Green;
    }
    l.DrumBeat[23] = Light::Green;
    // Step 0 is the 256th step: the last light of bar 8.
    if (step == 0) step = 256;
    if (step <= gridBarOffset) return;
    const int k = step - gridBarOffset;
    if (waltz(meterSign) && k > 24) return;
    if (k > 32) return;
    l.DrumBeat[static_cast<std::size_t>(k - 1)] = Light::Yellow;
    if (k > 1)
        l.DrumBeat[static_cast<std::size_t>(k - 2)] = Light::Green;
    else if (!waltz(meterSign))
        l.DrumBeat[31] = Light::Green;
}

void ShowCurrentBar(PositionLights& l, int step) {
    const std::string bar = std::to_string(step / 32 + 1);
    l.GridWhichBar = bar;
    l.OrchestraWhichBar = bar;
}

void ShowDrumPosition(PositionLights& l, int step, std::int8_t meterSign, int gridBarOffset) {
    ShowGridBeat(l, step, meterSign, gridBarOffset);
    ShowCurrentBar(l, step);
    // The beat and bar move on at the last step of a beat or bar (step 8 lights beat two).
    switch ((step / 8) % 4) {
        case 0:
            l.Beat[2] = Light::Green;
            l.Beat[0] = Light::Yellow;
            l.Beat[3] = waltz(meterSign) ? Light::Blue : Light::Green;
            break;
        case 1:
            l.Beat[0] = Light::Green;
            l.Beat[1] = Light::Yellow;
            break;
        case 2:
            l.Beat[1] = Light::Green;
            l.Beat[2] = Light::Yellow;
            break;
        case 3:
            if (!waltz(meterSign)) {
                l.Beat[2] = Light::Green;
                l.Beat[3] = Light::Yellow;
            }
            break;
        default:
            break;  // a negative step changes no beat light
    }
    l.Tempo.fill(Light::Green);
    l.TempoA.fill(Light::Green);
    const int bar = step / 32 + 1;
    if (bar >= 1 && bar <= 8) {
        l.Tempo[static_cast<std::size_t>(bar - 1)] = Light::Yellow;
        l.TempoA[static_cast<std::size_t>(bar - 1)] = Light::Yellow;
    }
}

void RestGridLights(PositionLights& l, std::int8_t meterSign) {
    for (std::size_t i = 0; i < l.DrumBeat.size(); ++i)
        l.DrumBeat[i] = waltz(meterSign) && i >= 24 ? Light::Blue : Light::Green;
}

void ResetBeatLights(PositionLights& l, std::int8_t meterSign) {
    l.Beat[0] = l.Beat[1] = l.Beat[2] = Light::Green;
    l.Beat[3] = waltz(meterSign) ? Light::Blue : Light::Green;
}

}  // namespace drums
