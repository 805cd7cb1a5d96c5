#pragma once
// Moving the parts by semitones, and moving imported parts into C. User-interface thread.

#include <array>
#include <cstdint>

#include "accompaniment/part_data.h"

namespace live {

struct TranspositionState {
    std::array<std::int32_t, 4> ToneCounts{};  // by part: notes on C, E or G (rests count as C)
    std::array<std::int32_t, 12> KeyScores{};
};

// Moves every part note and grid note by n semitones and counts the C/E/G tones. Refuses
// (returns false, nothing moved) a move that would take a note outside 1..127.
bool TransposeParts(accompaniment::PartData& d, TranspositionState& t, std::int32_t n);

// A note (not a rest) moved by octaves so that note + move lies in 1..127.
std::int32_t FoldForMove(std::int32_t note, std::int32_t move);

// Moves imported parts into the key with the most C, E and G tones (-5..+6 semitones), then
// snaps every part note onto C, E or G. Notes the move would take out of range are first
// folded by octaves into range. Does nothing when manualImport is set.
void NormaliseToC(accompaniment::PartData& d, TranspositionState& t, bool manualImport);

// The C, E or G a note snaps to: C#, D, D# down to C; F, F# to E; G# to G; A, A#, B up to C.
// A note that would reach 0 goes up to the next C, E or G instead.
std::int32_t SnapToChordTone(std::int32_t note);

}  // namespace live
