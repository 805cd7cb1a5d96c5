// The real program on a private JACK server, its parts written on the accompaniment page's note
// grid: the notes follow the chord played below the split point on their own channels, each
// ended by its part's timer; a pan change goes out at once; and no page action while playing
// leaves a note sounding.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include "platform/backends/rtmidi_ports.h"
#include "platform/backends/system_output.h"
#include "tests/e2e/child_process.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/jack_midi_client.h"
#include "tests/support/jack_server.h"

namespace {

using e2e::TempFolder;
using e2e::waitUntil;

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Received = std::vector<testsupport::ReceivedMidi>;

int indexOf(const std::vector<std::string>& names, const std::string& fragment) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].find(fragment) != std::string::npos) return static_cast<int>(i);
    return -1;
}

std::string describe(const Received& got) {
    std::string out = std::to_string(got.size()) + " messages:";
    for (std::size_t i = got.size() > 60 ? got.size() - 60 : 0; i < got.size(); ++i) {
        out += " [";
        for (auto b : got[i].bytes) out += std::to_string(b) + " ";
        out += "]";
    }
    return out;
}

bool isNoteOn(const Bytes& m, int channel, int note) {
    return m.size() == 3 && m[0] == 0x90 + channel && m[1] == note && m[2] > 0;
}

std::size_t countNoteOns(const Received& got, int channel, int note) {
    std::size_t n = 0;
    for (auto& m : got) n += isNoteOn(m.bytes, channel, note);
    return n;
}

// Note-ons (off the drum channel) that nothing later ends: no note-off or velocity-0 note-on
// of the same note on its channel, no all-notes-off on the channel. As "channel:note".
std::vector<std::string> unendedNotes(const Received& got) {
    std::map<std::pair<int, int>, int> sounding;
    for (auto& r : got) {
        const Bytes& m = r.bytes;
        if (m.size() < 3) continue;
        const int status = m[0] & 0xF0, channel = m[0] & 0x0F;
        if (status == 0x90 && m[2] > 0 && channel != 9) ++sounding[{channel, m[1]}];
        if (status == 0x80 || (status == 0x90 && m[2] == 0)) sounding.erase({channel, m[1]});
        if (status == 0xB0 && m[1] == 123)
            std::erase_if(sounding, [&](const auto& s) { return s.first.first == channel; });
    }
    std::vector<std::string> out;
    for (const auto& [key, count] : sounding)
        out.push_back(std::to_string(key.first) + ":" + std::to_string(key.second));
    return out;
}

class OrchestraEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready()) << server.failure();
        ASSERT_TRUE(rig.ok());
        platform::SystemMidiOutBackend outputs(platform::MidiApi::Jack);
        platform::RtMidiInBackend inputs(platform::MidiApi::Jack);
        const int outDevice = indexOf(outputs.portNames(), "rig:in");
        const int inDevice = indexOf(inputs.portNames(), "rig:out");
        ASSERT_GE(outDevice, 0);
        ASSERT_GE(inDevice, 0);
        ASSERT_FALSE(home.path.empty());
        std::ofstream cfg(home.path / "Quintora2.cfg", std::ios::binary);
        const char bytes[3] = {static_cast<char>(outDevice), static_cast<char>(inDevice), 3};
        cfg.write(bytes, 3);
    }

    void startProgram() {
        program = std::make_unique<e2e::ChildProcess>(
            QUINTORA_DRIVEN, std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "offscreen"},
                                                                {"QUINTORA_MIDI_API", "jack"},
                                                                {"QUINTORA_HOME", home.path.string()}});
        ASSERT_TRUE(program->started());
        ASSERT_TRUE(program->waitFor("ready ", 30s));
    }
    bool act(const std::string& action) {
        program->writeLine(action);
        return program->waitFor("done " + action, 20s);
    }
    // Answers the "Save Changes?" box on screen with No.
    bool answerNo() {
        program->writeLine("answer No");
        return program->waitFor("done answer No", 30s);
    }
    // A click that shows a file dialog, answered with `path`. With `questions`, a "Save
    // Changes?" box comes before the dialog and another after it (the drums' NEW asks again);
    // both are answered No.
    bool clickWithFile(const std::string& button, const fs::path& path, bool questions = false) {
        program->writeLine("click " + button);
        if (questions && !answerNo()) return false;
        program->writeLine("file " + path.string());
        if (!program->waitFor("done file " + path.string(), 30s)) return false;
        if (questions && !answerNo()) return false;
        return program->waitFor("done click " + button, 30s);
    }
    // Writes `note` with the pen on the cell, with the duration bar at `durationBar`.
    bool writeCell(const std::string& cell, const std::string& key, int range, int durationBar) {
        bool ok = act("slide DurationBar1 " + std::to_string(durationBar)) && act("click " + key);
        for (int i = 0; i < 6 && ok; ++i) ok = act("click KeyRangeDown");  // range 1
        for (int r = 1; r < range && ok; ++r) ok = act("click KeyRangeUp");
        return ok && act("click " + cell);
    }
    void chord(std::initializer_list<int> keys) {
        for (int k : keys) rig.send({0x90, static_cast<std::uint8_t>(k), 100});
    }
    void lift(std::initializer_list<int> keys) {
        for (int k : keys) rig.send({0x80, static_cast<std::uint8_t>(k), 0});
    }
    void exitProgram() {
        program->writeLine("trigger ExitItem");
        program->writeLine("answer No");  // "Save Changes?" when asked; missing otherwise
        ASSERT_TRUE(program->waitFor("done trigger ExitItem", 30s));
        const auto status = program->waitExit(30s);
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 0);
    }

    testsupport::JackServer server;
    testsupport::JackMidiClient rig{"rig"};
    TempFolder home;
    std::unique_ptr<e2e::ChildProcess> program;
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

    chord({48, 52, 43});  // C E G below the split point: playing starts by itself
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) {
        return countNoteOns(got, 0, 60) >= 3 && countNoteOns(got, 4, 36) >= 3;
    })) << describe(rig.received());
    lift({48, 52, 43});

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
    chord({41, 45, 48});
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& now) {
        return countNoteOns(now, 0, 65) >= 1 && countNoteOns(now, 4, 41) >= 1;
    })) << describe(rig.received());
    lift({41, 45, 48});

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
    exitProgram();
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

    chord({48, 52, 43});
    lift({48, 52, 43});
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
    ASSERT_TRUE(clickWithFile("SpeedButton2", song));  // Open; the merge left nothing modified
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
    std::this_thread::sleep_for(1500ms);  // every part timer has fired

    const auto got = rig.received();
    EXPECT_GT(countNoteOns(got, 0, 61) + countNoteOns(got, 2, 65) + countNoteOns(got, 4, 37), 0u)
        << "the transposed parts played; " << describe(got);
    EXPECT_EQ(unendedNotes(got), std::vector<std::string>{}) << describe(got);
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram();
}

}  // namespace
