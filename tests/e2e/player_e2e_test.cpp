// The real program on a private JACK server: auto play over the two files of the MidiFile
// folder sends their notes to the output port in order and in time, the second file starting at
// a poll after the first has ended; STOP in mid-file ends every sounding note and nothing more
// of the file follows.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/e2e/program_rig.h"

namespace {

using e2e::Received;
using e2e::waitUntil;
using e2e::WriteSong;

namespace fs = std::filesystem;
using namespace std::chrono_literals;

bool isNoteOn(const testsupport::ReceivedMidi& m) {
    return m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0;
}
bool isNoteOff(const testsupport::ReceivedMidi& m) {
    return m.bytes.size() == 3 &&
           ((m.bytes[0] & 0xF0) == 0x80 || ((m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] == 0));
}

std::vector<const testsupport::ReceivedMidi*> noteOns(const Received& got) {
    std::vector<const testsupport::ReceivedMidi*> out;
    for (const auto& m : got)
        if (isNoteOn(m)) out.push_back(&m);
    return out;
}

using PlayerOnJack = e2e::ProgramOnJack;

TEST_F(PlayerOnJack, AutoPlayPlaysTheMidiFileFolderInOrderAndInTimeAndStopEndsEveryNote) {
    fs::create_directories(home.path / "MidiFile");
    // The first file holds a chord long enough to be stopped in; the second a short run.
    WriteSong(home.path / "MidiFile" / "first.mid", 0, {{60, 0, 1200}, {64, 0, 1200}, {62, 1200, 600}});
    WriteSong(home.path / "MidiFile" / "second.MID", 1, {{67, 0, 250}, {69, 250, 250}, {71, 500, 250}});

    startProgram();
    EXPECT_TRUE(fs::exists(home.path / "Rizori.mid")) << "the jingles were installed";
    rig.clear();

    // Auto play: the first file at once, the second at a poll after it. Waits until the second
    // file's last note has ended.
    ASSERT_TRUE(act("click BitBtn1"));
    ASSERT_TRUE(waitUntil(
        rig, 30s,
        [](const Received& got) { return noteOns(got).size() >= 6 && e2e::unendedNotes(got).empty(); }))
        << noteOns(rig.received()).size() << " notes arrived; " << e2e::describe(rig.received());
    const Received got = rig.received();
    const auto ons = noteOns(got);
    ASSERT_EQ(ons.size(), 6u);
    const std::vector<std::vector<std::uint8_t>> expected = {
        {0x90, 60, 100}, {0x90, 64, 100}, {0x90, 62, 100}, {0x91, 67, 100}, {0x91, 69, 100}, {0x91, 71, 100}};
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(ons[i]->bytes, expected[i]) << i;
    // Each file's notes keep the file's times. The player may start a note late on a loaded
    // machine, never early: each note's delay past the file's time, counted from the least
    // delayed note of its file, stays below the files' shortest spacing of notes (250 ms), and
    // no note comes more than two server periods before its time.
    const double early = 2 * rig.periodSeconds();
    const double late = 0.2;
    auto keepsItsTimes = [&](std::size_t first, const std::vector<double>& due, const char* file) {
        double start = ons[first]->seconds - due[0];
        for (std::size_t i = 0; i < due.size(); ++i)
            start = std::min(start, ons[first + i]->seconds - due[i]);
        for (std::size_t i = 0; i < due.size(); ++i) {
            const double delay = ons[first + i]->seconds - due[i] - start;
            EXPECT_GT(delay, -early) << file << " note " << i;
            EXPECT_LT(delay, late) << file << " note " << i << " at "
                                   << ons[first + i]->seconds - ons[first]->seconds << " s";
        }
    };
    keepsItsTimes(0, {0.0, 0.0, 1.2}, "first.mid");
    keepsItsTimes(3, {0.0, 0.25, 0.5}, "second.MID");
    // The second file starts at the first poll after the first file's 1.8 s have ended: the polls
    // run every 5 s.
    const double t0 = ons[0]->seconds;
    EXPECT_GT(ons[3]->seconds - t0, 1.8 - early);
    EXPECT_LT(ons[3]->seconds - t0, 1.8 + 5.0 + 1.0);

    // After STOP, auto play begins again with the first file; STOP in its chord ends both notes.
    ASSERT_TRUE(act("click BitBtn2"));
    rig.clear();
    ASSERT_TRUE(act("click BitBtn1"));
    ASSERT_TRUE(waitUntil(rig, 10s, [](const Received& g) { return noteOns(g).size() >= 2; }));
    const double chord = noteOns(rig.received()).front()->seconds;
    ASSERT_TRUE(e2e::waitUntilServerTime(rig, chord + 0.3));  // well inside the chord's 1.2 s
    ASSERT_TRUE(act("click BitBtn2"));
    ASSERT_TRUE(waitUntil(rig, 10s, [](const Received& g) {
        int offs = 0;
        for (const auto& m : g) offs += isNoteOff(m) ? 1 : 0;
        return offs >= 2;
    })) << "the chord's notes ended";
    // Past the third note's time (1.2 s after the chord) with a margin, and a poll's.
    ASSERT_TRUE(e2e::waitUntilServerTime(rig, chord + 1.2 + 1.0));
    const Received afterStop = rig.received();
    const auto stopped = noteOns(afterStop);
    ASSERT_EQ(stopped.size(), 2u) << "nothing after the stop";
    EXPECT_EQ(stopped[0]->bytes, (std::vector<std::uint8_t>{0x90, 60, 100}));
    EXPECT_EQ(stopped[1]->bytes, (std::vector<std::uint8_t>{0x90, 64, 100}));
    EXPECT_TRUE(e2e::unendedNotes(afterStop).empty()) << e2e::describe(afterStop);

    exitProgram();
}

}  // namespace
