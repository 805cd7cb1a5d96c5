// The real program on a private JACK server, around the stops of the accompaniment page: the
// parts start panned at the centre; THRU keys reach the output after every kind of stop; a
// chord starts playing again after the page's STOP; and edits merged with a drums file are
// still offered for saving at exit.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "midifile/MidiWrite.h"
#include "program/arrangement_file.h"
#include "tests/e2e/program_rig.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The index of the first message at or after `from` equal to `m`, or -1.
long find(const Received& got, const Bytes& m, std::size_t from = 0) {
    for (std::size_t i = from; i < got.size(); ++i)
        if (got[i].bytes == m) return static_cast<long>(i);
    return -1;
}

// The same for the first note-on of `note` on `channel`.
long findNoteOn(const Received& got, int channel, int note, std::size_t from) {
    for (std::size_t i = from; i < got.size(); ++i)
        if (isNoteOn(got[i].bytes, channel, note)) return static_cast<long>(i);
    return -1;
}

class StoppedAccompaniment : public ProgramOnJack {
  protected:
    // Sends `m` until it comes back (as `echo`, when given): a loaded server may lose a period of
    // MIDI, while a closed output loses every copy.
    bool comesBack(const Bytes& m, const std::optional<Bytes>& echo = std::nullopt) {
        for (int attempt = 0; attempt < 5; ++attempt) {
            const std::size_t from = rig.received().size();
            rig.send(m);
            if (waitUntil(rig, 2s,
                          [&](const Received& got) { return find(got, echo.value_or(m), from) >= 0; }))
                return true;
        }
        return false;
    }
    // A key on the THRU channel (4) pressed and released: both come back unchanged.
    void thruKeyComesBack(const char* after) {
        EXPECT_TRUE(comesBack({0x93, 67, 100}))
            << "the THRU key after " << after << "; " << describe(rig.received());
        EXPECT_TRUE(comesBack({0x93, 67, 0})) << "its release after " << after;
    }
    // Waits for a drum stop (the engine's all-notes-off on the drum channel) after `from`.
    bool stoppedAfter(std::size_t from) {
        return waitUntil(rig, 10s, [&](const Received& got) { return find(got, {0xB9, 123, 0}, from) >= 0; });
    }
};

// After every kind of stop the hand may still hold the chord that started playing: lifting one
// of its keys, so that three classes stay held and none went down, starts nothing.
TEST_F(StoppedAccompaniment, AKeyLiftedAfterAStopStartsNothing) {
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));  // 28 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on step 1
    ASSERT_TRUE(act("click ComboButton"));
    const double bar = 32 * 7200.0 / 250 / 1000;
    struct Road {
        const char* name;
        std::vector<std::string> to;    // from the accompaniment page to where the chord is played
        std::string stop;               // the stop
        std::vector<std::string> back;  // to the accompaniment page again
    };
    const Road roads[] = {
        {"the accompaniment page's STOP", {}, "click DrumStopButton", {}},
        {"the drum tab's STOP", {"click DRUMTAB"}, "click DrumStopButton", {"click ComboButton"}},
        {"SETUP, the setup page shown", {}, "click MainButton", {"click ComboButton"}},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        for (const auto& a : road.to) ASSERT_TRUE(act(a));
        std::size_t from = rig.received().size();
        press({43, 47, 50, 53});  // G7
        ASSERT_TRUE(waitUntil(rig, 10s,
                              [&](const Received& got) {
                                  return find(got, {0x99, 36, 96}, from) >= 0;
                              }))
            << "playing; " << describe(rig.received());
        from = rig.received().size();
        ASSERT_TRUE(act(road.stop));
        ASSERT_TRUE(stoppedAfter(from));
        const std::size_t lifted = rig.received().size();
        release({53});  // G B D still held
        // A THRU key behind the release comes back once the program has taken the release.
        ASSERT_TRUE(comesBack({0x93, 67, 100}));
        ASSERT_TRUE(comesBack({0x93, 67, 0}));
        // A start would have played the kick of step 1 at once; a bar and the delivery's delay.
        ASSERT_TRUE(waitUntilServerTime(rig, rig.now() + bar + stepTolerance(bar / 32, rig, 4)));
        const Received got = rig.received();
        std::size_t played = 0;  // note-ons but the THRU key's
        for (std::size_t i = lifted; i < got.size(); ++i) {
            const Bytes& m = got[i].bytes;
            played += m.size() == 3 && (m[0] & 0xF0) == 0x90 && m[2] > 0 && m[0] != 0x93;
        }
        EXPECT_EQ(played, 0u) << "notes after the release; " << describe(got);
        release({43, 47, 50});
        for (const auto& a : road.back) ASSERT_TRUE(act(a));
    }
    exitProgram(true);
}

