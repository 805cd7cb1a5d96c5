#pragma once
// The arrangement file (".QTR"): the drum pattern with its pans, time signature, bars and tempo,
// then the four accompaniment parts with their settings. One byte per field, four sections with
// no header:
//   1. drum cells: (step, drum 0..69, velocity) per set cell, ended by 0x00 0xFF;
//   2. drum pans: (drum, pan) per pan other than 64, ended by 0xFE;
//   3. meter sign (signed), bars, tempo;
//   4. 3095 bytes of accompaniment: THRU octave, four part octave offsets, the reserved byte,
//      split point, THRU program, 256 steps x 4 parts x (note, velocity, duration) and five
//      voices x (program, channel, pan).
// Section 4 holds only the low byte of each duration, so a duration trailer follows it: a
// four-byte marker, then the 1024 durations as 32-bit little-endian values in the order of
// section 4. Readers that stop after section 4 ignore it; files without it read as before.
//
// Reading parses a whole file into a staged copy and validates it before anything of the
// program changes, so a damaged file is refused with memory and engine untouched.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/engine_link.h"
#include "program/program_state.h"

namespace app {

inline constexpr std::size_t kAccompanimentBytes = 3095;
inline constexpr std::size_t kEmptyArrangementBytes = 3 + 3 + kAccompanimentBytes;  // 3101
inline constexpr std::array<std::uint8_t, 4> kDurationTrailerMarker = {'Q', 'D', 'U', 'R'};
inline constexpr std::size_t kDurationTrailerBytes = kDurationTrailerMarker.size() + 4 * 1024;
// Larger files are not read at all; ours stay far below (about 60 KiB at most).
inline constexpr std::uintmax_t kLargestArrangementFile = 16u * 1024u * 1024u;

// What a file holds, after validation.
struct StagedArrangement {
    struct Cell {
        std::uint8_t step, drum, velocity;
        bool operator==(const Cell&) const = default;
    };
    struct Pan {
        std::uint8_t drum, pan;
        bool operator==(const Pan&) const = default;
    };
    std::vector<Cell> cells;  // in file order
    std::vector<Pan> pans;
    std::int8_t MeterSign = -1;
    std::int8_t Bars = 8;
    std::int32_t Tempo = 120;
    int LastDrum = 0;  // the drum tab to show: the drum of the last cell, 0 when none or above 60

    bool hasParts = false;  // section 4 was read
    std::int32_t ThruOctave = 0;
    std::array<std::int32_t, 4> PartOctaveOffsets{};
    std::uint8_t Reserved = 0;
    std::int32_t SplitPoint = 54;
    std::int8_t ThruProgram = 0;
    std::array<std::array<accompaniment::PartStep, accompaniment::kSteps>, accompaniment::kParts> PartSteps{};
    std::array<std::int32_t, accompaniment::kVoices> PartPrograms{};
    std::array<std::int32_t, accompaniment::kVoices> PartChannels{};
    std::array<std::int32_t, accompaniment::kVoices> PartPans{};
};

// The file for the arrangement in `state`. `barsPosition` is the drum tab's bar slider (100..800).
std::vector<std::uint8_t> EncodeArrangement(const ProgramState& state, int barsPosition);
// Its drum sections alone: the cells, the pans, and the meter, bars and tempo.
std::vector<std::uint8_t> EncodeDrumSections(const ProgramState& state, int barsPosition);

// Parses and validates a whole file. Empty when the file ends inside section 3, or inside
// section 4 when `withParts` (a merge takes only the drums, so it never looks past section 3).
std::optional<StagedArrangement> ParseArrangement(std::span<const std::uint8_t> bytes, bool withParts);

// Stores a staged arrangement into the program-wide state over a pattern already emptied, and
// hands every cell, pan and the tempo to the engine under the cell-field rule. Section 4 is taken
// when the staged copy has it and no merge runs.
void ApplyArrangement(const StagedArrangement& staged, ProgramState& state, common::EngineLink& engine);

// The whole file at `path`; empty when it does not open or cannot be read, at once when it is
// not a regular file (a folder, a FIFO, a device). `tooLarge` is set
// for a file beyond kLargestArrangementFile (then nothing is read).
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, bool& tooLarge);

}  // namespace app
