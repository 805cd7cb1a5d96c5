// The three jingles the build writes: each a few seconds of piano and drums that leave nothing
// sounding.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "platform/midi_out.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/recording_output.h"
#include "player/midi_file_player.h"
#include "player/song.h"
#include "tests/player/support/virtual_clock.h"

namespace player::testing {
namespace {

class Jingles : public ::testing::TestWithParam<const char*> {};

TEST_P(Jingles, AFewSecondsOfPianoAndDrumsThatEndEveryNote) {
    const std::string path = std::string(QUINTORA_JINGLE_DIR) + "/" + GetParam();
    Song song;
    std::string error;
    ASSERT_TRUE(LoadSong(path, song, error)) << path << ": " << error;
    EXPECT_GE(song.lengthUs, 2000000u);
    EXPECT_LE(song.lengthUs, 6000000u);

    bool pianoProgram = false;
    std::map<int, int> notesPerChannel;
    std::map<std::pair<int, int>, int> sounding;
    for (const auto& e : song.events) {
        const uint32_t m = e.shortMessage;
        const int status = static_cast<int>(m & 0xF0), channel = static_cast<int>(m & 0x0F);
        const int key = static_cast<int>((m >> 8) & 0x7F), velocity = static_cast<int>((m >> 16) & 0x7F);
        if (status == 0xC0 && key == 0) pianoProgram = true;
        if (status == 0x90 && velocity > 0) {
            ++notesPerChannel[channel];
            ++sounding[{channel, key}];
        } else if (status == 0x80 || status == 0x90) {
            --sounding[{channel, key}];
        }
    }
    EXPECT_TRUE(pianoProgram);
    EXPECT_GE(notesPerChannel[0], 8) << "a phrase on the piano";
    EXPECT_GE(notesPerChannel[9], 4) << "drums on channel 10";
    for (const auto& [note, count] : sounding) EXPECT_EQ(count, 0) << note.first << " " << note.second;

    // Played, it sends exactly the file's messages: the player has nothing left to end.
    platform::testing::FakeClock fake;
    auto log = std::make_shared<platform::testing::OutputLog>();
    platform::MidiOutRegistry registry(std::make_unique<platform::testing::RecordingOutput>(log, fake));
    VirtualClock clock(fake);
    MidiFilePlayer player(registry, clock);
    ASSERT_TRUE(player.Open(path, platform::MIDI_MAPPER));
    ASSERT_EQ(player.Play(), platform::MMSYSERR_NOERROR);
    ASSERT_TRUE(player.WaitUntilStopped(std::chrono::seconds(60)));
    EXPECT_EQ(log->messages().size(), song.events.size());
}

INSTANTIATE_TEST_SUITE_P(Files, Jingles, ::testing::Values("Rizori.mid", "Varoza.mid", "ORVX.mid"),
                         [](const auto& param_info) {
                             std::string name = param_info.param;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
}  // namespace player::testing
