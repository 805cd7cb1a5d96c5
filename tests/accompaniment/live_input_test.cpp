// Keyboard input routing, held-chord voicing, and the no-stuck-note rule.

#include <random>
#include <set>

#include "live_rig.h"

namespace livetest {
namespace {

struct RouteCase {
    const char* name;
    std::uint32_t packed;
    int thruTranspose;
    std::vector<Bytes> sent;
    int chordKeys;  // classes held afterwards
    bool shown;
};

TEST(MidiInput, RoutingTable) {
    const RouteCase cases[] = {
        {"THRU key, octave up", 0x643C93, 12, {{0xC3, 4, 0}, {0x93, 72, 100}}, 0, true},
        {"key below split on any channel", 0x643290, 0, {}, 1, true},
        {"key below split on the THRU channel", 0x643293, 0, {}, 1, true},
        {"key above split elsewhere: display only", 0x643C91, 0, {}, 0, true},
        {"drum channel key below split: THRU only when that is the THRU channel", 0x643299, 0, {}, 0, false},
        {"channel 11 key", 0x64329A, 0, {}, 0, false},
        {"controller on the THRU channel passes unchanged", 0x4007B3, 12, {{0xB3, 7, 64}}, 0, false},
        {"controller elsewhere is dropped", 0x4007B0, 0, {}, 0, false},
        {"key pressure elsewhere is dropped", 0x403CA0, 0, {}, 0, false},
        {"pitch bend keeps its channel", 0x4000E5, 0, {{0xE5, 0, 64}}, 0, false},
        {"channel pressure keeps its channel", 0x0030D2, 0, {{0xD2, 48, 0}}, 0, false},
        {"transposed out of range is not sent", 0x647893, 24, {{0xC3, 4, 0}}, 0, true},
    };
    for (const auto& c : cases) {
        LiveRig r;
        r.ms.ThruProgramIndex = 5;
        r.d.ThruTranspose = c.thruTranspose;
        r.input.HandleMidiInput(c.packed);
        EXPECT_EQ(r.host.sent, c.sent) << c.name;
        EXPECT_EQ(r.follower.CountHeldKeys(), c.chordKeys) << c.name;
        const bool shown = std::any_of(r.host.calls.begin(), r.host.calls.end(),
                                       [](const std::string& s) { return s.rfind("show", 0) == 0; });
        EXPECT_EQ(shown, c.shown) << c.name;
    }
}

TEST(MidiInput, ProgramChangeIsCapturedNotSentAndPrecedesThruKeys) {
    LiveRig r;
    r.key(3, 60, 100);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0x93, 60, 100}})) << "no program before one was received";
    r.host.sent.clear();
    r.input.HandleMidiInput(0x05C7);
    EXPECT_TRUE(r.host.sent.empty());
    EXPECT_EQ(r.d.ThruProgram, 5);
    EXPECT_EQ(r.ms.ThruProgramIndex, 6);
    EXPECT_EQ(r.host.calls.back(), "instrument 5");
    r.key(3, 62, 15);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0xC3, 5, 0}, {0x93, 62, 15}}));
    EXPECT_EQ(r.ms.ChordVelocity, 15) << "soft keys are not reduced";
}

TEST(MidiInput, ReleaseEndsWhatThePressStartedAfterSettingsChange) {
    LiveRig r;
    r.d.ThruTranspose = 12;
    r.key(3, 60, 100);        // THRU: 72 on channel 3
    r.key(0, 50, 100);        // chord key D
    r.d.ThruTranspose = -12;  // the octave changes,
    r.d.ThruChannel = 5;      // the THRU channel changes,
    r.d.SplitPoint = 48;      // and the split point moves above the chord key
    r.host.sent.clear();
    r.input.HandleMidiInput(0x403C83);  // note-off with a release velocity
    r.key(0, 50, 0);
    EXPECT_EQ(r.host.sent, (std::vector<Bytes>{{0x93, 72, 0}}));
    EXPECT_EQ(r.follower.CountHeldKeys(), 0) << "the chord key is released into the follower";
    EXPECT_EQ(r.input.heldKeys(), 0u);
}

struct VoiceCase {
    std::initializer_list<int> held;
    int thruKey;
    std::vector<int> voices;
};

TEST(HeldChord, VoicesBelowTheThruKey) {
    const VoiceCase cases[] = {
        {{48, 52, 43}, 72, {64, 67, 60}},
        {{48, 52, 43}, 65, {64, 55, 53}},
        {{48, 52, 43, 46}, 72, {64, 67, 70}},
        {{48, 52, 43}, 64, {64, 55, 52}},  // a voice of the key's own class sounds the key itself
    };
    for (const auto& c : cases) {
        LiveRig r;
        r.c.ChordHoldMode = 1;
        for (int n : c.held) r.key(0, n, 100);
        r.steps(1, 1);  // the chord is taken (re-voiced with no THRU key held: nothing sounds)
        r.host.sent.clear();
        r.key(3, c.thruKey, 100);
        ASSERT_FALSE(r.host.sent.empty());
        EXPECT_EQ(r.host.sent.front(), (Bytes{0x93, c.thruKey, 100}));
        std::vector<int> voices;
        for (std::size_t i = 1; i < r.host.sent.size(); ++i) {
            EXPECT_EQ(r.host.sent[i][0], 0x93);
            EXPECT_EQ(r.host.sent[i][2], 80) << "voices at the key's velocity less 20";
            voices.push_back(r.host.sent[i][1]);
        }
        EXPECT_EQ(voices, c.voices) << c.thruKey;
    }
}