// The About jingle and a file of the player take the output device for their playing and give
// it back: THRU keys, an octave up here, sound on the setup page after each.
TEST_F(StoppedAccompaniment, ThruSoundsAfterTheAboutJingleAndAPlayerFile) {
    {
        fs::create_directories(home.path / "MidiFile");
        midifile::MidiWrite w((home.path / "MidiFile" / "tune.mid").string().c_str());
        w.WriteHeader(0, 1, 480);
        w.StartTrack();
        w.WriteNoteOn(1, 80, 100);
        w.AddDelta(240);  // a quarter of a second
        w.WriteNoteOff(1, 80, 0);
        ASSERT_TRUE(w.Close());
    }
    startProgram();
    ASSERT_TRUE(act("click ComboButton"));
    ASSERT_TRUE(act("click OctaveCSpinButtonUp"));  // THRU keys an octave up
    ASSERT_TRUE(act("click MainButton"));
    const auto thruTransposed = [&](const char* after) {
        EXPECT_TRUE(comesBack({0x93, 60, 100}, Bytes{0x93, 72, 100}))
            << "the THRU key after " << after << "; " << describe(rig.received());
        EXPECT_TRUE(comesBack({0x93, 60, 0}, Bytes{0x93, 72, 0})) << "its release after " << after;
    };
    thruTransposed("SETUP");

    // The About box plays its jingle as it comes up; the box stays until its OK.
    std::size_t from = rig.received().size();
    program->writeLine("trigger About1");
    ASSERT_TRUE(waitUntil(rig, 20s, [&](const Received& got) { return findNoteOn(got, 0, 83, from) >= 0; }))
        << "the About jingle's last chord; " << describe(rig.received());
    thruTransposed("the About jingle, the box still up");
    ASSERT_TRUE(act("click BitBtn1"));  // the box's OK
    ASSERT_TRUE(program->waitFor("done trigger About1", 30s));
    thruTransposed("the About box's OK");

    from = rig.received().size();
    ASSERT_TRUE(act("click BitBtn1"));  // Auto Midi Play: the one file of the MidiFile folder
    // Its note-off, as a note-on of velocity 0 on channel 2.
    ASSERT_TRUE(waitUntil(rig, 20s,
                          [&](const Received& got) {
                              return find(got, {0x91, 80, 0}, from) >= 0;
                          }))
        << "the file played to its end; " << describe(rig.received());
    thruTransposed("a file of the player");
    exitProgram(true);
}

// A configuration that cannot be written (no write permission, which stops even the
// super-user's save): the THRU channel chosen in the box holds through starts and stops, which
// read the configuration again, and the file stays as it was.
TEST_F(StoppedAccompaniment, AThruChannelChosenHoldsWhenTheConfigurationCannotBeWritten) {
    const fs::path cfg = home.path / "Quintora2.cfg";
    std::vector<char> before(3);
    std::ifstream(cfg, std::ios::binary).read(before.data(), 3);
    fs::permissions(cfg, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));
    ASSERT_TRUE(act("slide NumBars1 100"));
    ASSERT_TRUE(act("click DrumPanel1"));
    ASSERT_TRUE(act("click ComboButton"));
    ASSERT_TRUE(act("choose ThruBox 5"));  // channel 6
    const auto channelSixPasses = [&](const std::string& after) {
        EXPECT_TRUE(comesBack({0x95, 67, 100}))
            << "a channel 6 key after " << after << "; " << describe(rig.received());
        EXPECT_TRUE(comesBack({0x95, 67, 0})) << "its release after " << after;
    };
    channelSixPasses("the choice");
    for (int run = 1; run <= 3; ++run) {
        const std::string name = "stop " + std::to_string(run);
        std::size_t from = rig.received().size();
        ASSERT_TRUE(act("click DrumStartButton"));
        ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) {
            return find(got, {0x99, 36, 96}, from) >= 0;
        })) << name;
        from = rig.received().size();
        ASSERT_TRUE(act("click DrumStopButton"));
        ASSERT_TRUE(stoppedAfter(from)) << name;
        channelSixPasses(name);
    }
    // A key on channel 4, the THRU channel the file still names, is not passed on: a channel 6
    // key behind it marks when the program has taken both.
    const std::size_t from = rig.received().size();
    rig.send({0x93, 67, 100});
    rig.send({0x93, 67, 0});
    ASSERT_TRUE(comesBack({0x95, 67, 100}));
    EXPECT_LT(find(rig.received(), {0x93, 67, 100}, from), 0) << describe(rig.received());
    ASSERT_TRUE(comesBack({0x95, 67, 0}));
    exitProgram(true);
    std::vector<char> after(3);
    std::ifstream(cfg, std::ios::binary).read(after.data(), 3);
    EXPECT_EQ(after, before);
}

