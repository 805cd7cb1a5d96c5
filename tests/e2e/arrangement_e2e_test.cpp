// The real program on a private JACK server with arrangement files: drums saved, cleared and
// opened again play at the same steps; parts read from a file play after a chord, each note
// lasting its full duration.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>

#include "app/arrangement_file.h"
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

// The first messages received, for a failure's message.
std::string describe(const Received& got) {
    std::string out = std::to_string(got.size()) + " messages:";
    for (std::size_t i = got.size() > 12 ? got.size() - 12 : 0; i < got.size(); ++i) {
        out += " [";
        for (auto b : got[i].bytes) out += std::to_string(b) + " ";
        out += "]";
    }
    return out;
}

std::vector<double> timesOf(const Received& got, const Bytes& message) {
    std::vector<double> t;
    for (auto& m : got)
        if (m.bytes == message) t.push_back(m.seconds);
    return t;
}

// A private server, a client that records the program's output and plays its keyboard, and the
// program driven through its test hook with that client as both devices.
class ArrangementEndToEnd : public ::testing::Test {
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
        return program->waitFor("done " + action, 10s);
    }
    // A click that shows a file dialog, answered with `path`.
    bool clickWithFile(const std::string& button, const fs::path& path) {
        program->writeLine("click " + button);
        // A file dialog can take long to come up on a loaded machine.
        program->writeLine("file " + path.string());
        return program->waitFor("done file " + path.string(), 30s) &&
               program->waitFor("done click " + button, 30s);
    }
    void exitProgram() {
        ASSERT_TRUE(act("trigger ExitItem"));
        const auto status = program->waitExit(30s);
        ASSERT_TRUE(status.has_value());
        EXPECT_EQ(*status, 0);
    }

    testsupport::JackServer server;
    testsupport::JackMidiClient rig{"rig"};
    TempFolder home;
    std::unique_ptr<e2e::ChildProcess> program;
};

TEST_F(ArrangementEndToEnd, SavedDrumsPlayAtTheirStepsAfterNewAndOpen) {
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));  // 28 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on steps 1 and 9
    ASSERT_TRUE(act("click DrumPanel9"));
    const fs::path song = home.path / "TarnFile" / "drums.QTR";
    ASSERT_TRUE(clickWithFile("SaveBtn", song));
    {
        std::ifstream saved(song, std::ios::binary);
        const Bytes head(std::istreambuf_iterator<char>(saved), {});
        ASSERT_GE(head.size(), 6u);
        ASSERT_EQ(Bytes(head.begin(), head.begin() + 6), (Bytes{1, 9, 96, 9, 9, 96}))
            << "both cells of drum 9 saved";
    }

    ASSERT_TRUE(act("click NewDrums"));
    ASSERT_TRUE(act("slide TempoBar 100"));
    ASSERT_TRUE(act("slide NumBars1 800"));
    ASSERT_TRUE(clickWithFile("OpenBtn", song));
    rig.clear();
    ASSERT_TRUE(act("click DrumStartButton"));

    const Bytes kick = {0x99, 36, 96};
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return timesOf(got, kick).size() >= 6; }))
        << "the drums arrived " << timesOf(rig.received(), kick).size() << " times; "
        << describe(rig.received());
    // Only steps 1 and 9 of the file's 32-step loop at its tempo play: 8 steps apart, then 24. A
    // loaded machine may lose an event or restart a late clock, so whole loops between two kicks
    // and a step either side are allowed.
    const auto t = timesOf(rig.received(), kick);
    std::set<long> gaps;
    for (std::size_t i = 1; i < t.size(); ++i) {
        const long steps = std::lround((t[i] - t[i - 1]) / 0.028) % 32;
        EXPECT_TRUE(std::labs(steps - 8) <= 1 || std::labs(steps - 24) <= 1) << "gap " << i << ": " << steps;
        gaps.insert(std::labs(steps - 8) <= 1 ? 8 : 24);
    }
    EXPECT_EQ(gaps, (std::set<long>{8, 24})) << "kicks on both steps";
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram();  // nothing changed since the open: no question
}

TEST_F(ArrangementEndToEnd, PartsFromAFilePlayAfterAChordForTheirFullDuration) {
    const fs::path song = home.path / "TarnFile" / "parts.QTR";
    {
        auto s = std::make_unique<app::ProgramState>();
        s->drums.DrumPattern[1][9] = 96;
        s->Engine.Tempo = 250;
        auto& parts = s->live.parts;
        parts.PartSteps[0][1] = {60, 100, 300};  // piano: middle C for 300 ms on step 1
        parts.PartSteps[3][17] = {36, 90, 150};  // bass on step 17
        parts.PartPrograms = {0, 1, 49, 62, 34};
        parts.PartChannels = {3, 0, 2, 1, 4};
        parts.PartPans = {64, 64, 64, 64, 64};
        parts.SplitPoint = 54;
        const Bytes file = app::EncodeArrangement(*s, 100);
        fs::create_directories(song.parent_path());
        std::ofstream out(song, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(clickWithFile("OpenBtn", song));
    rig.clear();

    // C, E and G below the split point: playing starts by itself with the C chord.
    for (int key : {48, 52, 43}) rig.send({0x90, static_cast<std::uint8_t>(key), 100});
    const Bytes piano = {0x90, 60, 100};
    const Bytes pianoOff = {0x90, 60, 0};
    const Bytes bass = {0x94, 36, 90};
    ASSERT_TRUE(waitUntil(
        rig, 10s,
        [&](const Received& got) { return timesOf(got, piano).size() >= 2 && !timesOf(got, bass).empty(); }))
        << "the parts played; " << describe(rig.received());
    const auto got = rig.received();
    const double on = timesOf(got, piano).front();
    double off = 0;
    for (double t : timesOf(got, pianoOff))
        if (t > on) {
            off = t;
            break;
        }
    EXPECT_NEAR(off - on, 0.300, 0.1) << "the piano's note lasts its 300 ms, not the 44 of the low byte";
    for (int key : {48, 52, 43}) rig.send({0x80, static_cast<std::uint8_t>(key), 0});
    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram();
}

}  // namespace