// Replays what was sent: note-ons with velocity, their releases, and the panic's everything-off.
std::set<std::pair<int, int>> sounding(const std::vector<Bytes>& sent) {
    std::set<std::pair<int, int>> on;
    for (const auto& m : sent) {
        if (m[0] == -1) {
            on.clear();
        } else if ((m[0] & 0xF0) == 0x90) {
            if (m[2] > 0)
                on.insert({m[0] & 0x0F, m[1]});
            else
                on.erase({m[0] & 0x0F, m[1]});
        } else if ((m[0] & 0xF0) == 0x80) {
            on.erase({m[0] & 0x0F, m[1]});
        }
    }
    return on;
}

// A THRU key transposed above 127 is not sent, but its octave-down voice (127) is; the octave
// then changes before the key comes up.
TEST(NoStuckNotes, AThruKeyOutOfRangeEndsItsVoicesAfterTheOctaveChanged) {
    LiveRig r;
    r.c.ChordHoldMode = 1;
    r.press({48, 52, 43});  // C major below the split
    r.steps(1, 1);
    accompaniment::SetThruOctave(r.d, 1);
    r.key(3, 127, 100);  // sounds as 139: only the voice an octave down is in range
    ASSERT_EQ(sounding(r.host.sent), (std::set<std::pair<int, int>>{{3, 127}}));
    accompaniment::SetThruOctave(r.d, 0);
    r.key(3, 127, 0);
    EXPECT_TRUE(sounding(r.host.sent).empty());
    // With no THRU key held, a new chord sounds no voices.
    r.release({48, 52, 43});
    r.press({41, 45, 48});  // F major
    r.host.sent.clear();
    r.steps(2, 1);
    EXPECT_TRUE(sounding(r.host.sent).empty());
}

TEST(NoStuckNotes, RandomPlayingLeavesNothingSoundingOnceKeysAreUp) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        std::mt19937 rng(seed);
        LiveRig r;
        for (int p = 0; p < 4; ++p)
            for (int s = 0; s < 256; s += 3)
                r.d.PartSteps[static_cast<std::size_t>(p)][static_cast<std::size_t>(s)] = {
                    48 + (s % 24), 90, static_cast<int>(rng() % 3) * 100};
        r.d.PartChannels[1] = 0;
        std::set<std::pair<int, int>> down;
        int step = 1;
        for (int i = 0; i < 400; ++i) {
            switch (rng() % 9) {
                case 0:
                case 1:
                case 2: {  // a key goes down or up
                    const int ch = (rng() % 3 == 0) ? 0 : r.d.ThruChannel;
                    const int key = static_cast<int>(rng() % 128);
                    if (down.count({ch, key})) {
                        r.key(ch, key, 0);
                        down.erase({ch, key});
                    } else {
                        r.key(ch, key, 1 + static_cast<int>(rng() % 127));
                        down.insert({ch, key});
                    }
                    break;
                }
                case 3:
                    r.c.ChordHoldMode = static_cast<std::uint8_t>(rng() % 2);
                    if (!r.c.ChordHoldMode) r.voicing.ReleaseHeldChordNotes();
                    break;
                case 4:
                    r.d.SplitPoint = 48 + static_cast<int>(rng() % 37);
                    break;
                case 5:
                    accompaniment::SetThruOctave(r.d, static_cast<int>(rng() % 5) - 2);
                    break;
                case 6:
                    r.d.ThruChannel = 3 + static_cast<int>(rng() % 2) * 3;
                    break;
                case 7:
                    r.d.PartChannels[1] = static_cast<int>(rng() % 2) * 8;
                    break;
                case 8:
                    if (r.host.armed.size() && rng() % 2)
                        r.fireTimers();
                    else {
                        r.steps(step, 1);
                        step = (step + 1) % 256;
                    }
                    break;
            }
        }
        for (auto [ch, key] : std::set(down)) r.key(ch, key, 0);
        r.fireTimers();
        // Parts whose last note has no release timer (duration 0) sound until their next note
        // or a stop; the stop ends them.
        auto left = sounding(r.host.sent);
        for (auto it = left.begin(); it != left.end();) {
            bool partNote = false;
            for (int p = 0; p < 4; ++p)
                if (r.ps.lastChannel[static_cast<std::size_t>(p)] == it->first &&
                    r.ps.LastPartNote[static_cast<std::size_t>(p)] == it->second)
                    partNote = true;
            it = partNote ? left.erase(it) : std::next(it);
        }
        EXPECT_TRUE(left.empty()) << "seed " << seed << ": " << left.size() << " notes left, first ch "
                                  << (left.empty() ? -1 : left.begin()->first) << " key "
                                  << (left.empty() ? -1 : left.begin()->second);
        r.host.StopPlaying();
        EXPECT_TRUE(sounding(r.host.sent).empty());
    }
}

}  // namespace
}  // namespace livetest
