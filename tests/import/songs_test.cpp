// Whole imports of small songs: split, dump, load and parse, with the drums and the part steps
// each must give written out bar by bar.
#include <gtest/gtest.h>

#include "tests/import/support/import_rig.h"
#include "tests/import/support/test_songs.h"

namespace importtest {
namespace {

using Bars = std::vector<std::string>;

const Bars kKickBars(8, "x...............................");
const Bars kSnareBars = {"........x.......................",
                         "........x.......................",
                         "........x.......................",
                         "........x.......................",
                         std::string(32, '.'),
                         std::string(32, '.'),
                         std::string(32, '.'),
                         std::string(32, '.')};
const Bars kHatBars = {"....x...........................",
                       "....x...........................",
                       std::string(32, '.'),
                       std::string(32, '.'),
                       std::string(32, '.'),
                       std::string(32, '.'),
                       std::string(32, '.'),
                       std::string(32, '.')};
// At the song's 100 beats a minute a step lasts 72 ms, a beat 576 ms. The note of bar 2 sounds
// into bar 3: taken once where it begins, with its three beats, and not again in bar 3.
const Bars kPianoBars = {
    "1:60/80/576", "1:60/80/576 17:62/81/1728", "1:64/82/576", "1:64/82/576", "", "", "", ""};
const Bars kStringBars = {
    "1:67/60/2304", "1:67/60/2304", "1:67/60/2304", "1:67/60/2304", "1:67/60/1728", "1:67/60/1728", "", ""};
const Bars kBassBars(8, "1:36/110/288");

class Songs : public ImportFixture, public ::testing::WithParamInterface<int> {
  protected:
    // The same song as format 1 (drums over two tracks) or format 0 (one track).
    std::string Song() {
        const std::string path = Path("song.mid");
        if (GetParam() == 1) {
            EXPECT_TRUE(WriteSong(path, 1, kDivision,
                                  {Conductor(), Kick(), SnareAndHat(), Piano(), Strings(), Bass()}));
        } else {
            Track all;
            for (const Track& t : {Conductor(), Kick(), SnareAndHat(), Piano(), Strings(), Bass()})
                all.merge(t);
            EXPECT_TRUE(WriteSong(path, 0, kDivision, {all}));
        }
        return path;
    }
};

TEST_P(Songs, DrumImportGivesEachDrumBarByBar) {
    ASSERT_TRUE(ImportDrums(Song()));
    EXPECT_EQ(DrumsUsed(), (std::vector<int>{kKick, kSnare, kHat}));
    EXPECT_EQ(DrumBars(kKick), kKickBars);
    EXPECT_EQ(DrumBars(kSnare), kSnareBars);
    EXPECT_EQ(DrumBars(kHat), kHatBars);
    EXPECT_EQ(cell(1, kKick), 100);
    EXPECT_EQ(cell(9, kSnare), 90);
    EXPECT_EQ(cell(5, kHat), 70);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(state.drums.Bars, 8);
    EXPECT_EQ(state.drums.TempoValue, 100);
    EXPECT_EQ(state.Engine.Tempo, 100);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
    // The third bar record is a four-time bar: the arrangement stays in four-time.
    EXPECT_EQ(pages.meterToggles, 0);
    // The 3/4 section shows in the dump's bar records of the kick's track.
    EXPECT_NE(DumpText().find("M004\tB 4/4M004\tq1.000  u36 V100  w0.030M005\tB 3/4M005\tq1.000  u36 V100"),
              std::string::npos);
}

TEST_P(Songs, InstrumentImportGivesEachPartBarByBar) {
    ASSERT_TRUE(ImportPart(Song(), 0, 1));
    EXPECT_EQ(PartBars(1), kPianoBars);
    ASSERT_TRUE(ImportPart(Song(), 1, 2));
    EXPECT_EQ(PartBars(2), kStringBars);
    ASSERT_TRUE(ImportPart(Song(), 2, 4));
    EXPECT_EQ(PartBars(4), kBassBars);
    EXPECT_EQ(PartBars(3), Bars(8, "")) << "brass was not chosen";
    EXPECT_EQ(DrumsUsed(), std::vector<int>{}) << "an instrument import leaves the drums alone";
    EXPECT_EQ(state.drums.TempoValue, 100);
    EXPECT_EQ(import.dump.DumpDivision, kDivision);
}

TEST_P(Songs, LaterBarsComeFromTheChosenFirstBar) {
    ASSERT_TRUE(ImportDrums(Song(), 3));
    EXPECT_EQ(DrumBars(kKick), Bars({kKickBars[0], kKickBars[0], kKickBars[0], kKickBars[0], kKickBars[0],
                                     kKickBars[0], std::string(32, '.'), std::string(32, '.')}));
    EXPECT_EQ(DrumBars(kSnare),
              Bars({kSnareBars[0], kSnareBars[0], std::string(32, '.'), std::string(32, '.'),
                    std::string(32, '.'), std::string(32, '.'), std::string(32, '.'), std::string(32, '.')}));
    EXPECT_EQ(DrumBars(kHat), Bars(8, std::string(32, '.')));
}

INSTANTIATE_TEST_SUITE_P(Formats, Songs, ::testing::Values(1, 0),
                         [](const auto& p) { return "format" + std::to_string(p.param); });

TEST_F(ImportFixture, ASparseDrumTrackLosesNoHit) {
    Track conductor, kick, crash;
    conductor.tempo(0, 500000);
    for (int bar : {1, 3, 5, 7, 9}) kick.note((bar - 1) * 384, 9, 36, 100, 24);  // division 96
    for (int bar : {2, 8}) crash.note((bar - 1) * 384, 9, 49, 100, 24);
    ASSERT_TRUE(WriteSong(Path("sparse.mid"), 1, 96, {conductor, kick, crash}));
    ASSERT_TRUE(ImportDrums(Path("sparse.mid")));
    const std::string hit = "x" + std::string(31, '.'), none(32, '.');
    EXPECT_EQ(DrumBars(kKick), Bars({hit, none, hit, none, hit, none, hit, none}));
    EXPECT_EQ(DrumBars(49 - 27), Bars({none, hit, none, none, none, none, none, hit}));
    EXPECT_EQ(import.dump.HighestBar, 9);
    EXPECT_EQ(state.drums.TempoValue, 120);
}

TEST_F(ImportFixture, ANoteCrossingABarLineIsTakenOnceWhereItBegins) {
    Track bass, drums;
    bass.program(0, 2, 33).note(360, 2, 40, 100, 240).note(720, 2, 43, 101, 120);
    drums.note(360, 9, 49, 120, 240);  // a crash ringing into bar 2
    ASSERT_TRUE(WriteSong(Path("cross.mid"), 1, kDivision, {bass, drums}));
    ASSERT_TRUE(ImportPart(Path("cross.mid"), 2, 4));
    EXPECT_EQ(PartBars(4), Bars({"25:40/100/960", "17:43/101/480", "", "", "", "", "", ""}));
    EXPECT_NE(DumpText().find("M002\tj Z40 V100  w1.000"), std::string::npos);
    ASSERT_TRUE(ImportDrums(Path("cross.mid")));
    EXPECT_EQ(DrumBars(49 - 27)[0], "........................x.......");
    EXPECT_EQ(DrumBars(49 - 27)[1], std::string(32, '.'));
}

// A note that sounds beyond its bar lasts its whole length in the song: the rest of its bar and
// its part of each bar after it (a 3/4 bar holds three beats), up to where the eight bars end.
// At 120 beats a minute a beat lasts 480 ms.
TEST_F(ImportFixture, ANoteSoundingBeyondItsBarLastsItsWholeLength) {
    Track conductor, piano;
    conductor.tempo(0, 500000).meter(0, 4, 4).meter(kBarStart[4], 3, 4);  // 3/4 from bar 5
    piano.program(0, 0, 0);
    piano.note(360, 0, 60, 100, 240);                 // half note from beat 4 of bar 1
    piano.note(kBarStart[1] + 240, 0, 60, 101, 360);  // struck again in bar 2, into bar 3
    piano.note(kBarStart[2] + 120, 0, 62, 102, 240);  // half note inside bar 3
    piano.note(kBarStart[3] + 360, 0, 64, 103, 540);  // bar 4 beat 4, through bar 5, into bar 6
    piano.note(kBarStart[7] + 120, 0, 67, 104, 480);  // bar 8 beat 2, four beats: past bar 8
    ASSERT_TRUE(WriteSong(Path("long.mid"), 1, kDivision, {conductor, piano}));
    ASSERT_TRUE(ImportPart(Path("long.mid"), 0, 1));
    EXPECT_EQ(PartBars(1), Bars({"25:60/100/960", "17:60/101/1440", "9:62/102/960", "25:64/103/2160", "", "",
                                 "", "9:67/104/960"}));
    // The dump holds the rest of each such note in the bars after it.
    const std::string dump = DumpText();
    EXPECT_NE(dump.find("M001\tq4.000  Z60 V100jM002\tB 4/4M002\tj Z60 V100  w1.000M002\tq3.000  Z60 V101j"),
              std::string::npos);
    EXPECT_NE(dump.find("M005\tB 3/4M005\tj Z64 V103jM006\tB 3/4M006\tj Z64 V103  w0.060"),
              std::string::npos);
    EXPECT_EQ(import.dump.UnreadRecords, 0);

    // From bar 2 the first note began earlier: only the one struck in bar 2 is taken.
    import.dump.FirstBar = 2;
    state.live.parts.PartSteps[0] = {};
    midiimport::ParseImportDump(ctx);
    EXPECT_EQ(PartBars(1)[0], "17:60/101/1440");
    EXPECT_EQ(PartBars(1)[6], "9:67/104/1920") << "bar 9 is one of the eight now";
}

TEST_F(ImportFixture, TheFirstTempoEventGivesTheTempo) {
    Track conductor, kick;
    conductor.tempo(0, 400000).tempo(960, 500000);
    for (int b = 0; b < 4; ++b) kick.note(b * 480, 9, 36, 100, 30);
    ASSERT_TRUE(WriteSong(Path("tempo.mid"), 1, kDivision, {conductor, kick}));
    state.drums.Bars = 3;
    ASSERT_TRUE(ImportDrums(Path("tempo.mid")));
    EXPECT_EQ(state.drums.TempoValue, 150);
    EXPECT_EQ(state.Engine.Tempo, 150);
    EXPECT_EQ(state.drums.Bars, 8);
    EXPECT_EQ(link.engine.snapshot().tempo, 150u) << "the engine was sent the tempo";
    EXPECT_EQ(pages.shownTempos, std::vector<int>(4, 150)) << "once per taken record";
    EXPECT_EQ(pages.barsApplied, 4);
}

TEST_F(ImportFixture, AFileWithoutDrumsSaysSoAndStillSplitsTheParts) {
    ASSERT_TRUE(WriteSong(Path("nodrums.mid"), 1, kDivision, {Conductor(), Piano()}));
    state.drums.Bars = 4;
    state.drums.TempoValue = 140;
    ASSERT_TRUE(ImportDrums(Path("nodrums.mid")));
    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, "NO DRUMS FOUND");
    EXPECT_EQ(dialogs.boxes()[0].caption, "INFORMATION");
    EXPECT_EQ(DrumsUsed(), std::vector<int>{});
    EXPECT_EQ(state.drums.Bars, 4) << "no record taken: bars and tempo stay";
    EXPECT_EQ(state.drums.TempoValue, 140);
    EXPECT_EQ(pages.resets, 0);

