// The dump loader and parser over dump texts written here: slots, steps, the eight-bar window, the
// time-signature switch, tempo, and damaged records.
#include <gtest/gtest.h>

#include "tests/import/support/import_rig.h"

namespace importtest {
namespace {

using Lines = std::vector<std::string>;

// A drum record as the dump writes it.
std::string Hit(int bar, int beat, int ticks, int key, int velocity = 100) {
    char text[64];
    std::snprintf(text, sizeof text, "M%03d\tq%d.%03d  u%d V%03d  w0.010", bar, beat, ticks, key, velocity);
    return text;
}
std::string Note(int bar, int beat, int ticks, int key, int velocity, const char* length) {
    char text[64];
    std::snprintf(text, sizeof text, "M%03d\tq%d.%03d  Z%d V%03d%s", bar, beat, ticks, key, velocity, length);
    return text;
}
std::string BarRecord(int bar, const char* length = "4/4") {
    return "M" + std::string(bar < 10 ? "00" : bar < 100 ? "0" : "") + std::to_string(bar) + "\tB " + length;
}

class Parser : public ImportFixture {
  protected:
    // Loads the text (division first) as the loader does, then parses from `firstBar`.
    void Parse(const std::string& text, bool drums, int firstBar = 1, int tempo = 0) {
        import.split.InstrumentMode = drums ? 0 : 1;
        import.dump.ImportPart = drums ? midiimport::kPartDrums : 1;
        midiimport::LoadImportText(ctx, text + '\xFF', tempo);
        import.dump.FirstBar = firstBar;
        midiimport::ParseImportDump(ctx);
    }
    // Steps that hold a hit of the drum.
    std::vector<int> Steps(int drum) {
        std::vector<int> out;
        for (int s = 0; s < 300; ++s)
            if (cell(s, drum) != 0) out.push_back(s);
        return out;
    }
};

TEST_F(Parser, PositionsRoundToTheNearestEighthOfABeatAtDivision480) {
    const struct {
        int ticks;
        int step;
    } cases[] = {{0, 1},   {29, 1},  {30, 2},  {89, 2},  {90, 3},  {149, 3},
                 {150, 4}, {389, 7}, {390, 8}, {449, 8}, {450, 9}, {479, 9}};
    std::string text = "480" + BarRecord(1);
    for (size_t i = 0; i < std::size(cases); ++i) text += Hit(1, 1, cases[i].ticks, 35 + static_cast<int>(i));
    Parse(text, true);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(Steps(8 + static_cast<int>(i)), std::vector<int>{cases[i].step})
            << cases[i].ticks << " ticks";
}

TEST_F(Parser, StepsOfTheEightBars) {
    const struct {
        const char* what;
        int bar, beat, ticks;
        std::vector<int> steps;
    } cases[] = {
        {"bar 1, beat 1", 1, 1, 0, {1}},
        {"bar 2, beat 3", 2, 3, 0, {49}},
        {"bar 8, beat 4, seventh eighth", 8, 4, 72, {255}},
        {"the 256th step is step 0", 8, 4, 96 - 8, {0}},
        {"the step after the 256th is dropped", 8, 4, 95, {}},
        {"a beat beyond four is dropped", 3, 5, 0, {}},
        {"beat 0 is no beat", 3, 0, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ops.ClearPattern();
        Parse("96" + BarRecord(1) + Hit(c.bar, c.beat, c.ticks, 36), true);
        EXPECT_EQ(Steps(9), c.steps);
    }
}

TEST_F(Parser, OnlyTheEightBarsFromTheFirstAreTaken) {
    std::string text = "96";
    for (int bar = 1; bar <= 12; ++bar) text += BarRecord(bar) + Hit(bar, 1, 0, 36, bar);
    Parse(text, true, 3);
    EXPECT_EQ(Steps(9), (std::vector<int>{1, 33, 65, 97, 129, 161, 193, 225}));
    EXPECT_EQ(cell(1, 9), 3) << "bar 3 is the first imported bar";
    EXPECT_EQ(cell(225, 9), 10);
    EXPECT_EQ(import.dump.HighestBar, 12);
}

TEST_F(Parser, TheFirstHitOnAStepStays) {
    Parse("96" + BarRecord(1) + Hit(1, 2, 0, 38, 90) + Hit(1, 2, 5, 38, 60), true);
    EXPECT_EQ(Steps(11), std::vector<int>{9});
    EXPECT_EQ(cell(9, 11), 90);
}

TEST_F(Parser, DrumKeysOutsideTheDrumsAreIgnored) {
    Parse("96" + BarRecord(1) + Hit(1, 1, 0, 26) + Hit(1, 1, 0, 97) + Hit(1, 1, 0, 96), true);
    EXPECT_EQ(DrumsUsed(), std::vector<int>{69});
}

TEST_F(Parser, PartNotesWithTheirLengthsAndNotesBegunEarlier) {
    Parse("120" + BarRecord(1) + Note(1, 1, 0, 60, 80, "  w1.000") + Note(1, 4, 60, 62, 81, "j") +
              BarRecord(2) + "M002\tj Z62 V081  w0.060" + Note(2, 2, 0, 64, 82, "  w2.030"),
          false);
    // At 120 beats a minute a beat is 8 steps of 60 ms; the note sounding beyond its bar lasts the
    // rest of it (60 ticks) and its 60 ticks in the next bar.
    EXPECT_EQ(PartBars(1), (Lines{"1:60/80/480 29:62/81/480", "9:64/82/1080", "", "", "", "", "", ""}));
}

// A note sounding beyond its bar takes the rest of the bar, whatever length the dump gives the
// bar; one whose bar length cannot be read takes only what follows it.
TEST_F(Parser, ANoteTakesTheRestOfItsBarAsTheDumpWritesItsLength) {
    for (int64_t ticks : {480, 360, 240, 960, 600, 50, 530, 0}) {
        const std::string length = ticks > 0 ? midiimport::FormatBarLength(ticks, 120) : "4/x";
        SCOPED_TRACE(length);
        Parse("120" + BarRecord(1, length.c_str()) + Note(1, 1, 0, 60, 80, "j") + BarRecord(2) +
                  "M002\tj Z60 V080  w1.000",
              false);
        // 4 ms a tick at 120 beats a minute.
        EXPECT_EQ(PartBars(1)[0], "1:60/80/" + std::to_string((ticks + 120) * 4));
    }
}

TEST(PartDuration, BeatsAndTicksAtTheTempoOnThePlayersGrid) {
    const struct {
        int64_t beats, ticks;
        int division, tempo, ms;
    } cases[] = {
        {1, 0, 96, 120, 480},      {0, 48, 96, 120, 240},   {0, 128, 256, 109, 264},
        {1, 0, 1920, 250, 224},    {2, 30, 120, 120, 1080}, {0, 1, 192, 120, 3},  // 2.5 rounds up
        {0, 1, 1920, 120, 1},      {0, 0, 480, 120, 0},     {INT32_MAX, 0, 8, 20, INT32_MAX},
        {0, 1500, 1920, 120, 375},
    };
    for (const auto& c : cases)
        EXPECT_EQ(midiimport::PartDurationMs(c.beats, c.ticks, c.division, c.tempo), c.ms)
            << c.beats << "." << c.ticks << " at " << c.division << ", " << c.tempo;
}

TEST_F(Parser, TheThirdBarRecordSwitchesTheTimeSignature) {
    const struct {
        const char* what;
        std::uint8_t waltzBefore;
        std::string bars;
        int toggles;
    } cases[] = {
        {"3/4 in four-time", 0, BarRecord(1) + BarRecord(2) + BarRecord(3, "3/4"), 1},
        {"4/4 in waltz", 1, BarRecord(1, "3/4") + BarRecord(2, "3/4") + BarRecord(3), 1},
        {"3/4 in waltz", 1, BarRecord(1) + BarRecord(2) + BarRecord(3, "3/4"), 0},
        {"4/4 in four-time", 0, BarRecord(1, "3/4") + BarRecord(2, "3/4") + BarRecord(3), 0},
        {"only two bar records", 0, BarRecord(1, "3/4") + BarRecord(2, "3/4"), 0},
        {"1/2", 1, BarRecord(1) + BarRecord(2) + BarRecord(3, "1/2"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        state.drums.WaltzMode = c.waltzBefore;
        state.drums.MeterSign = c.waltzBefore ? 1 : -1;
        pages.meterToggles = 0;
        Parse("96" + c.bars + Hit(1, 1, 0, 36), true);
        EXPECT_EQ(pages.meterToggles, c.toggles);
        EXPECT_EQ(import.dump.DumpLoaded, 1) << "the text loads whatever its bar records";
    }
}

TEST_F(Parser, EveryTakenRecordSetsEightBarsAndTheTempo) {
    state.drums.Bars = 2;
    link.clearJournal();
    Parse("96" + BarRecord(1) + Hit(1, 1, 0, 36) + Hit(1, 2, 0, 38) + Hit(9, 1, 0, 36), true, 1, 90);
    EXPECT_EQ(state.drums.Bars, 8);
    EXPECT_EQ(state.drums.TempoValue, 90);
    EXPECT_EQ(pages.barsApplied, 2);
    EXPECT_EQ(pages.shownTempos, (std::vector<int>{90, 90}));
    EXPECT_EQ(link.engine.snapshot().tempo, 90u);
    EXPECT_EQ(link.journal("cmd 0").size(), 0u);
    int tempoSends = 0;
    for (const auto& p : link.params) tempoSends += p.Tempo == 90 ? 1 : 0;
    EXPECT_EQ(tempoSends, 4) << "two tempo sends and two cells";
}

TEST_F(Parser, TemposOutsideTheRangeAreHeldInIt) {
    const struct { int tempo, expected; } cases[] = {{0, 120}, {10, 20}, {400, 250}, {97, 97}};
    for (const auto& c : cases) {
        Parse("96" + BarRecord(1) + Hit(1, 1, 0, 36), true, 1, c.tempo);
        EXPECT_EQ(state.drums.TempoValue, c.expected) << c.tempo;
    }
}

TEST_F(Parser, DamagedRecordsAreSkippedAndWholeOnesTaken) {
    const std::string whole = Hit(1, 1, 0, 36);
    const struct {
        const char* what;
        std::string record;
    } damaged[] = {
        {"letter in the bar", "M0x1\tq1.000  u38 V100  w0.010"},
        {"letter in the ticks", "M001\tq2.0a0  u38 V100  w0.010"},
        {"letter in the key", "M001\tq2.000  u3x V100  w0.010"},
        {"letter in the velocity", "M001\tq2.000  u38 V1-0  w0.010"},
        {"letter in the length", "M001\tq2.000  u38 V100  w0.0?0"},
        {"wider key", "M001\tq2.000  u138 V100  w0.010"},
        {"velocity beyond a data byte", "M001\tq2.000  u38 V128  w0.010"},
        {"velocity 0", "M001\tq2.000  u38 V000  w0.010"},
        {"cut in the velocity", "M001\tq2.000  u38 V1"},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.what);
        ops.ClearPattern();
        Parse("96" + BarRecord(1) + whole + d.record + Hit(1, 3, 0, 42), true);
        EXPECT_EQ(DrumsUsed(), (std::vector<int>{9, 15}));
        EXPECT_EQ(import.dump.UnreadRecords, 1);
    }
    ops.ClearPattern();
    Parse("96" + BarRecord(1) + whole + "M001\tq3.000  u42 V100  w0.01", true);
    EXPECT_EQ(DrumsUsed(), std::vector<int>{9}) << "a record cut at the end of the text";
    EXPECT_EQ(import.dump.UnreadRecords, 1);
}

// Every number is read whatever its width, so the old fixed columns and wider values both read;
// bars and notes begun in an earlier bar are no unreadable records.
TEST_F(Parser, FieldsOfAnyWidthAreReadAndOnlyDamagedRecordsCounted) {
    Parse("1920" + BarRecord(1) + Note(1, 1, 1440, 5, 80, "  w0.1500") + Note(1, 2, 0, 127, 81, "  w12.000") +
              Note(1, 3, 480, 64, 82, "j") + BarRecord(2) + "M002\tj Z64 V082  w0.480" +
              "M002\tq1.000  Z64 V1" + "M002\tq1.0  Z64 V100  w0.000" + "M002\tq2.000  Z60 V100  w0.000x",
          false);
    EXPECT_EQ(PartBars(1), (Lines{"7:5/80/375 9:127/81/5760 19:64/82/960", "", "", "", "", "", "", ""}));
    EXPECT_EQ(import.dump.UnreadRecords, 3);
}

TEST_F(Parser, TheDivisionIsEveryLeadingDigit) {
    const struct {
        const char* division;
        int value;
        std::vector<int> steps;
    } cases[] = {{"96", 96, {5}}, {"1920", 1920, {1}}, {"7", 7, {}}, {"", 0, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.division);
        ops.ClearPattern();
        Parse(c.division + BarRecord(1) + Hit(1, 1, 48, 36), true);
        EXPECT_EQ(import.dump.DumpDivision, c.value);
        EXPECT_EQ(Steps(9), c.steps);
    }
}

TEST_F(Parser, NothingToParse) {
    Parse("96", true);
    EXPECT_EQ(import.dump.DumpLoaded, 0);
    EXPECT_EQ(DrumsUsed(), std::vector<int>{});
    import.dump.ImportPart = 0;
    midiimport::LoadImportText(ctx, "96" + BarRecord(1) + Hit(1, 1, 0, 36) + '\xFF', 0);
    midiimport::ParseImportDump(ctx);
    EXPECT_EQ(DrumsUsed(), std::vector<int>{}) << "no part chosen";
}

TEST_F(Parser, AFileErrorEndsTheImportInsteadOfParsing) {
    import.split.FileError = 1;
    Parse("96" + BarRecord(1) + Hit(1, 1, 0, 36), true);
    EXPECT_EQ(DrumsUsed(), std::vector<int>{});
    EXPECT_EQ(pages.resets, 1);
}

TEST_F(Parser, TheLoaderDoesNothingAfterAnAbort) {
    WriteBytes(Path(midiimport::kDumpFileName), {'9', '6', 'M', '0', '0', '1', 255});
    import.split.ImportAborted = 1;
    midiimport::LoadImportDump(ctx);
    EXPECT_EQ(import.dump.DumpLoaded, 0);
    import.split.ImportAborted = 0;
    midiimport::LoadImportDump(ctx);
    EXPECT_EQ(import.dump.DumpLoaded, 1);
    EXPECT_EQ(import.dump.HighestBar, 1);
    EXPECT_EQ(import.dump.ImportTempo, 120) << "no split file: no tempo event";
}

}  // namespace
}  // namespace importtest
