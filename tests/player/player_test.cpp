// The MIDI file player on a virtual clock through the recording output: what it sends, when, and
// that nothing is left sounding.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "platform/midi_out.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/recording_output.h"
#include "player/midi_file_player.h"
#include "tests/midifile/support/temp_files.h"
#include "tests/player/support/song_files.h"
#include "tests/player/support/virtual_clock.h"

namespace player::testing {
namespace {

using Lines = std::vector<std::string>;
using midifile::MidiWrite;
using platform::testing::OutputEvent;

class PlayerTest : public ::testing::Test {
  protected:
    PlayerTest() {
        auto backend = std::make_unique<platform::testing::RecordingOutput>(log_, fake_);
        backend_ = backend.get();
        registry_ = std::make_unique<platform::MidiOutRegistry>(std::move(backend));
        player_ = std::make_unique<MidiFilePlayer>(*registry_, clock_);
    }
    ~PlayerTest() override { player_.reset(); }

    // Everything the output received since `from`, times in ms from the first event logged:
    // "open -1", "<ms> <bytes>", "close -1".
    Lines Sent(size_t from = 0) {
        Lines out;
        const auto events = log_->since(from);
        for (const auto& e : events) {
            char ms[32];
            std::snprintf(ms, sizeof ms, "%g", e.ms - startMs_);
            switch (e.kind) {
                case OutputEvent::Kind::Open:
                    out.push_back("open " + std::to_string(e.device));
                    break;
                case OutputEvent::Kind::Close:
                    out.push_back("close " + std::to_string(e.device));
                    break;
                case OutputEvent::Kind::Reset:
                    out.push_back("reset " + std::to_string(e.device));
                    break;
                case OutputEvent::Kind::Short: {
                    std::string line = ms;
                    for (uint8_t b : e.bytes) {
                        char hex[4];
                        std::snprintf(hex, sizeof hex, " %02X", b);
                        line += hex;
                    }
                    out.push_back(line);
                    break;
                }
            }
        }
        return out;
    }
    void MarkStart() { startMs_ = fake_.ms(); }
    double Ms(double fromStart) const { return startMs_ + fromStart; }

