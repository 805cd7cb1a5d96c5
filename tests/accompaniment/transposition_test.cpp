// Moving parts by semitones and into C.

#include "live/transposition.h"
#include "live_rig.h"

namespace livetest {
namespace {

void fill(accompaniment::PartData& d, std::initializer_list<int> notes) {
    int s = 1;
    for (int p = 0; p < 4; ++p)
        for (int n : notes) d.PartSteps[static_cast<std::size_t>(p)][static_cast<std::size_t>(s++)].note = n;
}

TEST(Transposition, MovesCountsAndRefusesLeavingTheRange) {
    accompaniment::PartData d;
    live::TranspositionState t;
    d.PartSteps[0][7].note = 59;
    d.GridNotes[7] = 59;
    ASSERT_TRUE(live::TransposeParts(d, t, 1));
    EXPECT_EQ(d.PartSteps[0][7].note, 60);
    EXPECT_EQ(d.GridNotes[7], 60);
    EXPECT_EQ(d.GridNotes[8], 0) << "empty grid cells stay empty";
    EXPECT_EQ(t.ToneCounts[0], 256) << "the C and 255 rests";
    EXPECT_EQ(t.ToneCounts[1], 256);
    d.PartSteps[1][3].note = 127;
    EXPECT_FALSE(live::TransposeParts(d, t, 1));
    EXPECT_EQ(d.PartSteps[0][7].note, 60) << "a refused move moves nothing";
    d.PartSteps[1][3].note = 1;
    EXPECT_FALSE(live::TransposeParts(d, t, -1));
}

struct NormaliseCase {
    const char* name;
    std::initializer_list<int> notes;
    std::vector<int> expected;
};

TEST(Transposition, SnapOntoCEG) {
    const std::pair<int, int> cases[] = {{60, 60}, {61, 60}, {62, 60}, {63, 60}, {64, 64}, {65, 64},
                                         {66, 64}, {67, 67}, {68, 67}, {69, 72}, {70, 72}, {71, 72},
                                         {0, 0},   {1, 4},   {2, 4},   {3, 4}};  // never down into a rest
    for (auto [note, snapped] : cases) EXPECT_EQ(live::SnapToChordTone(note), snapped) << note;
}

TEST(Transposition, NormaliseToC) {
    const NormaliseCase cases[] = {
        {"G major moves up 5", {55, 59, 62}, {60, 64, 67}},
        {"D major moves down 2", {62, 66, 69}, {60, 64, 67}},
        // The move is refused for a note it would take out of range: that note goes an octave
        // into range first, and nothing is snapped where it stood.
        {"a top G goes an octave down, then up 5", {55, 59, 62, 127}, {60, 64, 67, 120}},
        {"a low C# goes an octave up, then down 2", {62, 66, 69, 1}, {60, 64, 67, 12}},
    };
    for (const auto& c : cases) {
        accompaniment::PartData d;
        live::TranspositionState t;
        fill(d, c.notes);
        live::NormaliseToC(d, t, false);
        std::vector<int> got;
        for (std::size_t s = 1; s <= c.notes.size(); ++s) got.push_back(d.PartSteps[0][s].note);
        EXPECT_EQ(got, c.expected) << c.name;
    }
    {
        accompaniment::PartData d;
        live::TranspositionState t;
        fill(d, {55, 59, 62});
        d.GridNotes[5] = 127;  // the edit grid folds and moves with the parts
        live::NormaliseToC(d, t, false);
        EXPECT_EQ(d.GridNotes[5], 120);
        EXPECT_EQ(d.PartSteps[0][1].note, 60);
    }
    accompaniment::PartData d;
    live::TranspositionState t;
    fill(d, {62, 66});
    auto before = d.PartSteps;
    live::NormaliseToC(d, t, true);
    EXPECT_EQ(d.PartSteps, before) << "a manual import is left as it is";
    accompaniment::PartData empty;
    live::NormaliseToC(empty, t, false);
    EXPECT_EQ(t.KeyScores[0], 1024) << "all rests score equally";
}

}  // namespace
}  // namespace livetest
