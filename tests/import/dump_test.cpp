// The bar dump's text: bar lengths, time-signature changes, notes across bars, the slot limit.
#include <gtest/gtest.h>

#include <regex>

#include "tests/import/support/import_rig.h"

namespace importtest {
namespace {

using Lines = std::vector<std::string>;

TEST(BarLength, AsTheDumpShowsIt) {
    const struct {
        int64_t ticks;
        const char* text;
    } cases[] = {{480, "4/4"},     {360, "3/4"}, {240, "1/2"},         {960, "2"},      {600, "1 1/4"},
                 {50, "50 units"}, {15, "1/32"}, {1010, "2 50 units"}, {1005, "2 3/32"}};
    for (const auto& c : cases) EXPECT_EQ(midiimport::FormatBarLength(c.ticks, 120), c.text) << c.ticks;
    EXPECT_EQ(midiimport::UnitsPerBar(6, 8, 120), 360) << "6/8 is as long as 3/4";
    EXPECT_EQ(midiimport::UnitsPerBar(2, 4, 120), 240);
    EXPECT_EQ(midiimport::UnitsPerBar(0, 4, 120), 0);
}

class Dump : public ImportFixture {
  protected:
    // The dump of a MIDI file written from the tracks, for the marked channels.
    std::string DumpOf(const std::vector<Track>& tracks, std::vector<int> channels, bool drums = false,
                       int division = 120) {
        EXPECT_TRUE(WriteSong(Path("split.mid"), 1, division, tracks));
        import.split.SplitPath = Path("split.mid");
        import.split.InstrumentMode = drums ? 0 : 1;
        import.dump.DumpChannels.fill(0);
        for (int c : channels) import.dump.DumpChannels[static_cast<size_t>(c)] = 1;
        EXPECT_TRUE(midiimport::WriteImportDump(ctx));
        std::string text = DumpText();
        EXPECT_EQ(text.back(), '\xFF');
        text.pop_back();
        return text;
    }
    static Lines Records(const std::string& text) {
        Lines out;
        size_t p = text.find('M');
        out.push_back(text.substr(0, p));  // the division
        while (p != std::string::npos) {
            const size_t next = text.find('M', p + 1);
            out.push_back(text.substr(p, next == std::string::npos ? std::string::npos : next - p));
            p = next;
        }
        return out;
    }
};

TEST_F(Dump, ATimeSignatureJustAfterABarLineCountsFromIt) {
    const struct {
        int64_t tick;
        Lines bars;
    } cases[] = {
        {481, {"M001\tB 4/4", "M002\tB 3/4", "M003\tB 3/4"}},
        {483, {"M001\tB 4/4", "M002\tB 3/4", "M003\tB 3/4"}},
        {484, {"M001\tB 4/4", "M002\tB 4/4", "M003\tB 3/4"}},
        {240, {"M001\tB 4/4", "M002\tB 3/4", "M003\tB 3/4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tick);
        Track t;
        t.meter(c.tick, 3, 4).note(0, 0, 60, 100, 10).note(1400, 0, 60, 100, 10);
        Lines bars;
        for (const auto& r : Records(DumpOf({t}, {0})))
            if (r.find("\tB ") != std::string::npos) bars.push_back(r);
        bars.resize(3);
        EXPECT_EQ(bars, c.bars);
    }
}

TEST_F(Dump, DamagedTimeSignaturesAreIgnored) {
    Track t;
    t.meter(0, 0, 4).meter(480, 5, 1 << 30).note(0, 0, 60, 100, 10).note(960, 0, 60, 100, 10);
    EXPECT_EQ(DumpOf({t}, {0}),
              "120M001\tB 4/4M001\tq1.000  Z60 V100  w0.010M002\tB 4/4M003\tB 4/4"
              "M003\tq1.000  Z60 V100  w0.010");
}

TEST_F(Dump, ANoteAcrossABarLineIsWrittenInBothBars) {
    Track t;
    t.note(720, 0, 62, 81, 360).note(960, 0, 64, 82, 120);
    EXPECT_EQ(Records(DumpOf({t}, {0})),
              (Lines{"120", "M001\tB 4/4", "M002\tB 4/4", "M002\tq3.000  Z62 V081j", "M003\tB 4/4",
                     "M003\tj Z62 V081  w1.000", "M003\tq1.000  Z64 V082  w1.000"}));
}

TEST_F(Dump, NotesOfABarAreSortedByStartThenLengthThenKey) {
    Track t;
    t.note(120, 0, 60, 90, 120).note(0, 0, 64, 91, 60).note(0, 0, 67, 92, 120).note(0, 0, 72, 93, 120);
    EXPECT_EQ(Records(DumpOf({t}, {0}, true)),
              (Lines{"120", "M001\tB 4/4", "M001\tq1.000  u72 V093  w1.000", "M001\tq1.000  u67 V092  w1.000",
                     "M001\tq1.000  u64 V091  w0.060", "M001\tq2.000  u60 V090  w1.000"}));
}

// A melodic note-on of a sounding key is ignored; a drum's is a hit of its own that ends the one
// sounding, except at the very tick of that one.
TEST_F(Dump, ASecondNoteOnOfASoundingKey) {
    Track t;
    t.on(0, 0, 60, 100).on(60, 0, 60, 50).off(120, 0, 60).off(130, 0, 60);
    t.on(240, 0, 62, 70).on(240, 0, 62, 71).off(300, 0, 62);
    EXPECT_EQ(DumpOf({t}, {0}), "120M001\tB 4/4M001\tq1.000  Z60 V100  w1.000M001\tq3.000  Z62 V070  w0.060");
    EXPECT_EQ(DumpOf({t}, {0}, true),
              "120M001\tB 4/4M001\tq1.000  u60 V100  w0.060M001\tq1.060  u60 V050  w0.060"
              "M001\tq3.000  u62 V070  w0.060");
}

TEST_F(Dump, The257thSoundingNoteOfABarIsDropped) {
    Track t;
    for (int i = 0; i < 257; ++i) t.note(i, 0, 30 + i % 60, 100, 1);
    const Lines records = Records(DumpOf({t}, {0}));
    ASSERT_EQ(records.size(), 2u + 256u);
    EXPECT_EQ(records.back(), "M001\tq3.015  Z45 V100  w0.001") << "tick 255 is the last note kept";
}

TEST_F(Dump, OnlyMarkedChannelsAreDumpedButEveryTrackEndsWithABar) {
    Track a, b;
    a.note(0, 0, 60, 100, 120).note(480, 0, 62, 100, 120);
    b.note(0, 1, 48, 100, 120);
    EXPECT_EQ(Records(DumpOf({a, b}, {1})),
              (Lines{"120", "M001\tB 4/4", "M001\tB 4/4", "M001\tq1.000  Z48 V100  w1.000"}));
    EXPECT_EQ(Records(DumpOf({a, b}, {})),
              (Lines{"120", "M001\tB 4/4", "M001\tq1.000  Z60 V100  w1.000", "M002\tB 4/4",
                     "M002\tq1.000  Z62 V100  w1.000", "M001\tB 4/4", "M001\tq1.000  Z48 V100  w1.000"}))
        << "no channel marked: every channel";
}

TEST_F(Dump, ANoteLeftSoundingEndsWithItsTrack) {
    Track a, b;
    a.on(0, 0, 60, 100);
    b.note(0, 0, 62, 90, 120);
    EXPECT_EQ(Records(DumpOf({a, b}, {0})), (Lines{"120", "M001\tB 4/4", "M001\tq1.000  Z60 V100j",
                                                   "M001\tB 4/4", "M001\tq1.000  Z62 V090  w1.000"}));
}

TEST_F(Dump, BarsStopAtTheLastNumberTheColumnsHold) {
    Track t;
    t.note(0, 0, 60, 100, 10).note(24 * 4 * 1500, 0, 62, 100, 10);
    const Lines records = Records(DumpOf({t}, {0}, false, 24));
    EXPECT_EQ(records.size(), 1u + 1u + 999u);
    EXPECT_EQ(records.back(), "M999\tB 4/4");
}

TEST_F(Dump, AMissingSplitFileEndsTheImport) {
    import.split.SplitPath = Path("absent.mid");
    EXPECT_FALSE(midiimport::WriteImportDump(ctx));
    EXPECT_EQ(BoxTexts(), Lines{"FILE ERROR - INPUT:"});
    EXPECT_EQ(import.split.ImportAborted, 1);
    EXPECT_EQ(pages.resets, 1);
}

}  // namespace
}  // namespace importtest
