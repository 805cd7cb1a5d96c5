// The part players: sounding notes, the message sequence of a step, the THRU clash.

#include "live_rig.h"

namespace livetest {
namespace {

using accompaniment::AdjustPair;
using accompaniment::ChordResult;
constexpr AdjustPair none{-1, 0};

struct SoundCase {
    int part, written, octaveItem;
    ChordResult chord;
    int expected;
};

TEST(PartPlayers, SoundingNotes) {
    const ChordResult cMajor{0, {none, none, none}};
    const ChordResult gMajor{7, {none, none, none}};
    const ChordResult aMinor{9, {AdjustPair{4, -1}, none, none}};
    const ChordResult aMajor{9, {none, none, none}};
    const ChordResult c7{0, {none, AdjustPair{0, -2}, none}};
    const SoundCase
        cases[] =
            {
                {0, 60, 3, cMajor, 48},   {0, 60, 3, gMajor, 55}, {1, 64, 2, aMinor, 72},
                {1, 64, 2, aMajor, 73},   {3, 48, 2, c7, 46},     {3, 52, 2, c7, 52},
                {0, 120, 0, gMajor, 127},  // 120 + 24 + 7 = 151, folded down by two octaves
                {2, 1, 4, cMajor, 1},      // 1 - 24 = -23, folded up by two octaves
            };
    for (const auto& c : cases) {
        LiveRig r;
        accompaniment::SetPartOctave(r.d, c.part, c.octaveItem);
        r.c.chord = c.chord;
        EXPECT_EQ(r.players.SoundingNote(c.part, c.written), c.expected) << c.part << " " << c.written;
    }
}

TEST(PartPlayers, StepSequenceReleaseProgramNoteTimer) {
    LiveRig r;
    r.d.PartSteps[0][1] = {60, 90, 100};
    r.d.PartSteps[0][2] = {64, 80, 0};
    r.d.PartSteps[2][2] = {67, 70, 300};
    r.players.PlayStep(1);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0x90, 0, 0}, {0xC0, 0, 0}, {0x90, 60, 90}}));
    EXPECT_EQ(r.host.armed, (std::map<int, int>{{0, 100}}));
    r.host.sent.clear();
    r.players.PlayStep(2);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0x90, 60, 0},
                                               {0xC0, 0, 0},
                                               {0x90, 64, 80},  // piano
                                               {0x91, 0, 0},
                                               {0xC1, 61, 0},
                                               {0x91, 67, 70}}));  // brass
    EXPECT_EQ(r.host.armed, (std::map<int, int>{{2, 300}})) << "a duration of 0 arms no release";
    r.host.sent.clear();
    r.players.PartTimerFired(2);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0xC1, 61, 0}, {0x91, 67, 0}}));
    r.host.sent.clear();
    r.players.PlayStep(3);
    EXPECT_TRUE(r.host.sent.empty()) << "a step of rests sends nothing";
}

TEST(PartPlayers, SilencedStillReleasesAndSendsProgram) {
    LiveRig r;
    r.d.PartSteps[3][5] = {48, 100, 100};
    r.ps.LastPartNote[3] = 40;
    r.ps.lastChannel[3] = 4;
    r.players.Silence();
    r.players.PlayStep(5);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0x94, 40, 0}, {0xC4, 33, 0}, {0x94, 48, 0}}));
}

TEST(PartPlayers, BlankProgramSendsNoProgramChange) {
    LiveRig r;
    r.d.PartPrograms[1] = 0;
    r.d.PartSteps[0][1] = {60, 90, 100};
    r.players.PlayStep(1);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0x90, 0, 0}, {0x90, 60, 90}}));
}

TEST(PartPlayers, ThruClashStopsAndShowsTheBoxOnce) {
    LiveRig r;
    r.d.ThruChannel = 2;  // the strings' channel
    r.d.PartSteps[0][1] = {60, 90, 100};
    r.players.PlayStep(1);
    r.players.PlayStep(2);  // a step already on its way
    EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(),
                         std::string("box ") + accompaniment::kThruClashText),
              1);
    for (auto& m : r.host.sent) EXPECT_NE(m[0], 0x90) << "no note of the step is sent";
    accompaniment::PlayingStarted(r.c, r.ps);
    r.players.PlayStep(3);
    EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(),
                         std::string("box ") + accompaniment::kThruClashText),
              2)
        << "a restart with the clash still there shows it again";
}

TEST(PartData, NewArrangementDefaultsAndGrid) {
    LiveRig r;
    r.d.CurrentPart = 4;
    r.d.GridNotes[0] = 50;
    r.d.GridVelocities[0] = 70;
    r.d.GridDurations[0] = 200;
    accompaniment::CommitGridToPart(r.d, false);
    EXPECT_EQ(r.d.PartSteps[3][0], (accompaniment::PartStep{50, 70, 200})) << "grid index 0 is step 0";
    accompaniment::CommitGridToPart(r.d, true);  // loading: nothing
    r.d.CurrentPart = 5;
    r.d.GridNotes[0] = 1;
    accompaniment::CommitGridToPart(r.d, false);
    EXPECT_EQ(r.d.PartSteps[3][0].note, 50);

    EXPECT_EQ(r.d.PartPrograms, (std::array<std::int32_t, 5>{0, 1, 49, 62, 34}));
    EXPECT_EQ(r.d.PartChannels[1], 0);
    EXPECT_EQ(r.d.PartChannels[2], 2);
    EXPECT_EQ(r.d.PartChannels[3], 1);
    EXPECT_EQ(r.d.PartChannels[4], 4);
    accompaniment::SetThruOctave(r.d, 1);
    accompaniment::SetThruOctave(r.d, 3);
    EXPECT_EQ(r.d.ThruTranspose, 12);
    EXPECT_EQ(accompaniment::OctaveOffsetToIndex(-12), 3);
    EXPECT_EQ(accompaniment::OctaveOffsetToIndex(7), 0);
}

}  // namespace
}  // namespace livetest
