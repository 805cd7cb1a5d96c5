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
// The note of bar 2 sounds into bar 3: taken once, long (9000), and not again in bar 3.
const Bars kPianoBars = {
    "1:60/80/1000", "1:60/80/1000 17:62/81/9000", "1:64/82/1000", "1:64/82/1000", "", "", "", ""};
const Bars kStringBars = {
    "1:67/60/4000", "1:67/60/4000", "1:67/60/4000", "1:67/60/4000", "1:67/60/3000", "1:67/60/3000", "", ""};
const Bars kBassBars(8, "1:36/110/60");

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
    EXPECT_EQ(PartBars(4), Bars({"25:40/100/9000", "17:43/101/1000", "", "", "", "", "", ""}));
    EXPECT_NE(DumpText().find("M002\tj Z40 V100  w1.000"), std::string::npos);
    ASSERT_TRUE(ImportDrums(Path("cross.mid")));
    EXPECT_EQ(DrumBars(49 - 27)[0], "........................x.......");
    EXPECT_EQ(DrumBars(49 - 27)[1], std::string(32, '.'));
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

}  // namespace
}  // namespace importtest