    double startMs_ = 0;
    platform::testing::FakeClock fake_;
    std::shared_ptr<platform::testing::OutputLog> log_ = std::make_shared<platform::testing::OutputLog>();
    platform::testing::RecordingOutput* backend_ = nullptr;
    std::unique_ptr<platform::MidiOutRegistry> registry_;
    VirtualClock clock_{fake_};
    std::unique_ptr<MidiFilePlayer> player_;
};

struct SongCase {
    const char* name;
    int format;
    int division;
    std::vector<Track> tracks;
    int stripEndOfTrack;  // 1-based track whose end-of-track event is taken off; 0 none
    uint64_t lengthMs;
    Lines sent;  // between "open -1" and "close -1"
};

const std::vector<SongCase>& SongCases() {
    static const std::vector<SongCase> cases = {
        {"one_tempo",
         0,
         96,
         {[](MidiWrite& w) {
             w.WriteTempo(600000);
             w.WriteProgramChange(0, 0);
             w.WriteNoteOn(0, 60, 100);
             w.AddDelta(96);
             w.WriteNoteOff(0, 60, 64);
             w.WriteNoteOn(0, 64, 90);
             w.AddDelta(96);
             w.WriteNoteOff(0, 64, 0);
             w.AddDelta(48);  // the pause before the end of the track counts
         }},
         0,
         1500,
         {"0 C0 00", "0 90 3C 64", "600 80 3C 40", "600 90 40 5A", "1200 90 40 00"}},
        {"tempo_changes_in_the_first_track_govern_every_track",
         1,
         96,
         {[](MidiWrite& w) {
              w.WriteTempo(500000);
              w.AddDelta(192);
              w.WriteTempo(250000);
              w.AddDelta(192);
              w.WriteTempo(1000000);
          },
          [](MidiWrite& w) {
              for (int i = 0; i < 3; ++i) {
                  w.WriteNoteOn(1, 60 + 2 * i, 100);
                  w.AddDelta(96);
                  w.WriteNoteOff(1, 60 + 2 * i, 0);
                  w.AddDelta(96);
              }
          },
          [](MidiWrite& w) {
              w.AddDelta(192);
              w.WriteNoteOn(2, 48, 100);
              w.AddDelta(192);
              w.WriteNoteOff(2, 48, 64);
          }},
         0,
         3500,
         {"0 91 3C 64", "500 91 3C 00", "1000 91 3E 64", "1000 92 30 64", "1250 91 3E 00", "1500 91 40 64",
          "1500 82 30 40", "2500 91 40 00"}},
        {"format_0_with_many_channels_keeps_the_order_of_the_file",
         0,
         480,
         {[](MidiWrite& w) {
             w.WriteControlChange(0, 7, 100);
             w.WriteProgramChange(1, 33);
             w.WriteNoteOn(9, 36, 120);
             w.WriteNoteOn(0, 60, 90);
             w.WriteNoteOn(1, 40, 80);
             w.AddDelta(48);
             w.WritePitchBend(0, 8292);
             w.WritePolyPressure(0, 60, 30);
             w.WriteChannelPressure(1, 20);
             w.AddDelta(48);
             w.WriteNoteOff(9, 36, 0);
             w.AddDelta(384);
             w.WriteNoteOff(0, 60, 0);
             w.WriteNoteOff(1, 40, 0);
         }},
         0,
         500,
         {"0 B0 07 64", "0 C1 21", "0 99 24 78", "0 90 3C 5A", "0 91 28 50", "50 E0 64 40", "50 A0 3C 1E",
          "50 D1 14", "100 89 24 00", "500 80 3C 00", "500 81 28 00"}},
        {"running_status_stream",
         0,
         96,
         {[](MidiWrite& w) {
             for (int k = 0; k < 4; ++k) {
                 w.WriteNoteOn(0, 60 + k, 100);
                 w.AddDelta(24);
                 w.WriteNoteOff(0, 60 + k, 0);
             }
         }},
         0,
         500,
         {"0 90 3C 64", "125 90 3C 00", "125 90 3D 64", "250 90 3D 00", "250 90 3E 64", "375 90 3E 00",
          "375 90 3F 64", "500 90 3F 00"}},
        {"exclusive_messages_whole_divided_and_escaped",
         0,
         96,
         {[](MidiWrite& w) {
             w.WriteGmSystemOn();
             const uint8_t first[] = {0x43, 0x10, 0x4C, 0x00};
             const uint8_t rest[] = {0x00, 0x7E, 0x00, 0xF7};
             const uint8_t escapedNote[] = {0x92, 0x40, 0x50};
             w.WriteExclusive(0xF0, sizeof first, first);
             w.AddDelta(48);
             w.WriteExclusive(0xF7, sizeof rest, rest);  // the message goes out whole, now
             w.AddDelta(48);
             w.WriteExclusive(0xF7, sizeof escapedNote, escapedNote);
             w.AddDelta(48);
             w.WriteNoteOff(2, 0x40, 64);
         }},
         0,
         750,
         {"0 F0 7E 7F 09 01 F7", "250 F0 43 10 4C 00 00 7E 00 F7", "500 92 40 50", "750 82 40 40"}},
        {"an_empty_track_chunk_among_others",
         1,
         96,
         {[](MidiWrite& w) { w.WriteTempo(500000); }, [](MidiWrite&) {},
          [](MidiWrite& w) {
              w.WriteNoteOn(0, 60, 100);
              w.AddDelta(96);
              w.WriteNoteOff(0, 60, 0);
          }},
         2,
         500,
         {"0 90 3C 64", "500 90 3C 00"}},
        {"a_file_without_end_of_track_ends_at_its_last_event",
         0,
         96,
         {[](MidiWrite& w) {
             w.WriteNoteOn(0, 60, 100);
             w.AddDelta(96);
             w.WriteNoteOff(0, 60, 0);
             w.AddDelta(96);
             w.WriteControlChange(0, 10, 64);
             w.AddDelta(96);  // only the end-of-track taken off stood here
         }},
         1,
         1000,
         {"0 90 3C 64", "500 90 3C 00", "1000 B0 0A 40"}},
        {"notes_and_pedal_left_down_are_ended_at_the_end",
         0,
         96,
         {[](MidiWrite& w) {
             w.WriteControlChange(3, 64, 127);
             w.WriteNoteOn(3, 60, 100);
             w.WriteNoteOn(3, 60, 100);
             w.WriteNoteOn(3, 67, 100);
             w.AddDelta(96);
             w.WriteNoteOff(3, 67, 0);
             w.AddDelta(96);
         }},
         0,
         1000,
         // Key 60, struck twice, is ended once.
         {"0 B3 40 7F", "0 93 3C 64", "0 93 3C 64", "0 93 43 64", "500 93 43 00", "1000 83 3C 40",
          "1000 B3 40 00"}},
        {"frame_timing_ignores_tempo",
         0,
         0xE728,  // 25 frames of 40 ticks: a tick is 1 ms
         {[](MidiWrite& w) {
             w.WriteTempo(250000);
             w.WriteNoteOn(0, 60, 100);
             w.AddDelta(500);
             w.WriteNoteOff(0, 60, 0);
         }},
         0,
         500,
         {"0 90 3C 64", "500 90 3C 00"}},
    };
    return cases;
}

class SongPlays : public PlayerTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(SongPlays, ExactLengthSequenceAndTimes) {
    const SongCase& c = SongCases()[GetParam()];
    midifile::testing::TempFile file;
    ASSERT_TRUE(WriteSong(file.path(), c.format, c.division, c.tracks));
    if (c.stripEndOfTrack != 0) {
        ASSERT_TRUE(StripEndOfTrack(file.path(), c.stripEndOfTrack));
    }