TEST_F(StoppedAccompaniment, ThePartsStartPannedAtTheCentreAndThruSoundsAfterEveryStop) {
    startProgram();
    // The pans the parts start with go out with every refresh of the page (a look at the piano
    // part here): piano, strings, brass and bass on channels 1, 3, 2, 5, each at the centre.
    const auto centred = [](const Received& got) {
        for (std::uint8_t channel : {0, 2, 1, 4})
            if (find(got, {static_cast<std::uint8_t>(0xB0 + channel), 10, 64}) < 0) return false;
        return true;
    };
    bool panned = false;
    for (int attempt = 0; attempt < 5 && !panned; ++attempt) {
        ASSERT_TRUE(act("click Label1"));
        panned = waitUntil(rig, 2s, centred);
    }
    EXPECT_TRUE(panned) << describe(rig.received());
    for (std::uint8_t channel : {0, 1, 2, 4})
        EXPECT_LT(find(rig.received(), {static_cast<std::uint8_t>(0xB0 + channel), 10, 0}), 0)
            << "no part starts hard left";

    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));  // 28 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on step 1
    ASSERT_TRUE(act("click ComboButton"));   // the drum tab's COMBO stops first
    thruKeyComesBack("COMBO from the drum tab");

    // Playing, started by a chord; then an octave box, which stops playing.
    const Bytes kick = {0x99, 36, 96};
    std::size_t from = rig.received().size();
    press({48, 52, 43});
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return find(got, kick, from) >= 0; }))
        << "playing";
    release({48, 52, 43});
    from = rig.received().size();
    ASSERT_TRUE(act("choose PianoOctaveBox 1"));
    ASSERT_TRUE(stoppedAfter(from));
    thruKeyComesBack("an octave change while playing");

    // The piano moved onto the THRU channel: the first step after the next start stops playing
    // and shows the clash box. A THRU key held across that stop is still released.
    ASSERT_TRUE(act("choose InstChan1 3"));
    ASSERT_TRUE(comesBack({0x93, 67, 100})) << "the THRU key after a channel change";
    from = rig.received().size();
    press({48, 52, 43});
    ASSERT_TRUE(stoppedAfter(from)) << "the clash stopped playing";
    release({48, 52, 43});
    EXPECT_TRUE(comesBack({0x93, 67, 0}))
        << "the THRU key's release after the clash stop; " << describe(rig.received());
    ASSERT_TRUE(answerWhenShown("Ok")) << "the clash box";
    ASSERT_TRUE(act("choose InstChan1 0"));
    exitProgram(true);
}

TEST_F(StoppedAccompaniment, AChordStartsPlayingAfterThePagesStopAndAMergeKeepsTheEditsUnsaved) {
    const fs::path drums = home.path / "TarnFile" / "drums.QTR";
    {
        fs::create_directories(drums.parent_path());
        auto file = std::make_unique<app::ProgramState>();
        file->drums.DrumPattern[1][9] = 100;  // the bass drum on step 1
        const auto bytes = app::EncodeArrangement(*file, 800);
        std::ofstream(drums, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 20"));  // 360 ms a step
    ASSERT_TRUE(act("click ComboButton"));
    ASSERT_TRUE(act("click CBtn"));          // middle C
    ASSERT_TRUE(act("click Inst1Button1"));  // the piano on step 1: an edit

    std::size_t from = rig.received().size();
    press({48, 52, 43});
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return findNoteOn(got, 0, 60, from) >= 0; }))
        << "playing; " << describe(rig.received());
    release({48, 52, 43});
    ASSERT_TRUE(act("click DrumStopButton"));  // the page's STOP

    // A THRU key played with the chord marks when the chord arrived; the piano's note of step 1
    // follows one step after the start (a step of slack and a period each way for a loaded machine).
    from = rig.received().size();
    rig.send({0x93, 72, 100});
    press({41, 45, 48});  // F A C
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return findNoteOn(got, 0, 65, from) >= 0; }))
        << "a chord after STOP starts playing by itself; " << describe(rig.received());
    release({41, 45, 48});
    rig.send({0x93, 72, 0});
    {
        const auto got = rig.received();
        const long echo = find(got, {0x93, 72, 100}, from);
        ASSERT_GE(echo, 0);
        const double step = 7200.0 / 20 / 1000;
        const double late = got[static_cast<std::size_t>(findNoteOn(got, 0, 65, from))].seconds -
                            got[static_cast<std::size_t>(echo)].seconds;
        EXPECT_LT(late, step + stepTolerance(step, rig));
    }
    ASSERT_TRUE(act("click DrumStopButton"));

    // MERGE DRUMS, No to both questions: the drums come from the file, the note stays, and both
    // are still unsaved at exit.
    ASSERT_TRUE(clickWithFile("MergeDrumsButton", drums, true));
    program->writeLine("trigger ExitItem");
    EXPECT_TRUE(answerWhenShown("No")) << "\"Save Changes?\" at exit";
    ASSERT_TRUE(program->waitFor("done trigger ExitItem", 30s));
    const auto status = program->waitExit(30s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
}

}  // namespace
