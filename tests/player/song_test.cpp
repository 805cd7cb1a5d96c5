// What the player makes of a file before it plays: times on the tempo map and the exclusive
// messages it can send.
#include <gtest/gtest.h>

#include <string>

#include "player/song.h"
#include "tests/midifile/support/temp_files.h"
#include "tests/player/support/song_files.h"

namespace player::testing {
namespace {

using midifile::MidiWrite;

// "<ms> <bytes>" per event, times in milliseconds (fractions shown).
std::vector<std::string> Describe(const Song& song) {
    std::vector<std::string> out;
    for (const auto& e : song.events) {
        char line[64];
        std::snprintf(line, sizeof line, "%g", static_cast<double>(e.timeUs) / 1000.0);
        std::string s = line;
        const auto add = [&](uint8_t b) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", b);
            s += hex;
        };
        if (e.shortMessage != 0) {
            const int length = (e.shortMessage & 0xE0) == 0xC0 ? 2 : 3;
            for (int i = 0; i < length; ++i) add(static_cast<uint8_t>(e.shortMessage >> (8 * i)));
        } else {
            for (uint32_t i = 0; i < e.exclusiveLength; ++i) add(song.exclusiveData[e.exclusiveOffset + i]);
        }
        out.push_back(s);
    }
    return out;
}

TEST(Song, ATempoChangeInAnyTrackGovernsEveryTrackFromItsTick) {
    midifile::testing::TempFile f;
    ASSERT_TRUE(WriteSong(f.path(), 1, 480,
                          {[](MidiWrite& w) {
                               w.WriteNoteOn(0, 60, 1);
                               w.AddDelta(960);
                               w.WriteNoteOn(0, 62, 1);
                           },
                           [](MidiWrite& w) {
                               w.AddDelta(480);
                               w.WriteTempo(1000000);  // a tempo outside the first track still counts
                               w.AddDelta(480);
                               w.WriteNoteOn(1, 64, 1);
                               w.AddDelta(1);
                               w.WriteNoteOn(1, 65, 1);
                           }}));
    Song song;
    std::string error;
    ASSERT_TRUE(LoadSong(f.path(), song, error)) << error;
    EXPECT_EQ(Describe(song),
              (std::vector<std::string>{"0 90 3C 01", "1500 90 3E 01", "1500 91 40 01", "1502.08 91 41 01"}));
    EXPECT_EQ(song.lengthUs, 1502083u);
}

TEST(Song, TempoChangesAndNotesOfSeveralTracksAreTakenInTimeOrder) {
    // The later track holds the earlier tempo change and the earlier note: the file's order is
    // not the time order, on the tempo map or among the events.
    midifile::testing::TempFile f;
    ASSERT_TRUE(WriteSong(f.path(), 1, 480,
                          {[](MidiWrite& w) {
                               w.AddDelta(960);
                               w.WriteTempo(500000);
                               w.WriteNoteOn(0, 60, 1);
                               w.AddDelta(240);
                               w.WriteNoteOn(0, 62, 1);
                           },
                           [](MidiWrite& w) {
                               w.AddDelta(480);
                               w.WriteTempo(1000000);
                               w.WriteNoteOn(1, 64, 1);
                           }}));
    Song song;
    std::string error;
    ASSERT_TRUE(LoadSong(f.path(), song, error)) << error;
    EXPECT_EQ(Describe(song), (std::vector<std::string>{"500 91 40 01", "1500 90 3C 01", "1750 90 3E 01"}));
    EXPECT_EQ(song.lengthUs, 1750000u);
}

TEST(Song, OnlyCompleteMessagesOfExclusiveDataAreSent) {
    midifile::testing::TempFile f;
    ASSERT_TRUE(WriteSong(f.path(), 1, 96,
                          {[](MidiWrite& w) {
                               // Bytes to send as they stand: a real-time byte and a cut message go.
                               const uint8_t escaped[] = {0xF8, 0x90, 0x3C, 0x64, 0xF0,
                                                          0x01, 0x02, 0xF7, 0x80, 0x3C};
                               w.WriteExclusive(0xF7, sizeof escaped, escaped);
                               const uint8_t wrong[] = {0x01, 0x99, 0xF7};  // a status byte inside: not sent
                               w.WriteExclusive(0xF0, sizeof wrong, wrong);
                               const uint8_t first[] = {0x41, 0x10};  // never continued
                               w.WriteExclusive(0xF0, sizeof first, first);
                           },
                           [](MidiWrite& w) {
                               const uint8_t continued[] = {0x00, 0xF7};  // continues nothing of this track
                               w.WriteExclusive(0xF7, sizeof continued, continued);
                               w.WriteSysex(0, nullptr);
                           }}));
    Song song;
    std::string error;
    ASSERT_TRUE(LoadSong(f.path(), song, error)) << error;
    EXPECT_EQ(Describe(song), (std::vector<std::string>{"0 90 3C 64", "0 F0 01 02 F7", "0 F0 F7"}));
}

TEST(Song, FramesOf29Point97PerSecond) {
    midifile::testing::TempFile f;
    ASSERT_TRUE(WriteSong(f.path(), 0, 0xE302, {[](MidiWrite& w) {  // 29.97 frames of 2 ticks
                              w.AddDelta(60000);                    // 30000 frames of 1001/30000 s
                              w.WriteNoteOn(0, 60, 1);
                          }}));
    Song song;
    std::string error;
    ASSERT_TRUE(LoadSong(f.path(), song, error)) << error;
    ASSERT_EQ(song.events.size(), 1u);
    EXPECT_EQ(song.events[0].timeUs, 1001000000u);
}

}  // namespace
}  // namespace player::testing