    ASSERT_TRUE(player_->Open(file.path(), platform::MIDI_MAPPER)) << player_->LastError();
    EXPECT_EQ(player_->LengthMs(), c.lengthMs);
    EXPECT_EQ(player_->PositionMs(), 0u);
    MarkStart();
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_FALSE(player_->IsPlaying());
    EXPECT_EQ(player_->PositionMs(), c.lengthMs);

    Lines want = {"open -1"};
    want.insert(want.end(), c.sent.begin(), c.sent.end());
    want.push_back("close -1");
    EXPECT_EQ(Sent(), want);
    // Playing lasts the whole length: the device closes at the end, not at the last event.
    EXPECT_DOUBLE_EQ(log_->events().back().ms, Ms(static_cast<double>(c.lengthMs)));
}

INSTANTIATE_TEST_SUITE_P(Table, SongPlays, ::testing::Range<size_t>(0, SongCases().size()),
                         [](const auto& param_info) {
                             return std::string(SongCases()[param_info.param].name);
                         });

// A chord under the pedal, a melody note later; everything ends at 4 s.
void WriteHeldChord(const char* path) {
    ASSERT_TRUE(WriteSong(path, 0, 96, {[](MidiWrite& w) {
                              w.WriteControlChange(0, 64, 127);
                              for (int key : {60, 64, 67}) w.WriteNoteOn(0, key, 90);
                              w.AddDelta(96);
                              w.WriteNoteOn(5, 72, 100);  // 500 ms
                              w.AddDelta(96);
                              w.WriteNoteOff(5, 72, 64);  // 1000 ms
                              w.AddDelta(96);
                              w.WriteNoteOn(5, 74, 100);  // 1500 ms
                              w.AddDelta(480);
                              for (int key : {60, 64, 67}) w.WriteNoteOff(0, key, 0);
                              w.WriteNoteOff(5, 74, 0);
                              w.WriteControlChange(0, 64, 0);
                          }}));
}

TEST_F(PlayerTest, StopInMidPlayEndsEverySoundingNoteAndResumesFromThePosition) {
    midifile::testing::TempFile file;
    WriteHeldChord(file.path());
    ASSERT_TRUE(player_->Open(file.path(), 1));
    clock_.SetStepping(true);
    MarkStart();
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(clock_.AdvanceTo(Ms(700)));
    EXPECT_TRUE(player_->IsPlaying());
    EXPECT_EQ(player_->PositionMs(), 700u);
    const size_t before = log_->size();
    player_->Stop();
    EXPECT_FALSE(player_->IsPlaying());
    EXPECT_EQ(player_->PositionMs(), 700u);
    EXPECT_EQ(Sent(before), (Lines{"700 80 3C 40", "700 80 40 40", "700 80 43 40", "700 B0 40 00",
                                   "700 85 48 40", "close 1"}));

    // Play goes on from 700 ms: the next event comes 800 ms later, and a second stop ends only
    // what sounds by then.
    fake_.advanceMs(300);  // nothing plays meanwhile
    const size_t resumed = log_->size();
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(clock_.AdvanceTo(Ms(2000)));
    EXPECT_EQ(player_->PositionMs(), 1700u);
    player_->Stop();
    EXPECT_EQ(Sent(resumed), (Lines{"open 1", "1300 85 48 40", "1800 95 4A 64", "2000 85 4A 40", "close 1"}));
}

TEST_F(PlayerTest, OpeningAnotherFileEndsTheNotesOfTheOneThatPlays) {
    midifile::testing::TempFile file;
    WriteHeldChord(file.path());
    midifile::testing::TempFile damaged(midifile::testing::SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00, 0xF4}}));
    ASSERT_TRUE(player_->Open(file.path(), platform::MIDI_MAPPER));
    clock_.SetStepping(true);
    MarkStart();
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(clock_.AdvanceTo(Ms(100)));
    const size_t before = log_->size();
    EXPECT_FALSE(player_->Open(damaged.path(), platform::MIDI_MAPPER));
    EXPECT_FALSE(player_->IsOpen());
    EXPECT_FALSE(player_->IsPlaying());
    EXPECT_EQ(Sent(before),
              (Lines{"100 80 3C 40", "100 80 40 40", "100 80 43 40", "100 B0 40 00", "close -1"}));
    EXPECT_EQ(player_->LengthMs(), 0u);
    EXPECT_NE(player_->Play(), platform::MMSYSERR_NOERROR);
}

