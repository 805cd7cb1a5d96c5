// Chord recognition, the follower's steps and single-key commands.

#include "live_rig.h"

namespace livetest {
namespace {

using accompaniment::AdjustPair;
using accompaniment::ChordResult;

constexpr AdjustPair none{-1, 0};

std::array<std::int32_t, 12> classes(std::initializer_list<int> held) {
    std::array<std::int32_t, 12> s{};
    for (int c : held) s[static_cast<std::size_t>(c)] = 100;
    return s;
}

struct RecogniseCase {
    const char* name;
    std::initializer_list<int> held;
    bool seventh;
    bool matches;
    ChordResult expected;
};

TEST(RecogniseChord, PatternsRootsAndAdjustments) {
    const ChordResult before{5, {AdjustPair{1, 1}, AdjustPair{2, 2}, AdjustPair{3, 3}}};
    const RecogniseCase cases[] = {
        {"C major", {0, 4, 7}, false, true, {0, {none, none, none}}},
        {"G major", {7, 11, 2}, false, true, {7, {none, none, none}}},
        {"A minor", {9, 0, 4}, false, true, {9, {AdjustPair{4, -1}, none, none}}},
        {"C augmented", {0, 4, 8}, false, true, {0, {AdjustPair{7, 1}, none, none}}},
        {"B diminished", {11, 2, 5}, false, true, {11, {AdjustPair{4, -1}, none, AdjustPair{7, -1}}}},
        {"C7 blocks the C triad; E dim is found",
         {0, 4, 7, 10},
         false,
         true,
         {4, {AdjustPair{4, -1}, none, AdjustPair{7, -1}}}},
        {"C7 as a seventh", {0, 4, 7, 10}, true, true, {0, {none, AdjustPair{0, -2}, none}}},
        {"A minor seventh", {9, 0, 4, 7}, true, true, {9, {AdjustPair{4, -1}, AdjustPair{0, -2}, none}}},
        {"C6 as a triad is C major", {9, 0, 4, 7}, false, true, {0, {none, none, none}}},
        {"B half-diminished",
         {11, 2, 5, 9},
         true,
         true,
         {11, {AdjustPair{4, -1}, AdjustPair{0, -2}, AdjustPair{7, -1}}}},
        {"C major seventh: no seventh pattern", {0, 4, 7, 11}, true, false, before},
        {"two classes", {0, 7}, false, false, before},
        {"nothing held", {}, false, false, before},
    };
    for (const auto& c : cases) {
        ChordResult got = before;
        EXPECT_EQ(accompaniment::RecogniseChord(classes(c.held), c.seventh, got), c.matches) << c.name;
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(ChordFollower, ThirdKeyStartsPlayingAndTheNextStepTakesTheChord) {
    LiveRig r;
    r.press({48, 52});
    EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "start"), 0) << "two classes do not start";
    r.press({43});  // G, the third class
    EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "start"), 1);
    r.c.chord = {3, {AdjustPair{1, 1}, none, none}};
    r.steps(1, 1);
    EXPECT_EQ(r.c.chord, (ChordResult{0, {none, none, none}}));
    r.press({45});  // a fourth key while playing does not start again
    EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "start"), 1);
}

// After a stop the hand may still hold the chord: only a key going down starts playing again,
// never a key lifted, however many classes stay held.
TEST(ChordFollower, AfterAStopOnlyAKeyGoingDownStartsPlaying) {
    struct Case {
        const char* name;
        std::initializer_list<int> held;  // held while playing, then the stop
        int key;
        int velocity;
        bool starts;
    };
    const Case cases[] = {
        {"G7 held, F lifted: three classes remain", {43, 47, 50, 53}, 53, 0, false},
        {"G7 and A held, A lifted: four classes remain", {43, 47, 50, 53, 45}, 45, 0, false},
        {"G B D held, F goes down: four classes", {43, 47, 50}, 53, 100, true},
        {"C E G held, A goes down: four classes", {48, 52, 43}, 45, 100, true},
        {"G7 held, B struck again with a new velocity", {43, 47, 50, 53}, 47, 90, true},
    };
    for (const Case& c : cases) {
        LiveRig r;
        r.press(c.held);
        ASSERT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "start"), 1) << c.name;
        r.c.AccompanimentRunning = 0;  // the transport's stop
        accompaniment::PlayingStopped(r.c);
        r.host.calls.clear();
        r.key(0, c.key, c.velocity);
        EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "start"), c.starts ? 1 : 0) << c.name;
    }
}

TEST(ChordFollower, FourKeySeventhThenTriadPassOnTheSameSnapshot) {
    LiveRig r;
    r.press({48, 52, 43, 46});  // C E G A#
    r.steps(1, 1);
    EXPECT_EQ(r.c.chord, (ChordResult{0, {none, AdjustPair{0, -2}, none}})) << "C7 at the step of the change";
    r.steps(2, 1);
    EXPECT_EQ(r.c.chord, (ChordResult{4, {AdjustPair{4, -1}, none, AdjustPair{7, -1}}}))
        << "E dim afterwards";
    r.release({46});  // three remain: the triad is taken at the next step
    r.steps(3, 1);
    EXPECT_EQ(r.c.chord, (ChordResult{0, {none, none, none}}));
}

