#pragma once
// Chord recognition: from the pitch classes held (a snapshot of velocities by class) to a root
// and three adjustments that move written part notes (in C) onto the chord.

#include <array>
#include <cstdint>

namespace accompaniment {

// A part note whose pitch class equals cls is moved by semitones; cls -1 moves nothing.
struct AdjustPair {
    std::int8_t cls = 0;
    std::int8_t semitones = 0;
    bool operator==(const AdjustPair&) const = default;
};

struct ChordResult {
    std::int32_t root = 0;
    std::array<AdjustPair, 3> adjust{};  // A, B, C
    bool operator==(const ChordResult&) const = default;
};

// Tries every root 0..11 in order against the triad patterns (seventh = false: major, minor,
// augmented, diminished, each with the minor seventh free) or the seventh patterns (dominant,
// minor, half-diminished seventh). The first match replaces `chord`; no match leaves it.
// Returns whether a pattern matched.
bool RecogniseChord(const std::array<std::int32_t, 12>& snapshot, bool seventh, ChordResult& chord);

}  // namespace accompaniment