// A well-formed file one byte over the size the player reads: a track padded with a text meta.
midifile::testing::Bytes TooLarge() {
    midifile::testing::Bytes track = {0x00, 0x90, 0x3C, 0x64, 0x00, 0xFF, 0x01, 0x84, 0x80, 0x80, 0x00};
    midifile::testing::Bytes file = midifile::testing::SmfFile({track});
    file.resize(kMaxSongFileBytes + 1, 0x20);
    return file;
}

TEST_F(PlayerTest, ADamagedFileReportsFailureAndSendsNothing) {
    struct Damaged {
        const char* name;
        midifile::testing::Bytes bytes;
        const char* error;
    };
    const Damaged cases[] = {
        {"cut_in_a_note", midifile::testing::SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x10, 0x90, 0x3E}}),
         "unexpected end of file"},
        {"bad_status", midifile::testing::SmfFile({{0x00, 0x90, 0x3C, 0x64, 0x00, 0xF4}}),
         "unexpected command byte F4"},
        {"not_a_midi_file", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, "missing midi header MThd"},
        {"format_2", midifile::testing::SmfFile({{0x00, 0x90, 0x3C, 0x64}}, 2),
         "format 2 files are not played"},
        {"division_0", midifile::testing::SmfFile({{0x00, 0x90, 0x3C, 0x64}}, 1, 0), "no timing: division 0"},
        {"no_tracks", midifile::testing::SmfFile({}, 1), "the file holds no tracks: nothing to play"},
        {"too_large", TooLarge(), "the file is larger than 8 MB"},
    };
    for (const auto& c : cases) {
        midifile::testing::TempFile f(c.bytes);
        EXPECT_FALSE(player_->Open(f.path(), platform::MIDI_MAPPER)) << c.name;
        EXPECT_EQ(player_->LastError(), std::string(f.path()) + ": " + c.error) << c.name;
        EXPECT_FALSE(player_->IsOpen()) << c.name;
        EXPECT_NE(player_->Play(), platform::MMSYSERR_NOERROR) << c.name;
        EXPECT_FALSE(player_->IsPlaying()) << c.name;
    }
    EXPECT_FALSE(player_->Open("/nonexistent/quintora/song.mid", platform::MIDI_MAPPER));
    EXPECT_EQ(player_->LastError(), "/nonexistent/quintora/song.mid: cannot open file");
    EXPECT_EQ(log_->size(), 0u);
}

