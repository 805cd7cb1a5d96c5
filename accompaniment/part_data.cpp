#include "accompaniment/part_data.h"

namespace accompaniment {

void SetThruOctave(PartData& d, std::int32_t octave) {
    if (octave < -2 || octave > 2) return;
    d.ThruTranspose = 12 * octave;
}

void SetPartOctave(PartData& d, int part, std::int32_t item) {
    static constexpr std::int32_t kOffsets[5] = {24, 12, 0, -12, -24};
    if (part < 0 || part >= kParts || item < 0 || item > 4) return;
    d.PartOctaveOffsets[static_cast<std::size_t>(part)] = kOffsets[item];
}

std::int32_t OctaveOffsetToIndex(std::int8_t offset) {
    switch (offset) {
        case 24:
            return 0;
        case 12:
            return 1;
        case 0:
            return 2;
        case -12:
            return 3;
        case -24:
            return 4;
        default:
            return 0;
    }
}

void CommitGridToPart(PartData& d, bool loadingArrangement) {
    if (loadingArrangement || d.CurrentPart < 1 || d.CurrentPart > kParts) return;
    auto& table = d.PartSteps[static_cast<std::size_t>(d.CurrentPart - 1)];
    for (std::size_t i = 0; i < kSteps; ++i)
        table[i] = {d.GridNotes[i], d.GridVelocities[i], d.GridDurations[i]};
}

void ResetOrchestraData(PartData& d) {
    d.ThruTranspose = 0;
    d.PartOctaveOffsets.fill(0);
    d.PartPrograms = kDefaultPrograms;
    for (std::size_t p = 0; p < kParts; ++p) d.PartChannels[p + 1] = kDefaultPartChannels[p];
    for (std::size_t i = 0; i < kSteps; ++i) d.GridNotes[i] = 0;
    d.ThruOctave = 0;
}

void ClearPartSteps(PartData& d) {
    for (auto& table : d.PartSteps)
        for (std::size_t i = 0; i < kSteps; ++i) table[i] = {};
}

bool PartsHaveNotes(const PartData& d) {
    for (const auto& table : d.PartSteps)
        for (std::size_t i = 0; i < kSteps; ++i)
            if (table[i].note != 0) return true;
    for (std::size_t i = 0; i < kSteps; ++i)
        if (d.GridNotes[i] != 0) return true;
    return false;
}

}  // namespace accompaniment
