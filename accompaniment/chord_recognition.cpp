#include "accompaniment/chord_recognition.h"

namespace accompaniment {

namespace {

constexpr AdjustPair kNone{-1, 0};

struct Pattern {
    std::array<int, 4> held;  // intervals above the root; unused entries repeat the root
    bool seventhFree;         // the minor seventh above the root must not be held
    std::array<AdjustPair, 3> adjust;
};

const Pattern kTriads[] = {
    {{0, 4, 7, 0}, true, {kNone, kNone, kNone}},                          // major
    {{0, 3, 7, 0}, true, {AdjustPair{4, -1}, kNone, kNone}},              // minor
    {{0, 4, 8, 0}, true, {AdjustPair{7, 1}, kNone, kNone}},               // augmented
    {{0, 3, 6, 0}, true, {AdjustPair{4, -1}, kNone, AdjustPair{7, -1}}},  // diminished
};
const Pattern kSevenths[] = {
    {{0, 4, 7, 10}, false, {kNone, AdjustPair{0, -2}, kNone}},                          // dominant
    {{0, 3, 7, 10}, false, {AdjustPair{4, -1}, AdjustPair{0, -2}, kNone}},              // minor
    {{0, 3, 6, 10}, false, {AdjustPair{4, -1}, AdjustPair{0, -2}, AdjustPair{7, -1}}},  // half-diminished
};

}  // namespace

bool RecogniseChord(const std::array<std::int32_t, 12>& snapshot, bool seventh, ChordResult& chord) {
    // Flags doubled over two octaves so that root + interval never wraps.
    std::array<bool, 24> flags{};
    for (int c = 0; c < 12; ++c)
        flags[static_cast<std::size_t>(c)] = flags[static_cast<std::size_t>(c + 12)] =
            snapshot[static_cast<std::size_t>(c)] > 0;
    for (int r = 0; r < 12; ++r) {
        const auto held = [&](int i) { return flags[static_cast<std::size_t>(r + i)]; };
        const Pattern* begin = seventh ? std::begin(kSevenths) : std::begin(kTriads);
        const Pattern* end = seventh ? std::end(kSevenths) : std::end(kTriads);
        for (const Pattern* p = begin; p != end; ++p) {
            bool match = !(p->seventhFree && held(10));
            for (int i : p->held) match = match && held(i);
            if (match) {
                chord.root = r;
                chord.adjust = p->adjust;
                return true;
            }
        }
    }
    return false;
}

}  // namespace accompaniment