TEST(ChordFollower, ReleasesKeepTheChordAndTwoKeyChangesAreDropped) {
    LiveRig r;
    r.press({45, 48, 52});  // A minor
    r.steps(1, 1);
    r.release({45, 48, 52});
    r.press({50, 53});  // only two classes: a change that is dropped
    r.steps(2, 3);
    EXPECT_EQ(r.c.chord.root, 9);
}

TEST(ChordFollower, ARepeatedNoteOnOfAHeldKeyChangesTheChordOnlyWithANewVelocity) {
    struct Case {
        int velocity;
        int changed;
    };
    for (auto [velocity, changed] : {Case{100, 0}, Case{90, 1}}) {
        LiveRig r;
        r.press({48, 52, 43});
        r.steps(1, 1);
        r.key(0, 52, velocity);  // E again, without a release between
        EXPECT_EQ(r.c.ChordChanged, changed) << velocity;
        EXPECT_EQ(r.c.HeldKeys[4], velocity);
        EXPECT_EQ(r.input.heldKeys(), 3u);
        r.release({52});
        EXPECT_EQ(r.c.HeldKeys[4], 0) << "one release ends it";
    }
}

struct SingleKeyCase {
    int key;
    const char* effect;
};

TEST(ChordFollower, SingleKeyCommandsAtTheNinthStepAndEveryNineAfter) {
    for (auto [key, effect] :
         {SingleKeyCase{48, "hold"}, SingleKeyCase{50, "panic"}, SingleKeyCase{52, "end"}}) {
        LiveRig r;
        r.key(0, key, 100);
        r.steps(1, 8);
        EXPECT_EQ(r.c.ChordHoldMode + r.c.EndRequested, 0) << key;
        EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "panic"), 0);
        r.steps(9, 1);
        const std::string e = effect;
        if (e == "hold") {
            EXPECT_EQ(r.c.ChordHoldMode, 1);
        }
        if (e == "end") {
            EXPECT_EQ(r.c.EndRequested, 1);
        }
        if (e == "panic") {
            EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "panic"), 1);
            r.steps(10, 9);
            EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "panic"), 2)
                << "repeats nine steps on";
        }
    }
    // C# turns the hold off and ends the held voices.
    LiveRig r;
    r.c.ChordHoldMode = 1;
    r.hs.HeldChordNotes = {64, 67, 60, 52, 55, 48};
    r.key(0, 49, 100);
    r.host.sent.clear();
    r.steps(1, 9);
    EXPECT_EQ(r.c.ChordHoldMode, 0);
    int offs = 0;
    for (auto& m : r.host.sent)
        if (m[0] == 0x93 && m[2] == 0) ++offs;
    EXPECT_EQ(offs, 6);
}

struct EndCase {
    std::uint8_t waltz;
    int commandStep;  // the ninth step of the held E
    int stopStep;
};

TEST(ChordFollower, EndRequestStopsAtTheBarEnd) {
    for (auto c : {EndCase{0, 100, 128}, EndCase{1, 100, 120}, EndCase{0, 250, 0}}) {
        LiveRig r;
        r.waltz = c.waltz;
        r.c.AccompanimentRunning = 1;
        r.key(0, 52, 100);
        int step = c.commandStep - 8;
        r.steps(step, 9);
        ASSERT_EQ(r.c.EndRequested, 1);
        step = c.commandStep + 1;
        int stoppedAt = -1;
        for (int i = 0; i < 40 && stoppedAt < 0; ++i, step = (step + 1) % 256) {
            r.steps(step, 1);
            if (std::count(r.host.calls.begin(), r.host.calls.end(), "stop")) stoppedAt = step;
        }
        EXPECT_EQ(stoppedAt, c.stopStep) << int{c.waltz};
        EXPECT_EQ(r.c.AccompanimentRunning, 0);
        EXPECT_EQ(r.ps.Silenced, 1);
    }
}

TEST(ChordFollower, StartAndStopClearAPendingEnd) {
    LiveRig r;
    r.c.EndRequested = 1;
    r.c.SingleKeyCounter = 5;
    accompaniment::PlayingStarted(r.c, r.ps);
    EXPECT_EQ(r.c.EndRequested, 0);
    EXPECT_EQ(r.c.SingleKeyCounter, 0);
}

TEST(ChordFollower, ClassAboveElevenRecordsNothingButStillStarts) {
    LiveRig r;
    r.c.HeldKeys = {100, 0, 0, 0, 100, 0, 0, 100};
    r.follower.SetChordKey(12, 100);
    EXPECT_EQ(r.follower.CountHeldKeys(), 3);
    EXPECT_EQ(std::count(r.host.calls.begin(), r.host.calls.end(), "start"), 1);
}

}  // namespace
}  // namespace livetest
