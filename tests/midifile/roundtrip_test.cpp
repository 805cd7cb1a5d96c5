// Writer then reader: the events written come back as the same callbacks, in both buffer modes.
#include <gtest/gtest.h>

#include <functional>

#include "fuzz/midifile/copy_reader.h"
#include "midifile/MidiRead.h"
#include "midifile/MidiWrite.h"
#include "tests/midifile/support/log_reader.h"
#include "tests/midifile/support/temp_files.h"

namespace midifile::testing {
namespace {

using Lines = std::vector<std::string>;

struct Case {
    const char* name;
    std::function<void(MidiWrite&)> body;
    Lines expected;             // the reader's log of the track body
    Bytes trackBytes = {};      // when given, the track chunk's data byte for byte
    Lines windowExpected = {};  // when the 1024-byte window reads it differently
};

Lines Concat(std::initializer_list<Lines> parts) {
    Lines out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Lines ManyNotes(int n) {
    Lines out;
    for (int i = 0; i < n; ++i) {
        out.push_back("delta 1");
        out.push_back("on 3 " + std::to_string(i % 128) + " 100");
    }
    return out;
}

const Bytes kLongSysex = [] {
    Bytes b = {0x43};
    for (int i = 0; i < 2000; ++i) b.push_back(static_cast<uint8_t>(i & 0x7F));
    b.push_back(0xF7);
    return b;
}();

std::string SysexLine(const Bytes& data) {
    return "sysex" + LogReader::bytes(static_cast<int64_t>(data.size()), data.data());
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"note_on_and_off_under_running_status",
         [](MidiWrite& w) {
             w.AddDelta(0);
             w.WriteNoteOn(0, 60, 100);
             w.AddDelta(96);
             w.WriteNoteOff(0, 60, 0);
         },
         {"delta 0", "on 0 60 100", "delta 96", "off 0 60 0", "delta 0", "endoftrack"},
         {0x00, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}},
        {"running_status_only_for_notes",
         [](MidiWrite& w) {
             w.WriteNoteOn(1, 60, 100);
             w.WriteNoteOn(1, 64, 90);
             w.WriteNoteOff(1, 60, 64);
             w.WriteProgramChange(1, 5);
             w.WriteProgramChange(1, 6);
             w.WriteControlChange(1, 7, 100);
             w.WriteControlChange(1, 10, 20);
             w.WriteNoteOn(2, 60, 1);
             w.WriteNoteOff(1, 60, 0);  // last status is channel 2's note-on: written out
         },
         {"delta 0",     "on 1 60 100", "delta 0",     "on 1 64 90", "delta 0",
          "off 1 60 64", "delta 0",     "program 1 5", "delta 0",    "program 1 6",
          "delta 0",     "cc 1 7 100",  "delta 0",     "cc 1 10 20", "delta 0",
          "on 2 60 1",   "delta 0",     "off 1 60 0",  "delta 0",    "endoftrack"},
         {0x00, 0x91, 0x3C, 0x64, 0x00, 0x40, 0x5A, 0x00, 0x81, 0x3C, 0x40, 0x00, 0xC1,
          0x05, 0x00, 0xC1, 0x06, 0x00, 0xB1, 0x07, 0x64, 0x00, 0xB1, 0x0A, 0x14, 0x00,
          0x92, 0x3C, 0x01, 0x00, 0x91, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}},
        {"meta_and_sysex_break_running_status",
         [](MidiWrite& w) {
             w.WriteNoteOn(0, 60, 100);
             w.WriteTempo(400000);
             w.WriteNoteOn(0, 62, 100);
             w.WriteGmSystemOn();
             w.WriteNoteOn(0, 64, 100);
         },
         {"delta 0", "on 0 60 100", "delta 0", "tempo 400000", "delta 0", "on 0 62 100", "delta 0", "gmon",
          "delta 0", "on 0 64 100", "delta 0", "endoftrack"},
         {0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x51, 0x03, 0x06, 0x1A, 0x80, 0x00, 0x90, 0x3E, 0x64, 0x00,
          0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0x90, 0x40, 0x64, 0x00, 0xFF, 0x2F, 0x00}},
        {"one_end_of_track",
         [](MidiWrite& w) {
             w.AddDelta(10);
             w.WriteEndOfTrack();
             w.WriteEndOfTrack();
         },
         {"delta 10", "endoftrack"},
         {0x0A, 0xFF, 0x2F, 0x00}},
        {"metas",
         [](MidiWrite& w) {
             w.WriteSequenceNumber(258);
             w.WriteText(0x03, "Piano");
             w.WriteText(0x01, 0, "ignored");
             w.WriteText(0x0A, "x");
             w.WriteChannelPrefix(9);
             w.WritePortPrefix(1);
             w.AddDelta(5);
             w.WriteTempo(600000);
             w.WriteTimeSignature(6, 8, 24, 8);
             w.WriteTimeSignature(3, 4, 24, 8);
             w.WriteKeySignature(-3, 1);
             w.WriteKeySignature(7, 0);
             w.WriteSmpteOffset(1, 2, 3, 4, 5, 6);
             const uint8_t seq[] = {1, 2, 3};
             w.WriteMeta(0x7F, 3, seq);
         },
         {"delta 0", "seqnum 258",       "delta 0", "text 03 trackname 'Piano'",
          "delta 0", "text 01 text ''",  "delta 0", "text 0A - 'x'",
          "delta 0", "channelprefix 9",  "delta 0", "portprefix 1",
          "delta 5", "tempo 600000",     "delta 0", "timesig 6 8 24 8",
          "delta 0", "timesig 3 4 24 8", "delta 0", "keysig -3 1",
          "delta 0", "keysig 7 0",       "delta 0", "smpte 1 2 3 4 5 6",
          "delta 0", "meta 7F 01 02 03", "delta 0", "endoftrack"}},
        {"resets_and_sysex",
         [](MidiWrite& w) {
             w.WriteGmSystemOn();
             w.WriteGsReset();
             w.WriteGsExit();
             w.WriteXgSystemOn();
             const uint8_t xg[] = {0x43, 0x10, 0x4C};
             w.WriteSysex(3, xg);
             const uint8_t withF0[] = {0xF0, 0x41, 0xF7, 0x55};
             w.WriteSysex(4, withF0);
             w.WriteSysex(0, nullptr);
         },
         {"delta 0", "gmon", "delta 0", "gsreset", "delta 0", "gsexit", "delta 0", "xgon", "delta 0",
          "sysex 43 10 4C F7", "delta 0", "sysex 41 F7", "delta 0", "sysex F7", "delta 0", "endoftrack"}},
        {"channel_and_system_messages",
         [](MidiWrite& w) {
             w.WritePolyPressure(4, 60, 33);
             w.WriteChannelPressure(4, 44);
             w.WritePitchBend(4, 16383);
             w.WritePitchBend(4, 8192);
             w.WriteSongPosition(300);
             w.WriteSongSelect(3);
             for (int s : {0xF6, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE}) w.WriteSystemByte(s);
             w.WriteControlChange(4, 0, 8);
             w.WriteControlChange(4, 32, 1);
             w.WriteControlChange(4, 64, 127);
             w.WriteControlChange(4, 101, 5);
         },
         {"delta 0", "polypressure 4 60 33",
          "delta 0", "pressure 4 44",
          "delta 0", "bend 4 16383",
          "delta 0", "bend 4 8192",
          "delta 0", "songpos 300",
          "delta 0", "songselect 3",
          "delta 0", "tunerequest",
          "delta 0", "clock",
          "delta 0", "start",
          "delta 0", "continue",
          "delta 0", "stop",
          "delta 0", "activesensing",
          "delta 0", "cc 4 0 8",
          "delta 0", "cc 4 32 1",
          "delta 0", "cc 4 64 127",
          "delta 0", "cc 4 101 5",
          "delta 0", "endoftrack"}},
        {"pitch_bend_range_folds",
         [](MidiWrite& w) {
             w.AddDelta(7);
             w.WriteControlChange(2, 101, 0);
             w.WriteControlChange(2, 100, 0);
             w.WriteControlChange(2, 6, 12);
         },
         {"delta 7", "bendrange 2 12", "delta 0", "endoftrack"}},
        {"track_longer_than_the_window",
         [](MidiWrite& w) {
             for (int i = 0; i < 600; ++i) {
                 w.AddDelta(1);
                 w.WriteNoteOn(3, i % 128, 100);
             }
         },
         Concat({ManyNotes(600), {"delta 0", "endoftrack"}})},
        {"sysex_longer_than_the_window",
         [](MidiWrite& w) {
             w.WriteSysex(static_cast<int64_t>(kLongSysex.size()), kLongSysex.data());
             w.WriteNoteOn(0, 1, 2);
         },
         {"delta 0", SysexLine(kLongSysex), "delta 0", "on 0 1 2", "delta 0", "endoftrack"},
         {},
         {"delta 0", "sysexinfile 26 2002", "delta 0", "on 0 1 2", "delta 0", "endoftrack"}},
        {"large_pause_ends_the_track",
         [](MidiWrite& w) {
             w.WriteNoteOn(0, 60, 1);
             w.AddDelta(0x1000000);
             w.WriteNoteOn(0, 61, 1);
         },
         {"delta 0", "on 0 60 1", "warning: Unrealistic large pause found"},
         {0x00, 0x90, 0x3C, 0x01, 0x88, 0x80, 0x80, 0x00, 0x3D, 0x01, 0x00, 0xFF, 0x2F, 0x00}},
        {"key_with_top_bit_keeps_its_status",
         [](MidiWrite& w) {
             w.WriteNoteOn(0, 60, 1);
             w.WriteNoteOn(0, 0xF4, 1);
         },
         {"delta 0", "on 0 60 1", "delta 0", "on 0 244 1", "delta 0", "endoftrack"},
         {0x00, 0x90, 0x3C, 0x01, 0x00, 0x90, 0xF4, 0x01, 0x00, 0xFF, 0x2F, 0x00}},
    };
    return cases;
}

class RoundTrip : public ::testing::TestWithParam<std::tuple<size_t, int>> {};

TEST_P(RoundTrip, ReaderGivesBackWhatTheWriterWrote) {
    const auto& c = Cases()[std::get<0>(GetParam())];
    const int mode = std::get<1>(GetParam());
    TempFile file;
    {
        MidiWrite w(file.path());
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        c.body(w);
        EXPECT_TRUE(w.Close());
    }
    const Bytes bytes = file.Read();
    if (!c.trackBytes.empty()) {
        ASSERT_GE(bytes.size(), 22u);
        EXPECT_EQ(Bytes(bytes.begin() + 22, bytes.end()), c.trackBytes);
    }
    LogReader r(file.path(), nullptr, mode);
    EXPECT_EQ(r.ReadAll(), 1) << ::testing::PrintToString(r.Errors());
    const Lines& want =
        (mode == MidiBuffer::WindowRead && !c.windowExpected.empty()) ? c.windowExpected : c.expected;
    EXPECT_EQ(r.Body(), want);
    EXPECT_EQ(r.log.front(), "header 0 1 96");
    EXPECT_EQ(r.log.back(), "eof");
}

INSTANTIATE_TEST_SUITE_P(Table, RoundTrip,
                         ::testing::Combine(::testing::Range<size_t>(0, Cases().size()),
                                            ::testing::Values(MidiBuffer::WindowRead,
                                                              MidiBuffer::WholeFileRead)),
                         [](const auto& param_info) {
                             return std::string(Cases()[std::get<0>(param_info.param)].name) +
                                    (std::get<1>(param_info.param) == MidiBuffer::WindowRead ? "_window"
                                                                                             : "_whole");
                         });

TEST(RoundTripFile, TheSmallestFileIsExactlyThirtyThreeBytes) {
    TempFile file;
    {
        MidiWrite w(file.path());
        w.WriteHeader(0, 1, 96);
        w.StartTrack();
        w.AddDelta(0);
        w.WriteNoteOn(0, 60, 100);
        w.AddDelta(96);
        w.WriteNoteOff(0, 60, 0);
        EXPECT_TRUE(w.Close());
    }
    EXPECT_EQ(file.Read(), (Bytes{0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,
                                  0x01, 0x00, 0x60, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x0B,
                                  0x00, 0x90, 0x3C, 0x64, 0x60, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(RoundTripFile, ACopyKeepsDividedMessagesAndEscapePacketsAsTheyStood) {
    Bytes track = {
        0x00, 0xF0, 0x00,                          // an empty message
        0x00, 0xF0, 0x03, 0x43, 0x10, 0x4C,        // first packet, no F7
        0x10, 0xF7, 0x03, 0x00, 0x7E, 0xF7,        // its continuation
        0x00, 0xF7, 0x00,                          // an empty escape
        0x00, 0xF0, 0x04, 0x01, 0xF7, 0x02, 0xF7,  // an F7 inside the data
        0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x88,
        0x68,  // 1128 bytes without F7: kept in the file in window mode
    };
    track.insert(track.end(), 1128, 0x11);
    track.insert(track.end(), {0x00, 0xF7, 0x88, 0x68});
    track.insert(track.end(), 1128, 0x22);
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    const Bytes original = SmfFile({track});
    TempFile in(original);
    for (int mode : {MidiBuffer::WindowRead, MidiBuffer::WholeFileRead}) {
        TempFile out;
        {
            MidiWrite w(out.path());
            fuzzing::CopyReader copy(in.path(), nullptr, mode, w);
            EXPECT_EQ(copy.ReadAll(), 1);
            EXPECT_TRUE(w.Close());
        }
        EXPECT_EQ(out.Read(), original) << mode;
    }
}

TEST(RoundTripFile, HeaderTrackCountIsPatchedToTheTracksWritten) {
    TempFile file;
    {
        MidiWrite w(file.path());
        w.WriteHeader(1, 5, 480);
        for (int t = 0; t < 3; ++t) {
            w.StartTrack();
            w.AddDelta(static_cast<uint32_t>(t));
            w.WriteNoteOn(t, 60, 100);
        }
        EXPECT_EQ(w.TrackCount(), 3);
        EXPECT_TRUE(w.Close());
    }
    const Bytes b = file.Read();
    EXPECT_EQ(b[10], 0);
    EXPECT_EQ(b[11], 3);
    for (int mode : {MidiBuffer::WindowRead, MidiBuffer::WholeFileRead}) {
        LogReader r(file.path(), nullptr, mode);
        ASSERT_EQ(r.ReadAll(), 1);
        EXPECT_EQ(r.log.front(), "header 1 3 480");
        for (int t = 0; t < 3; ++t)
            EXPECT_EQ(r.Body(t + 1), (Lines{"delta " + std::to_string(t),
                                            "on " + std::to_string(t) + " 60 100", "delta 0", "endoftrack"}));
    }
}

TEST(RoundTripFile, LargePauseWarnsOnWritingAndTheNextTrackReadsNormally) {
    TempFile file;
    struct Warned : MidiWrite {
        using MidiWrite::MidiWrite;
        std::vector<std::string> warnings;
        void OnWarning(const char* t) override { warnings.push_back(t); }
    };
    {
        Warned w(file.path());
        w.WriteHeader(1, 2, 96);
        w.StartTrack();
        w.AddDelta(0x1000000);
        w.WriteNoteOn(0, 60, 1);
        w.StartTrack();
        w.WriteNoteOn(1, 61, 1);
        EXPECT_EQ(w.warnings, (std::vector<std::string>{"generating unrealistic large pause"}));
        EXPECT_TRUE(w.Close());
    }
    LogReader r(file.path(), nullptr, MidiBuffer::WindowRead);
    ASSERT_EQ(r.ReadAll(), 1);
    EXPECT_EQ(r.Body(1), (Lines{"warning: Unrealistic large pause found"}));
    EXPECT_EQ(r.Body(2), (Lines{"delta 0", "on 1 61 1", "delta 0", "endoftrack"}));
}

}  // namespace
}  // namespace midifile::testing
