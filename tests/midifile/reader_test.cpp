// The reader's decoding rules over hand-made files.
#include <gtest/gtest.h>

#include "midifile/MidiRead.h"
#include "tests/midifile/support/log_reader.h"
#include "tests/midifile/support/temp_files.h"

namespace midifile::testing {
namespace {

using Lines = std::vector<std::string>;
constexpr int kModes[] = {MidiBuffer::WindowRead, MidiBuffer::WholeFileRead};

Lines ReadBody(const Bytes& file, int mode, uint32_t mask = 0, int track = 1) {
    TempFile f(file);
    LogReader r(f.path(), nullptr, mode);
    r.EventMask = mask;
    EXPECT_EQ(r.ReadAll(), 1) << ::testing::PrintToString(r.Errors());
    return r.Body(track);
}

TEST(MidiRead, FindsTheHeaderBehindOtherData) {
    Bytes file(3000, 0x4D);  // plenty of 'M's, and the tag straddling a window edge
    const Bytes smf = SmfFile({{0x00, 0x90, 0x3C, 0x64}});
    file.insert(file.end(), smf.begin(), smf.end());
    for (int mode : kModes) EXPECT_EQ(ReadBody(file, mode), (Lines{"delta 0", "on 0 60 100"}));
}

TEST(MidiRead, RunningStatusSurvivesMetaAndExclusive) {
    const Bytes track = {0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x01, 0x01, 'a',  0x00,
                         0x3E, 0x64, 0x00, 0xF0, 0x02, 0x01, 0xF7, 0x00, 0x40, 0x00};
    for (int mode : kModes)
        EXPECT_EQ(ReadBody(SmfFile({track}), mode),
                  (Lines{"delta 0", "on 0 60 100", "delta 0", "text 01 text 'a'", "delta 0", "on 0 62 100",
                         "delta 0", "sysex 01 F7", "delta 0", "off 0 64 0"}));
}

TEST(MidiRead, PitchBendRangeFoldsOnlyTheExactSequence) {
    struct Case {
        Bytes track;
        Lines want;
    };
    const Case cases[] = {
        {{0x00, 0xB0, 0x65, 0x00, 0x00, 0xB0, 0x64, 0x00, 0x00, 0xB0, 0x06, 0x02},
         {"delta 0", "bendrange 0 2"}},
        {{0x00, 0xB0, 0x65, 0x05, 0x00, 0xB0, 0x64, 0x00, 0x00, 0xB0, 0x06, 0x02},
         {"delta 0", "cc 0 101 5", "delta 0", "cc 0 100 0", "delta 0", "cc 0 6 2"}},
        {{0x00, 0xB0, 0x65, 0x00, 0x00, 0x64, 0x00, 0x00, 0xB0, 0x06, 0x02},
         {"delta 0", "cc 0 101 0", "delta 0", "cc 0 100 0", "delta 0", "cc 0 6 2"}},
        {{0x00, 0xB0, 0x65, 0x00, 0x00, 0xB1, 0x64, 0x00, 0x00, 0xB1, 0x06, 0x02},
         {"delta 0", "cc 0 101 0", "delta 0", "cc 1 100 0", "delta 0", "cc 1 6 2"}},
    };
    for (const auto& c : cases)
        for (int mode : kModes) EXPECT_EQ(ReadBody(SmfFile({c.track}), mode), c.want);
    // With every controller delivered plainly there is no folding.
    EXPECT_EQ(ReadBody(SmfFile({cases[0].track}), 1, MidiRead::MaskAllControllers),
              (Lines{"delta 0", "cc 0 101 0", "delta 0", "cc 0 100 0", "delta 0", "cc 0 6 2"}));
}

TEST(MidiRead, PitchBendRangeDefaultReplaysTheSequence) {
    struct Replaying : LogReader {
        using LogReader::LogReader;
        void OnPitchBendRange(int c, int s) override { MidiRead::OnPitchBendRange(c, s); }
    };
    TempFile f(SmfFile({{0x00, 0xB3, 0x65, 0x00, 0x00, 0xB3, 0x64, 0x00, 0x00, 0xB3, 0x06, 0x0C}}));
    Replaying r(f.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(r.ReadAll(), 1);
    EXPECT_EQ(r.Body(), (Lines{"delta 0", "cc 3 101 0", "delta 0", "cc 3 100 0", "delta 0", "cc 3 6 12"}));
}

TEST(MidiRead, ResetMessagesAreRecognised) {
    const Bytes track = {
        0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7,                                // GM on
        0x00, 0xF0, 0x0A, 0x41, 0x13, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7,  // GS reset, device 13
        0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x7F, 0x42, 0xF7,  // GS exit
        0x00, 0xF0, 0x08, 0x43, 0x1F, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7,              // XG on, device 1F
        0x00, 0xF0, 0x05, 0x7E, 0x10, 0x09, 0x01, 0xF7,        // GM with device 10: no
        0x00, 0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7,              // GM without length field
        0x00, 0xF0, 0x06, 0x7E, 0x7F, 0x09, 0x01, 0x00, 0xF7,  // one byte too many
        0x00, 0xFF, 0x2F, 0x00,
    };
    const Lines want = {"delta 0", "gmon",
                        "delta 0", "gsreset",
                        "delta 0", "gsexit",
                        "delta 0", "xgon",
                        "delta 0", "sysex 7E 10 09 01 F7",
                        "delta 0", "gmon",
                        "delta 0", "sysex 7E 7F 09 01 00 F7",
                        "delta 0", "endoftrack"};
    for (int mode : kModes) EXPECT_EQ(ReadBody(SmfFile({track}), mode), want);
    EXPECT_EQ(ReadBody(SmfFile({{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00}}), 0,
                       MidiRead::MaskNoResetMatch),
              (Lines{"delta 0", "sysex 7E 7F 09 01 F7", "delta 0", "endoftrack"}));
    // Exclusive data that ends the file exactly is handed over as a file region.
    EXPECT_EQ(ReadBody(SmfFile({{0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}), 1),
              (Lines{"delta 0", "sysexinfile 25 5"}));
}

TEST(MidiRead, EventMaskSelectsRawDelivery) {
    const Bytes track = {0x00, 0x90, 0x3C, 0x64, 0x00, 0xA0, 0x3C, 0x10, 0x00, 0xB0, 0x07, 0x64,
                         0x00, 0xC0, 0x05, 0x00, 0xD0, 0x11, 0x00, 0xE0, 0x00, 0x40, 0x00, 0xF2,
                         0x01, 0x02, 0x00, 0xF8, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00,
                         0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00};
    struct Case {
        uint32_t mask;
        Lines want;
    };
    const Case cases[] = {
        {0, {"delta 0", "on 0 60 100",   "delta 0", "polypressure 0 60 16",
             "delta 0", "cc 0 7 100",    "delta 0", "program 0 5",
             "delta 0", "pressure 0 17", "delta 0", "bend 0 8192",
             "delta 0", "songpos 257",   "delta 0", "clock",
             "delta 0", "tempo 500000",  "delta 0", "gmon",
             "delta 0", "endoftrack"}},
        {MidiRead::MaskRawNotes | MidiRead::MaskRawPolyPressure | MidiRead::MaskRawControlChange |
             MidiRead::MaskRawProgramChange | MidiRead::MaskRawChannelPressure | MidiRead::MaskRawPitchBend,
         {"delta 0", "raw 90 3C 64", "delta 0", "raw A0 3C 10", "delta 0", "raw B0 07 64",
          "delta 0", "raw C0 05",    "delta 0", "raw D0 11",    "delta 0", "raw E0 00 40",
          "delta 0", "songpos 257",  "delta 0", "clock",        "delta 0", "tempo 500000",
          "delta 0", "gmon",         "delta 0", "endoftrack"}},
        {MidiRead::MaskUndecodedMeta | MidiRead::MaskNoResetMatch,
         {"delta 0", "on 0 60 100",      "delta 0", "polypressure 0 60 16",
          "delta 0", "cc 0 7 100",       "delta 0", "program 0 5",
          "delta 0", "pressure 0 17",    "delta 0", "bend 0 8192",
          "delta 0", "songpos 257",      "delta 0", "clock",
          "delta 0", "meta 51 07 A1 20", "delta 0", "sysex 7E 7F 09 01 F7",
          "delta 0", "endoftrack"}},
        {MidiRead::MaskRawSystem | MidiRead::MaskNoResetMatch, {"delta 0", "on 0 60 100",
                                                                "delta 0", "polypressure 0 60 16",
                                                                "delta 0", "cc 0 7 100",
                                                                "delta 0", "program 0 5",
                                                                "delta 0", "pressure 0 17",
                                                                "delta 0", "bend 0 8192",
                                                                "delta 0", "raw F2 01 02",
                                                                "delta 0", "raw F8",
                                                                "delta 0", "raw FF 51 03 07 A1 20",
                                                                "delta 0", "raw F0 7E 7F 09 01 F7",
                                                                "delta 0", "rawinfile FF 67 2"}},
        {MidiRead::MaskRawSystem, {"delta 0", "on 0 60 100",
                                   "delta 0", "polypressure 0 60 16",
                                   "delta 0", "cc 0 7 100",
                                   "delta 0", "program 0 5",
                                   "delta 0", "pressure 0 17",
                                   "delta 0", "bend 0 8192",
                                   "delta 0", "raw F2 01 02",
                                   "delta 0", "raw F8",
                                   "delta 0", "raw FF 51 03 07 A1 20",
                                   "delta 0", "gmon",
                                   "delta 0", "rawinfile FF 67 2"}},
    };
    for (const auto& c : cases)
        for (int mode : kModes) EXPECT_EQ(ReadBody(SmfFile({track}), mode, c.mask), c.want) << c.mask;

    TempFile f(SmfFile({track}));
    LogReader r(f.path(), nullptr, MidiBuffer::WindowRead);
    r.EventMask = MidiRead::MaskSkipTrackBodies;
    ASSERT_EQ(r.ReadAll(), 1);
    EXPECT_EQ(r.log, (Lines{"header 1 1 96", "trackstart 1 47 -1", "trackend 1", "eof"}));
}

TEST(MidiRead, MetaFieldsAndTheirMisfits) {
    const Bytes track = {
        0x00, 0xFF, 0x51, 0x04, 0x07, 0xA1, 0x20, 0x99,  // tempo from the first three bytes
        0x00, 0x90, 0x3C, 0x64,                          // and reading resumes after the fourth
        0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1,              // too short: undecoded
        0x00, 0xFF, 0x58, 0x04, 0x06, 0x1F, 0x18, 0x08,  // dd 31: undecoded
        0x00, 0xFF, 0x59, 0x02, 0xF8, 0x00,              // sf -8: undecoded
        0x00, 0xFF, 0x59, 0x02, 0xF9, 0x01,              // -7 minor
        0x00, 0xFF, 0x00, 0x01, 0x05,                    // sequence number of length 1: undecoded
        0x00, 0xFF, 0x07, 0x02, 'c',  'p',  0x00, 0xFF, 0x08, 0x01, 'z',
    };
    for (int mode : kModes)
        EXPECT_EQ(
            ReadBody(SmfFile({track}), mode),
            (Lines{"delta 0", "tempo 500000", "delta 0", "on 0 60 100", "delta 0", "meta 51 07 A1", "delta 0",
                   "meta 58 06 1F 18 08", "delta 0", "meta 59 F8 00", "delta 0", "keysig -7 1", "delta 0",
                   "meta 00 05", "delta 0", "text 07 cuepoint 'cp'", "delta 0", "text 08 - 'z'"}));
}

TEST(MidiRead, OutOfRangeControllerAndProgramWarnButArrive) {
    for (int mode : kModes)
        EXPECT_EQ(ReadBody(SmfFile({{0x00, 0xB0, 0x07, 0x90, 0x00, 0xC0, 0x80}}), mode),
                  (Lines{"delta 0", "warning: invalid control value used", "cc 0 7 144", "delta 0",
                         "warning: invalid program used", "program 0 128"}));
}

TEST(MidiRead, EndOfTrackEndsTheTrackAndSkipsWhatFollows) {
    const Bytes t1 = {0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 0x3C, 0x64, 0xF4, 0xF4};
    const Bytes t2 = {0x00, 0x91, 0x3C, 0x64};
    for (int mode : kModes) {
        EXPECT_EQ(ReadBody(SmfFile({t1, t2}), mode, 0, 1), (Lines{"delta 0", "endoftrack"}));
        EXPECT_EQ(ReadBody(SmfFile({t1, t2}), mode, 0, 2), (Lines{"delta 0", "on 1 60 100"}));
    }
}

TEST(MidiRead, OtherChunksAndLongerHeadersAreSkipped) {
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 8,   0,   1,   0,   1, 0, 96, 0xAA, 0xBB, 'X',  'F',  'I', 'H',
                  0,   0,   0,   3,   1, 2, 3, 'M', 'T', 'r', 'k', 0, 0, 0,  4,    0x00, 0x90, 0x3C, 0x64};
    for (int mode : kModes) EXPECT_EQ(ReadBody(file, mode), (Lines{"delta 0", "on 0 60 100"}));
}

TEST(MidiRead, EscapePacketsAreTakenByTheirLength) {
    const Bytes track = {0x00, 0xF7, 0x03, 0x43, 0x12, 0x00, 0x00, 0xF7, 0x00, 0x00, 0x90, 0x3C, 0x64};
    for (int mode : kModes)
        EXPECT_EQ(ReadBody(SmfFile({track}), mode),
                  (Lines{"delta 0", "escape 43 12 00", "delta 0", "escape", "delta 0", "on 0 60 100"}));
}

TEST(MidiRead, ExclusiveDataIsTakenByItsDeclaredLengthWheneverItFits) {
    struct Case {
        const char* name;
        Bytes track;
        Lines want;
    };
    const Case cases[] = {
        {"an empty message leaves the events after it alone",
         {0x00, 0xF0, 0x00, 0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x01, 0xF7, 0x00, 0x80, 0x3C, 0x40},
         {"delta 0", "sysex", "delta 0", "on 0 60 64", "delta 0", "sysex F7", "delta 0", "off 0 60 64"}},
        {"a message sent in two packets: F0 without F7, then an escape",
         {0x00, 0xF0, 0x03, 0x43, 0x10, 0x4C, 0x10, 0xF7, 0x03, 0x00, 0x7E, 0xF7, 0x00, 0x90, 0x3C, 0x40},
         {"delta 0", "sysex 43 10 4C", "delta 16", "escape 00 7E F7", "delta 0", "on 0 60 64"}},
        {"an F7 inside the declared data does not end it",
         {0x00, 0xF0, 0x04, 0x01, 0xF7, 0x02, 0xF7, 0x00, 0x90, 0x3C, 0x40},
         {"delta 0", "sysex 01 F7 02 F7", "delta 0", "on 0 60 64"}},
        {"a length that passes the track end falls back to the next F7",
         {0x00, 0xF0, 0x43, 0x10, 0xF7, 0x00, 0x90, 0x3C, 0x40},
         {"delta 0", "sysex 43 10 F7", "delta 0", "on 0 60 64"}},
        {"a two-byte length field",
         [] {
             Bytes t = {0x00, 0xF0, 0x81, 0x00};
             t.insert(t.end(), 128, 0x11);
             t.insert(t.end(), {0x00, 0x90, 0x3C, 0x40});
             return t;
         }(),
         {"delta 0", LogReader::bytes(128, Bytes(128, 0x11).data()).insert(0, "sysex"), "delta 0",
          "on 0 60 64"}},
    };
    for (const auto& c : cases)
        for (int mode : kModes) EXPECT_EQ(ReadBody(SmfFile({c.track}), mode), c.want) << c.name;
}

TEST(MidiRead, TrackChannelComesFromTheFirstBufferInWindowMode) {
    Bytes track;
    for (int i = 0; i < 400; ++i) track.insert(track.end(), {0x00, 0x92, 0x3C, 0x64});
    track.insert(track.end(), {0x00, 0x93, 0x3C, 0x64});
    const Bytes single = {0x00, 0xFF, 0x03, 0x01, 'x', 0x00, 0xF0, 0x02, 0x01, 0xF7, 0x00, 0xC5, 0x01};
    const Bytes none = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
    // Exclusive events are stepped over by their declared lengths, escapes included.
    const Bytes escapeFirst = {0x00, 0xF7, 0x02, 0x01, 0x02, 0x00, 0x93, 0x3C, 0x64};
    const Bytes dividedFirst = {0x00, 0xF0, 0x02, 0x43, 0x10, 0x00, 0xF7, 0x01, 0xF7, 0x00, 0x94, 0x3C, 0x64};
    struct Channels : MidiRead {
        using MidiRead::MidiRead;
        std::vector<int> seen;
        void OnTrackStart(int, int64_t, int channel) override { seen.push_back(channel); }
    };
    TempFile f(SmfFile({track, single, none, escapeFirst, dividedFirst}));
    Channels window(f.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(window.ReadAll(), 1);
    EXPECT_EQ(window.seen, (std::vector<int>{2, 5, MidiRead::NOCHANNEL, 3, 4}));
    Channels whole(f.path(), nullptr, MidiBuffer::WholeFileRead);
    ASSERT_EQ(whole.ReadAll(), 1);
    EXPECT_EQ(whole.seen, (std::vector<int>{MidiRead::MULTICHANNEL, 5, MidiRead::NOCHANNEL, 3, 4}));
}

struct Clocked : MidiRead {
    using MidiRead::MidiRead;
    std::vector<std::pair<int, uint64_t>> onsets;  // (track, TrackMillis) at each note-on
    void OnNoteOn(int, int, int) override { onsets.emplace_back(CurrentTrack(), TrackMillis); }
};

TEST(MidiRead, MillisecondClockIsExactAndCarriesTheTempoAcrossTracks) {
    // Division 96, tempo 500000, 7 ticks: 3500000 / 96000 = 36 ms and 44000 over.
    struct AtNote : MidiRead {
        using MidiRead::MidiRead;
        uint64_t millis = 0, remainder = 0;
        void OnNoteOn(int, int, int) override { millis = TrackMillis, remainder = MillisRemainder; }
    };
    TempFile f(SmfFile({{0x07, 0x90, 0x3C, 0x64}}, 0, 96));
    AtNote r(f.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(r.ReadAll(), 1);
    EXPECT_EQ(r.millis, 36u);
    EXPECT_EQ(r.remainder, 44000u);

    // Track 1 sets 500000 then 250000; track 2 starts at 250000 us per quarter.
    const Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x60, 0xFF,
                         0x51, 0x03, 0x03, 0xD0, 0x90, 0x60, 0x90, 0x3C, 0x64};
    const Bytes notes = {0x60, 0x91, 0x3C, 0x64, 0x81, 0x40, 0x3E, 0x64};
    TempFile g(SmfFile({tempo, notes}, 1, 96));
    for (int mode : kModes) {
        Clocked c(g.path(), nullptr, mode);
        ASSERT_EQ(c.ReadAll(), 1);
        EXPECT_EQ(c.onsets, (std::vector<std::pair<int, uint64_t>>{{1, 750}, {2, 250}, {2, 750}}));
    }
}

TEST(MidiRead, ClockHasNoDriftOverManySmallDeltas) {
    Bytes track;
    for (int i = 0; i < 10000; ++i) track.insert(track.end(), {0x01, 0xF8});
    track.insert(track.end(), {0x00, 0x90, 0x3C, 0x64});
    TempFile f(SmfFile({track}, 0, 7));  // 500000 / 7000: a remainder on every tick
    Clocked c(f.path(), nullptr, MidiBuffer::WholeFileRead);
    ASSERT_EQ(c.ReadAll(), 1);
    ASSERT_EQ(c.onsets.size(), 1u);
    EXPECT_EQ(c.onsets[0].second, 10000ull * 500000 / 7000);
}

TEST(MidiRead, ClockStaysExactAtTheExtremes) {
    __extension__ typedef unsigned __int128 UInt128;
    struct Clock : MidiRead {
        using MidiRead::MidiRead;
        void Set(uint32_t division, uint32_t tempo) {
            divisionMillis_ = uint64_t{division} * 1000;
            CurrentTempo = tempo;
            TrackMillis = MillisRemainder = 0;
        }
        uint64_t D() const { return divisionMillis_; }
    };
    Clock c(nullptr, nullptr, MidiBuffer::WindowRead);
    const uint32_t divisions[] = {1, 7, 96, 480, 0x7FFF, 0xFFFF};
    const uint32_t tempos[] = {0, 1, 999, 500000, 0xFFFFFF};
    const uint32_t deltas[] = {1, 3, 127, 96000, 0xFFFFFF};
    for (uint32_t division : divisions)
        for (uint32_t tempo : tempos) {
            c.Set(division, tempo);
            UInt128 total = 0;
            for (int round = 0; round < 50; ++round)
                for (uint32_t ticks : deltas) {
                    c.AdvanceClock(ticks);
                    total += UInt128{ticks} * tempo;
                }
            ASSERT_LT(c.MillisRemainder, c.D());
            EXPECT_TRUE(UInt128{c.TrackMillis} * c.D() + c.MillisRemainder == total)
                << division << " " << tempo;
        }
}

TEST(MidiRead, ProgressRunsFromZeroToOneHundredAndRepeatsOnASecondReading) {
    Bytes track;
    for (int i = 0; i < 2000; ++i) track.insert(track.end(), {0x00, 0x90, 0x3C, 0x64});
    TempFile f(SmfFile({track}));
    LogReader r(f.path(), nullptr, MidiBuffer::WindowRead, true);
    for (int reading = 0; reading < 2; ++reading) {
        r.log.clear();
        ASSERT_EQ(r.ReadAll(), 1);
        std::vector<int> percents;
        for (const auto& l : r.log)
            if (l.rfind("progress ", 0) == 0) percents.push_back(std::stoi(l.substr(9)));
        ASSERT_FALSE(percents.empty());
        EXPECT_EQ(percents.front(), 0);
        EXPECT_EQ(percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
        EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end() - 1), percents.end() - 1);
    }
}

TEST(MidiRead, LongMetaAndExclusiveStayInTheFileInWindowMode) {
    Bytes track = {0x00, 0xFF, 0x01, 0x88, 0x68};  // 1128 bytes of text
    track.insert(track.end(), 1128, 'a');
    track.insert(track.end(), {0x00, 0x90, 0x3C, 0x64});
    TempFile f(SmfFile({track}));
    LogReader window(f.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(window.ReadAll(), 1);
    EXPECT_EQ(window.Body(), (Lines{"delta 0", "metainfile 01 27 1128", "delta 0", "on 0 60 100"}));
    LogReader whole(f.path(), nullptr, MidiBuffer::WholeFileRead);
    ASSERT_EQ(whole.ReadAll(), 1);
    EXPECT_EQ(whole.Body()[1], "text 01 text '" + std::string(1128, 'a') + "'");

    Bytes escape = {0x00, 0xF7, 0x88, 0x68};  // an escape packet of 1128 bytes stays an escape
    escape.insert(escape.end(), 1128, 0x22);
    TempFile g(SmfFile({escape}));
    LogReader windowEscape(g.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(windowEscape.ReadAll(), 1);
    EXPECT_EQ(windowEscape.Body(), (Lines{"delta 0", "escapeinfile 26 1128"}));
}

TEST(MidiRead, AnAbortFromACallbackStopsTheReading) {
    struct Aborting : LogReader {
        using LogReader::LogReader;
        void OnNoteOn(int c, int k, int v) override {
            LogReader::OnNoteOn(c, k, v);
            Aborted = true;
        }
    };
    TempFile f(SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00, 0x3E, 0x64}, {0x00, 0x91, 0x3C, 0x64}}));
    Aborting r(f.path(), nullptr, MidiBuffer::WindowRead);
    EXPECT_EQ(r.ReadAll(), 0);
    EXPECT_EQ(r.log, (Lines{"header 1 2 96", "trackstart 1 7 0", "delta 0", "on 0 60 100"}));
}

TEST(MidiRead, ErrorReportedByASubclassMeansNoSuccess) {
    struct Complaining : LogReader {
        using LogReader::LogReader;
        void OnHeader(int, int, int) override { ReportError("out of memory"); }
    };
    TempFile f(SmfFile({{0x00, 0x90, 0x3C, 0x64}}));
    Complaining r(f.path(), nullptr, MidiBuffer::WindowRead);
    EXPECT_EQ(r.ReadAll(), 0);
    EXPECT_EQ(r.log, (Lines{"error: out of memory"}));
}

}  // namespace
}  // namespace midifile::testing