    ASSERT_TRUE(ImportPart(Path("nodrums.mid"), 0, 1));
    EXPECT_EQ(PartBars(1), kPianoBars);
}

// A drum note-on is a hit even while the same drum still sounds, from the same track (a ghost
// note on the snare, a crash struck again) or from another one (two players on one kick). Two
// tracks striking the drum at one tick are one hit.
TEST_F(ImportFixture, ADrumStruckAgainWhileItSoundsIsAHitOfItsOwn) {
    Track one, two;
    one.name("One").note(0, 9, 36, 100, 300);  // division 96: still sounding on beats 2 to 4
    two.name("Two").note(96, 9, 36, 90, 30).note(192, 9, 36, 80, 30);
    one.note(0, 9, 42, 50, 30);
    two.note(0, 9, 42, 55, 30);
    one.on(0, 9, 38, 60).on(48, 9, 38, 61).on(72, 9, 38, 62).off(100, 9, 38).off(110, 9, 38);
    one.note(384, 9, 49, 120, 960).note(576, 9, 49, 121, 960);  // a crash struck again in bar 2
    ASSERT_TRUE(WriteSong(Path("again.mid"), 1, 96, {one, two}));
    ASSERT_TRUE(ImportDrums(Path("again.mid")));
    const std::string none(32, '.');
    EXPECT_EQ(DrumBars(kKick),
              Bars({"x.......x.......x...............", none, none, none, none, none, none, none}));
    EXPECT_EQ(cell(9, kKick), 90);
    EXPECT_EQ(cell(17, kKick), 80);
    EXPECT_EQ(DrumBars(kHat)[0], "x...............................");
    EXPECT_EQ(cell(1, kHat), 50) << "the lower track's strike at the same tick";
    EXPECT_EQ(DrumBars(kSnare)[0], "x...x.x.........................");
    EXPECT_EQ(cell(7, kSnare), 62);
    EXPECT_EQ(DrumBars(49 - 27)[1], "x...............x...............");
    EXPECT_EQ(import.dump.UnreadRecords, 0);
}

// A part note lasts on the players' grid what it lasted in the song: its share of a beat, at
// 8 steps a beat and 7200 / tempo ms a step, whatever the song's division.
TEST_F(ImportFixture, PartNotesLastTheirShareOfABeatAtTheTempo) {
    const struct {
        uint32_t microseconds;
        int beatMs;  // 8 steps of 7200 / tempo whole ms
    } tempos[] = {{60000000 / 109, 8 * 66}, {500000, 8 * 60}, {60000000 / 250, 8 * 28}};
    for (int division : {8, 96, 256, 480, 1920}) {
        for (const auto& t : tempos) {
            SCOPED_TRACE("division " + std::to_string(division) + ", beat " + std::to_string(t.beatMs) +
                         " ms");
            const int q = division;
            Track conductor, bass;
            conductor.tempo(0, t.microseconds);
            bass.program(0, 2, 33);
            bass.note(0, 2, 36, 100, q).note(q, 2, 38, 100, q / 2).note(2 * q, 2, 40, 100, q / 4);
            bass.note(3 * q, 2, 41, 100, 3 * q / 8);
            bass.note(4 * q, 2, 43, 100, 3 * q).note(7 * q, 2, 45, 100, 2 * q);  // the last into bar 3
            ASSERT_TRUE(WriteSong(Path("lengths.mid"), 1, division, {conductor, bass}));
            ASSERT_TRUE(ImportPart(Path("lengths.mid"), 2, 4));
            const int b = t.beatMs;
            auto n = [](int pos, int key, int ms) {
                return std::to_string(pos) + ":" + std::to_string(key) + "/100/" + std::to_string(ms);
            };
            EXPECT_EQ(PartBars(4)[0], n(1, 36, b) + " " + n(9, 38, b / 2) + " " + n(17, 40, b / 4) + " " +
                                          n(25, 41, b * 3 / 8));
            EXPECT_EQ(PartBars(4)[1], n(1, 43, 3 * b) + " " + n(25, 45, 2 * b))
                << "a note sounding beyond its bar lasts its whole length";
        }
    }
}

// Values wider than the old fixed columns: positions of 1000 ticks and more within a beat (at
// divisions of 1000 and above), keys of one digit and of three.
TEST_F(ImportFixture, PositionsAndKeysOfAnyWidthAreTaken) {
    Track conductor, hats, piano;
    conductor.tempo(0, 500000);
    for (int s = 0; s < 16; ++s) hats.note(s * 480, 9, 42, 60 + s, 100);  // sixteenths at 1920
    piano.program(0, 0, 0);
    const int keys[] = {5, 99, 100, 113, 127};
    for (int i = 0; i < 5; ++i) piano.note(i * 2 * 1920 + 1440, 0, keys[i], 80, 1500);
    ASSERT_TRUE(WriteSong(Path("wide.mid"), 1, 1920, {conductor, hats, piano}));

    ASSERT_TRUE(ImportDrums(Path("wide.mid")));
    EXPECT_EQ(DrumBars(kHat)[0], "x.x.x.x.x.x.x.x.x.x.x.x.x.x.x.x.");
    EXPECT_EQ(cell(31, kHat), 75) << "the last sixteenth, 1440 ticks into beat 4";
    EXPECT_NE(DumpText().find("M001\tq4.1440  u42 V075  w0.100"), std::string::npos);

    ASSERT_TRUE(ImportPart(Path("wide.mid"), 0, 1));
    // 1440 of 1920 ticks is the seventh eighth of the beat; 1500 ticks at 480 ms a beat, 375 ms.
    EXPECT_EQ(PartBars(1), Bars({"7:5/80/375 23:99/80/375", "7:100/80/375 23:113/80/375", "7:127/80/375", "",
                                 "", "", "", ""}));
    EXPECT_NE(DumpText().find("q1.1440  Z127 V080  w0.1500"), std::string::npos);
    EXPECT_EQ(import.dump.UnreadRecords, 0);
}

}  // namespace
}  // namespace importtest