TEST_F(PlayerTest, ADeviceThatCannotBeOpenedStartsNothing) {
    midifile::testing::TempFile file;
    WriteHeldChord(file.path());
    ASSERT_TRUE(player_->Open(file.path(), 0));
    backend_->failOpen(0, platform::MMSYSERR_ALLOCATED);
    EXPECT_EQ(player_->Play(), platform::MMSYSERR_ALLOCATED);
    EXPECT_FALSE(player_->IsPlaying());
    EXPECT_EQ(log_->size(), 0u);
    backend_->failOpen(0, platform::MMSYSERR_NOERROR);
    EXPECT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    EXPECT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
}

TEST_F(PlayerTest, AFileThatPlayedToItsEndPlaysAgainFromTheStart) {
    midifile::testing::TempFile file;
    ASSERT_TRUE(WriteSong(file.path(), 0, 96, {[](MidiWrite& w) {
                              w.WriteNoteOn(0, 60, 100);
                              w.AddDelta(96);
                              w.WriteNoteOff(0, 60, 0);
                          }}));
    ASSERT_TRUE(player_->Open(file.path(), platform::MIDI_MAPPER));
    for (int round = 0; round < 2; ++round) {
        const size_t from = log_->size();
        MarkStart();
        ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
        ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
        EXPECT_EQ(Sent(from), (Lines{"open -1", "0 90 3C 64", "500 90 3C 00", "close -1"})) << round;
    }
    player_->Close();
    EXPECT_FALSE(player_->IsOpen());
    EXPECT_EQ(player_->LengthMs(), 0u);
}

TEST_F(PlayerTest, AMessageTheDeviceRefusesIsReportedOncePerFileAndPlayingGoesOn) {
    midifile::testing::TempFile file;
    WriteHeldChord(file.path());
    ASSERT_TRUE(player_->Open(file.path(), platform::MIDI_MAPPER));
    backend_->failSends(platform::MIDIERR_TOOLARGE);
    EXPECT_EQ(player_->TakeFailure(), "") << "nothing has failed yet";
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_EQ(player_->PositionMs(), player_->LengthMs()) << "played to its end";
    EXPECT_EQ(player_->TakeFailure(), std::string(file.path()) +
                                          ": the MIDI output device did not take a message of the file: " +
                                          platform::midiErrorText(platform::MIDIERR_TOOLARGE));
    // Once per file: playing it again reports nothing more; opening it afresh does.
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_EQ(player_->TakeFailure(), "");
    ASSERT_TRUE(player_->Open(file.path(), platform::MIDI_MAPPER));
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_NE(player_->TakeFailure(), "");
}

TEST_F(PlayerTest, LengthAndPositionRoundToTheNearestMillisecond) {
    // Three ticks a quarter at 120 beats a minute: a tick is 166.667 ms.
    midifile::testing::TempFile file;
    ASSERT_TRUE(WriteSong(file.path(), 0, 3, {[](MidiWrite& w) {
                              w.WriteNoteOn(0, 60, 100);
                              w.AddDelta(1);
                              w.WriteNoteOff(0, 60, 0);
                          }}));
    ASSERT_TRUE(player_->Open(file.path(), platform::MIDI_MAPPER));
    EXPECT_EQ(player_->LengthMs(), 167u);
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_EQ(player_->PositionMs(), 167u);
}

TEST_F(PlayerTest, TheDeviceGoingAwayEndsThePlaying) {
    midifile::testing::TempFile file;
    WriteHeldChord(file.path());
    ASSERT_TRUE(player_->Open(file.path(), 0));
    clock_.SetStepping(true);
    MarkStart();
    ASSERT_EQ(player_->Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(clock_.AdvanceTo(Ms(100)));
    // Replacing the backend closes every open port; the next send finds the handle gone.
    registry_->setBackend(std::make_unique<platform::testing::RecordingOutput>(log_, fake_));
    clock_.SetStepping(false);
    clock_.wake();
    ASSERT_TRUE(player_->WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_EQ(player_->LastError(), "the MIDI output device failed while playing");
    EXPECT_NE(player_->TakeFailure(), "") << "the page is told";
    EXPECT_EQ(player_->PositionMs(), 500u);
}

}  // namespace
}  // namespace player::testing
