// The real program on a private JACK server, its parts written on the accompaniment page's note
// grid: the notes follow the chord played below the split point on their own channels, each
// ended by its part's timer; a pan change goes out at once; and no page action while playing
// leaves a note sounding.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "tests/e2e/program_rig.h"

namespace {

using namespace e2e;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

class OrchestraEndToEnd : public ProgramOnJack {
  protected:
    // Writes `note` with the pen on the cell, with the duration bar at `durationBar`.
    bool writeCell(const std::string& cell, const std::string& key, int range, int durationBar) {
        bool ok = act("slide DurationBar1 " + std::to_string(durationBar)) && act("click " + key);
        for (int i = 0; i < 6 && ok; ++i) ok = act("click KeyRangeDown");  // range 1
        for (int r = 1; r < range && ok; ++r) ok = act("click KeyRangeUp");
        return ok && act("click " + cell);
    }
};

TEST_F(OrchestraEndToEnd, GridNotesFollowTheChordOnTheirChannelsAndEndByTheirTimers) {
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 150"));  // 48 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop, 1.5 s
    ASSERT_TRUE(act("click ComboButton"));
    // Piano: middle C on step 1; bass: C two octaves down on step 17; each lasting 200 ms.
    ASSERT_TRUE(writeCell("Inst1Button1", "CBtn", 4, 98));
    ASSERT_TRUE(act("click Label2"));
    ASSERT_TRUE(writeCell("Inst1Button17", "CBtn", 2, 98));
    rig.clear();

    press({48, 52, 43});  // C E G below the split point: playing starts by itself
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) {
        return countNoteOns(got, 0, 60) >= 3 && countNoteOns(got, 4, 36) >= 3;
    })) << describe(rig.received());
    release({48, 52, 43});

    // Each note is ended by its timer: the program sent again, then the release, about 200 ms
    // after the note, well before the part's next note a bar later. (A loaded server may lose
    // or repeat a period of MIDI, so one such note of each part is enough.)
    const auto got = rig.received();
    for (auto [channel, note] : {std::pair{0, 60}, std::pair{4, 36}}) {
        std::vector<std::size_t> onChannel;
        for (std::size_t i = 0; i < got.size(); ++i)
            if (!got[i].bytes.empty() && (got[i].bytes[0] & 0x0F) == channel) onChannel.push_back(i);
        int timerEnded = 0;
        for (std::size_t k = 0; k + 2 < onChannel.size(); ++k) {
            const auto& on = got[onChannel[k]];
            const auto& program = got[onChannel[k + 1]];
            const auto& off = got[onChannel[k + 2]];
            const double held = off.seconds - on.seconds;
            timerEnded += isNoteOn(on.bytes, channel, note) && program.bytes[0] == 0xC0 + channel &&
                          off.bytes == Bytes{static_cast<std::uint8_t>(0x90 + channel),
                                             static_cast<std::uint8_t>(note), 0} &&
                          held > 0.15 && held < 1.0;
        }
        EXPECT_GE(timerEnded, 1) << "channel " << channel << "; " << describe(got);
    }

    // F A C: the parts move to F, the bass root from C to F.
    press({41, 45, 48});
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& now) {
        return countNoteOns(now, 0, 65) >= 1 && countNoteOns(now, 4, 41) >= 1;
    })) << describe(rig.received());
    release({41, 45, 48});

    // A pan change goes out at once, on the part's channel, while playing goes on.
    const std::size_t before = rig.received().size();
    ASSERT_TRUE(act("slide PanBar4 20"));
    ASSERT_TRUE(waitUntil(rig, 2s, [&](const Received& now) {
        for (std::size_t i = before; i < now.size(); ++i)
            if (now[i].bytes == Bytes{0xB4, 10, 20}) return true;
        return false;
    })) << "controller 10 on the bass channel";
    const std::size_t bassBefore = countNoteOns(rig.received(), 4, 41);
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& now) {
        return countNoteOns(now, 4, 41) > bassBefore;
    })) << "still playing";

    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram(true);
}

TEST_F(OrchestraEndToEnd, NoNoteSoundsOnAfterPageActionsWhilePlaying) {
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));
    ASSERT_TRUE(act("slide NumBars1 100"));
    ASSERT_TRUE(act("click ComboButton"));
    ASSERT_TRUE(writeCell("Inst1Button1", "CBtn", 4, 98));  // piano, 200 ms
    ASSERT_TRUE(act("click Label3"));
    ASSERT_TRUE(writeCell("Inst1Button9", "EBtn", 4, 100));  // strings, no duration of its own
    ASSERT_TRUE(act("click Label2"));
    ASSERT_TRUE(writeCell("Inst1Button17", "CBtn", 2, 96));  // bass, 400 ms
    const fs::path song = home.path / "TarnFile" / "parts.QTR";
    ASSERT_TRUE(clickWithFile("SaveBtn", song));
    rig.clear();

    press({48, 52, 43});
    release({48, 52, 43});
    // Waits until a part sounds again after an action.
    auto partNotes = [](const Received& got) {
        std::size_t n = 0;
        for (auto& m : got)
            n += m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && (m.bytes[0] & 0x0F) != 9 &&
                 m.bytes[2] > 0;
        return n;
    };
    auto sounding = [&](const char* after) {
        const std::size_t before = partNotes(rig.received());
        EXPECT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return partNotes(got) > before + 2; }))
            << "playing after " << after << "; " << describe(rig.received());
    };
    sounding("the chord");
    ASSERT_TRUE(act("choose InstBox2 41"));  // part change
    ASSERT_TRUE(act("click DrumStartButton"));
    sounding("the part change");
    ASSERT_TRUE(act("choose InstChan1 6"));  // channel change
    ASSERT_TRUE(act("click DrumStartButton"));
    sounding("the channel change");
    ASSERT_TRUE(clickWithFile("MergeDrumsButton", song, true));
    ASSERT_TRUE(act("click DrumStartButton"));
    sounding("the merge");
    // Open: the part and channel changes before the merge are still unsaved, so both of its
    // save offers ask.
    ASSERT_TRUE(clickWithFile("SpeedButton2", song, true));
    ASSERT_TRUE(act("click DrumStartButton"));
    sounding("the open");
    ASSERT_TRUE(act("click MainButton"));  // SETUP
    ASSERT_TRUE(act("click ComboButton"));
    ASSERT_TRUE(act("click DrumStartButton"));
    sounding("the setup page");
    // From here on nothing stops: whatever sounds must be ended by its part.
    ASSERT_TRUE(act("click Transposeup"));
    sounding("the transposition");
    program->writeLine("click NewAll");
    ASSERT_TRUE(answerNo());  // "Save Changes?" after the transposition
    ASSERT_TRUE(program->waitFor("done click NewAll", 30s));
    // Every part timer fires within the longest part note (400 ms) of the last one; a note still
    // sounding a second later and beyond the deadline stays on.
    const double cleared = rig.now();
    EXPECT_TRUE(waitUntil(rig, 30s, [&](const Received& got) {
        return rig.now() > cleared + 1.0 && unendedNotes(got).empty();
    })) << "every note ended";

    const auto got = rig.received();
    EXPECT_GT(countNoteOns(got, 0, 61) + countNoteOns(got, 2, 65) + countNoteOns(got, 4, 37), 0u)
        << "the transposed parts played; " << describe(got);
    EXPECT_EQ(unendedNotes(got), std::vector<std::string>{}) << describe(got);
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram(true);
}

}  // namespace
