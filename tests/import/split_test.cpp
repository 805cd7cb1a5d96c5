// The split's order of tracks and events in "$$$$".
#include <gtest/gtest.h>

#include "tests/import/support/import_rig.h"
#include "tests/import/support/split_log.h"

namespace importtest {
namespace {

using Lines = std::vector<std::string>;
using midifile::MidiRead;

class Split : public ImportFixture {
  protected:
    SplitLog SplitSong(int format, const std::vector<Track>& tracks) {
        EXPECT_TRUE(WriteSong(Path("in.mid"), format, 96, tracks));
        Prepare(Path("in.mid"), true);
        EXPECT_EQ(midiimport::SplitMidiFile(ctx), 0);
        EXPECT_EQ(import.split.FileError, 0);
        return SplitLog(Path(midiimport::kSplitFileName).c_str());
    }
};

TEST_F(Split, DrumKeysOfSeveralTracksMergeInTimeOrderLowerTrackFirst) {
    Track a, b;
    a.note(0, 9, 36, 101, 24).note(96, 9, 36, 103, 24).note(48, 9, 38, 90, 10);
    b.note(0, 9, 36, 102, 24).note(96, 9, 36, 104, 24).note(72, 9, 36, 105, 12);
    SplitLog log = SplitSong(1, {a, b});
    ASSERT_TRUE(log.ok);
    ASSERT_EQ(log.tracks.size(), 2u) << "one track per key: 36 and 38";
    EXPECT_EQ(log.channels, (std::vector<int>{9, 9}));
    EXPECT_EQ(log.Only(0, "o"),
              (Lines{"0 on 9 36 101", "0 on 9 36 102", "24 off 9 36", "24 off 9 36", "72 on 9 36 105",
                     "84 off 9 36", "96 on 9 36 103", "96 on 9 36 104", "120 off 9 36", "120 off 9 36"}));
    EXPECT_EQ(log.Only(1, "o"), (Lines{"48 on 9 38 90", "58 off 9 38"}));
}

TEST_F(Split, ControllersAreSentAgainWhenTheSourceTrackChanges) {
    Track a, b;
    a.cc(0, 9, 7, 100).note(0, 9, 36, 100, 24).note(96, 9, 36, 100, 24);
    b.cc(0, 9, 7, 50).note(48, 9, 36, 90, 24);
    SplitLog log = SplitSong(1, {a, b});
    ASSERT_TRUE(log.ok);
    ASSERT_EQ(log.tracks.size(), 1u);
    EXPECT_EQ(log.tracks[0], (Lines{"0 cc 9 7 100", "0 on 9 36 100", "0 cc 9 7 50", "24 cc 9 7 100",
                                    "24 off 9 36", "48 cc 9 7 50", "48 on 9 36 90", "72 off 9 36",
                                    "96 cc 9 7 100", "96 on 9 36 100", "120 off 9 36"}));
}

TEST_F(Split, AFormatZeroFileGivesAConductorProgramTracksAndKeyTracks) {
    Track all;
    all.gmOn(0).tempo(0, 500000).name("All").program(0, 0, 0).note(0, 0, 60, 80, 96).program(96, 0, 4);
    all.note(96, 0, 64, 81, 96).program(0, 3, 40).note(0, 3, 72, 70, 192).note(0, 9, 42, 60, 10);
    all.note(48, 9, 36, 100, 10).cc(0, 0, 7, 99);
    SplitLog log = SplitSong(0, {all});
    ASSERT_TRUE(log.ok);
    // Conductor; channel 1 programs 0 and 4; channel 4 program 40; keys 36 and 42.
    EXPECT_EQ(log.channels, (std::vector<int>{MidiRead::NOCHANNEL, 0, 0, 3, 9, 9}));
    EXPECT_EQ(log.tracks[0], (Lines{"0 gmon", "0 tempo 500000", "0 text3 All"}));
    EXPECT_EQ(log.Only(1, "o"), (Lines{"0 on 0 60 80", "96 off 0 60"}));
    EXPECT_EQ(log.Only(2, "o"), (Lines{"96 on 0 64 81", "192 off 0 64"}));
    EXPECT_EQ(log.Only(2, "program"), (Lines{"96 program 0 4"}));
    EXPECT_EQ(log.Only(1, "cc"), (Lines{"0 cc 0 7 99"}))
        << "controllers go with every program of the channel";
    EXPECT_EQ(log.Only(3, "o"), (Lines{"0 on 3 72 70", "192 off 3 72"}));
    EXPECT_EQ(log.Only(4, "o"), (Lines{"48 on 9 36 100", "58 off 9 36"}));
    EXPECT_EQ(log.Only(5, "o"), (Lines{"0 on 9 42 60", "10 off 9 42"}));
    EXPECT_EQ(log.Only(4, "tempo"), (Lines{"0 tempo 500000"})) << "key tracks carry the meta events";
    for (size_t t = 1; t < log.tracks.size(); ++t)
        EXPECT_EQ(log.Only(t, "gmon"), Lines{}) << "a reset only in the first track, not in track " << t + 1;
}

TEST_F(Split, ANoteOffAfterAProgramChangeEndsTheNoteOfTheEarlierProgram) {
    Track conductor, piano;
    conductor.tempo(0, 500000);
    piano.program(0, 0, 0).note(0, 0, 60, 80, 200).program(96, 0, 4).note(96, 0, 62, 81, 48);
    SplitLog log = SplitSong(1, {conductor, piano});
    ASSERT_TRUE(log.ok);
    ASSERT_EQ(log.tracks.size(), 3u);
    EXPECT_EQ(log.channels[0], MidiRead::NOCHANNEL) << "the conductor copied whole";
    EXPECT_EQ(log.tracks[0], (Lines{"0 tempo 500000"}));
    EXPECT_EQ(log.Only(1, "o"), (Lines{"0 on 0 60 80", "200 off 0 60"}));
    EXPECT_EQ(log.Only(2, "o"), (Lines{"96 on 0 62 81", "144 off 0 62", "200 off 0 60"}));
}

TEST_F(Split, ExclusiveEventsKeepTheirForm) {
    Track conductor, drums;
    const uint8_t first[] = {0x43, 0x10, 0x4C};  // the first packet of a divided message: no F7
    const uint8_t rest[] = {0x00, 0xF7};
    const uint8_t escape[] = {0xF8, 0xFA};  // bytes sent as they stand
    conductor.at(0, [&](midifile::MidiWrite& w) { w.WriteExclusive(0xF0, 3, first); });
    conductor.at(10, [&](midifile::MidiWrite& w) { w.WriteExclusive(0xF7, 2, rest); });
    conductor.at(20, [&](midifile::MidiWrite& w) { w.WriteExclusive(0xF7, 2, escape); });
    drums.note(0, 9, 36, 100, 24).at(30, [&](midifile::MidiWrite& w) { w.WriteExclusive(0xF7, 2, escape); });
    SplitLog log = SplitSong(1, {conductor, drums});
    ASSERT_TRUE(log.ok);
    EXPECT_EQ(log.tracks[0], (Lines{"0 sysex 43 10 4C", "10 escape 00 F7", "20 escape F8 FA"}));
    EXPECT_EQ(log.Only(1, "escape"), (Lines{"30 escape F8 FA"})) << "merged into the key's track";
}

TEST_F(Split, ProgressIsAFigureOnTheErrorStream) {
    std::FILE* progress = std::tmpfile();
    ASSERT_NE(progress, nullptr);
    ctx.progress = progress;
    Track drums;
    for (int i = 0; i < 50; ++i) drums.note(i * 24, 9, 36 + i % 2, 100, 12);
    SplitSong(1, {drums});
    std::rewind(progress);
    char text[4096] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, progress);
    std::fclose(progress);
    const std::string figures(text, n);
    EXPECT_EQ(figures.substr(0, 3), "0%\r");
    EXPECT_NE(figures.find("50%\r"), std::string::npos);
    EXPECT_EQ(figures.back(), '\r');
}

struct HeaderCase {
    const char* name;
    int format;
    int division;
    const char* box;
};

TEST_F(Split, UnusableFilesAreOneFileErrorAndLeaveNoSplitFile) {
    const HeaderCase cases[] = {
        {"format 2", 2, 96, "This program only accepts format 0 or 1."},
        {"division 0", 1, 0, "FILE ERROR - ABORTING:"},
        {"division 7", 1, 7, "FILE ERROR - ABORTING:"},
        {"SMPTE division", 1, 0xE728, "FILE ERROR - ABORTING:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Track drums;
        drums.note(0, 9, 36, 100, 24);
        ASSERT_TRUE(WriteSong(Path("bad.mid"), c.format, c.division, {drums}));
        WriteBytes(Path(midiimport::kSplitFileName), {1, 2, 3});  // a split left from before
        dialogs.clear();
        Prepare(Path("bad.mid"), true);
        EXPECT_EQ(midiimport::SplitMidiFile(ctx), 0);
        EXPECT_EQ(BoxTexts(), Lines{c.box});
        EXPECT_EQ(import.split.FileError, 1);
        EXPECT_EQ(import.split.InstrumentMode, 1);
        EXPECT_FALSE(std::filesystem::exists(Path(midiimport::kSplitFileName)));
    }
    EXPECT_EQ(pages.resets, 0) << "the pages end the import after a file error";
}

TEST_F(Split, AMissingInputIsAnInputError) {
    Prepare(Path("missing.mid"), true);
    EXPECT_EQ(midiimport::SplitMidiFile(ctx), 0);
    EXPECT_EQ(BoxTexts(), Lines{"FILE ERROR - INPUT:"});
    EXPECT_EQ(import.split.FileError, 1);
}

TEST_F(Split, ASplitFileThatCannotBeWrittenIsReported) {
    Track drums;
    drums.note(0, 9, 36, 100, 24);
    ASSERT_TRUE(WriteSong(Path("in.mid"), 1, 96, {drums}));
    Prepare(Path("in.mid"), true);
    import.split.SplitPath = "no-such-folder/$$$$";
    EXPECT_EQ(midiimport::SplitMidiFile(ctx), 1);
    EXPECT_EQ(BoxTexts(), Lines{"OUT OF MEMORY"});
    EXPECT_EQ(import.split.ImportAborted, 1);
    EXPECT_EQ(pages.resets, 1);
}

}  // namespace
}  // namespace importtest
