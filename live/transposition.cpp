#include "live/transposition.h"

namespace live {

namespace {
int mod12(std::int64_t v) {
    return static_cast<int>(((v % 12) + 12) % 12);
}
bool chordTone(std::int64_t v) {
    const int r = mod12(v);
    return r == 0 || r == 4 || r == 7;
}
}  // namespace

bool TransposeParts(accompaniment::PartData& d, TranspositionState& t, std::int32_t n) {
    for (auto& table : d.PartSteps)
        for (std::size_t s = 0; s < accompaniment::kSteps; ++s) {
            const std::int32_t note = table[s].note;
            const std::int64_t moved = std::int64_t{note} + n;
            if (note != 0 && (moved < 1 || moved > 127)) return false;
        }
    for (std::size_t s = 0; s < accompaniment::kSteps; ++s)
        if (const std::int64_t moved = std::int64_t{d.GridNotes[s]} + n;
            d.GridNotes[s] != 0 && (moved < 1 || moved > 127))
            return false;
    t.ToneCounts.fill(0);
    for (std::size_t s = 0; s < accompaniment::kSteps; ++s) {
        for (std::size_t p = 0; p < accompaniment::kParts; ++p) {
            auto& note = d.PartSteps[p][s].note;
            if (note != 0) note += n;
            if (chordTone(note)) ++t.ToneCounts[p];
        }
        if (d.GridNotes[s] != 0) d.GridNotes[s] += n;
    }
    return true;
}

std::int32_t FoldForMove(std::int32_t note, std::int32_t move) {
    if (note == 0) return 0;
    const std::int64_t target = std::int64_t{note} + move;
    std::int64_t folded = target;
    if (folded > 127) folded -= 12 * ((folded - 127 + 11) / 12);
    if (folded < 1) folded += 12 * ((1 - folded + 11) / 12);
    return static_cast<std::int32_t>(folded - move);
}

std::int32_t SnapToChordTone(std::int32_t note) {
    if (note == 0) return 0;
    std::int32_t v = note;
    while (!chordTone(v)) {
        const int r = mod12(v);
        v += (r == 9 || r == 10 || r == 11) ? 1 : -1;
    }
    if (v <= 0) {  // never snap a note into a rest
        v = note;
        while (!chordTone(v) || v <= 0) ++v;
    }
    return v;
}

void NormaliseToC(accompaniment::PartData& d, TranspositionState& t, bool manualImport) {
    if (manualImport) return;
    // Score every trial move without moving anything (a trial might leave the MIDI range).
    for (int i = 0; i < 12; ++i) {
        std::int32_t score = 0;
        for (const auto& table : d.PartSteps)
            for (std::size_t s = 0; s < accompaniment::kSteps; ++s) {
                const std::int32_t note = table[s].note;
                if (note == 0 || chordTone(std::int64_t{note} + i)) ++score;
            }
        t.KeyScores[static_cast<std::size_t>(i)] = score;
    }
    int best = 0;
    std::int32_t top = 0;
    for (int i = 0; i < 12; ++i)
        if (t.KeyScores[static_cast<std::size_t>(i)] > top) {
            top = t.KeyScores[static_cast<std::size_t>(i)];
            best = i;
        }
    const std::int32_t move = best > 6 ? best - 12 : best;
    if (!TransposeParts(d, t, move)) {
        // Notes the move would take out of range go by octaves into range first, as the
        // players fold them; their pitch classes, and so the key, stay. Never snap notes that
        // did not move.
        for (auto& table : d.PartSteps)
            for (std::size_t s = 0; s < accompaniment::kSteps; ++s)
                table[s].note = FoldForMove(table[s].note, move);
        for (std::size_t s = 0; s < accompaniment::kSteps; ++s)
            d.GridNotes[s] = FoldForMove(d.GridNotes[s], move);
        if (!TransposeParts(d, t, move)) return;
    }
    for (auto& table : d.PartSteps)
        for (std::size_t s = 0; s < accompaniment::kSteps; ++s)
            table[s].note = SnapToChordTone(table[s].note);
}

}  // namespace live
