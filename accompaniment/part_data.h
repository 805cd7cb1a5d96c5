#pragma once
// The accompaniment's data: the four part step tables, the per-voice settings, the THRU voice,
// the split point and the orchestra page's edit grid. One instance per program, user-interface
// thread only.
//
// Voice index v: 0 = THRU, 1 = piano, 2 = strings, 3 = brass, 4 = bass.
// Part index p: 0 = piano ... 3 = bass (voice p + 1).

#include <array>
#include <cstdint>

namespace accompaniment {

inline constexpr int kParts = 4;
inline constexpr int kVoices = 5;
inline constexpr int kTableSize = 260;  // entries 0..255 are steps; 256..259 are never used
inline constexpr int kSteps = 256;

struct PartStep {
    std::int32_t note = 0;  // 0 = rest; otherwise a key written in C
    std::int32_t velocity = 0;
    std::int32_t duration = 0;  // milliseconds until the release
    bool operator==(const PartStep&) const = default;
};

struct PartData {
    std::array<std::array<PartStep, kTableSize>, kParts> PartSteps{};
    std::array<std::int32_t, kVoices> PartPrograms{};  // program + 1; 0 = the blank item
    std::array<std::int32_t, kVoices> PartChannels{};
    // The centre, where the pan bars start.
    std::array<std::int32_t, kVoices> PartPans{64, 64, 64, 64, 64};
    std::array<std::int32_t, kVoices> PartOctaveOffsets{};  // by part; the fifth entry stays 0
    std::int32_t ThruChannel = 3;
    std::int32_t ThruOctave = 0;
    std::int32_t ThruTranspose = 0;
    std::int8_t ThruProgram = 0;
    std::int32_t SplitPoint = 54;
    std::int32_t CurrentPart = 1;
    std::array<std::int32_t, kTableSize> GridNotes{};
    std::array<std::int32_t, kTableSize> GridVelocities{};
    std::array<std::int32_t, kTableSize> GridDurations{};
};

// The default programs of a new arrangement (program + 1): none, Grand Piano, Strings,
// Brass Section, Fingered Bass; and the default channels of the four parts.
inline constexpr std::array<std::int32_t, kVoices> kDefaultPrograms = {0, 1, 49, 62, 34};
inline constexpr std::array<std::int32_t, kParts> kDefaultPartChannels = {0, 2, 1, 4};

// ThruTranspose from an octave -2..2; other values change nothing.
void SetThruOctave(PartData& d, std::int32_t octave);
// A part's octave offset from an octave box item 0..4 ("2", "1", "0", "-1", "-2").
void SetPartOctave(PartData& d, int part, std::int32_t item);
// The octave box item of an offset; unknown offsets give 0.
std::int32_t OctaveOffsetToIndex(std::int8_t offset);
// Copies the edit grid into the current part's table (nothing while an arrangement loads or
// when CurrentPart is outside 1..4).
void CommitGridToPart(PartData& d, bool loadingArrangement);
// The data half of the orchestra reset: octaves, programs, channels and grid notes.
// The caller sends the THRU program change and refreshes the page.
void ResetOrchestraData(PartData& d);
// Empties steps 0..255 of all four tables.
void ClearPartSteps(PartData& d);
// True when any part step or grid cell holds a note.
bool PartsHaveNotes(const PartData& d);

}  // namespace accompaniment
