// The real program on a private JACK server: a drum cell set on the drum tab plays on MIDI
// channel 10 at the step rate, and File | Exit ends every note and leaves the configuration.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

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

// The output device number the program will give the recorder's input port.
int deviceOf(const std::string& fragment) {
    platform::SystemMidiOutBackend ports(platform::MidiApi::Jack);
    const auto names = ports.portNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].find(fragment) != std::string::npos) return static_cast<int>(i);
    return -1;
}

TEST(EndToEnd, ADrumCellPlaysOnChannelTenAndExitSilencesEverything) {
    testsupport::JackServer server;
    ASSERT_TRUE(server.ready()) << server.failure();
    testsupport::JackMidiClient recorder("recorder");
    ASSERT_TRUE(recorder.ok()) << recorder.failure();
    const int device = deviceOf(recorder.inputPortName());
    ASSERT_GE(device, 0) << "the recorder's port is an output device";

    TempFolder home;
    ASSERT_FALSE(home.path.empty());
    {
        // The output device chosen beforehand, as the setup page would have stored it.
        std::ofstream cfg(home.path / "Quintora2.cfg", std::ios::binary);
        const char bytes[3] = {static_cast<char>(device), 0, 3};
        cfg.write(bytes, 3);
    }

    e2e::ChildProcess program(QUINTORA_DRIVEN, {{"QT_QPA_PLATFORM", "offscreen"},
                                                {"QUINTORA_MIDI_API", "jack"},
                                                {"QUINTORA_HOME", home.path.string()}});
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitFor("ready ", 30s)) << "the program started";
    auto act = [&](const std::string& action) {
        program.writeLine(action);
        return program.waitFor("done " + action, 30s);
    };
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));  // 7200 / 250 = 28 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a loop of one bar, 32 steps
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum (tab 9, key 36) on step 1, velocity 96
    recorder.clear();
    ASSERT_TRUE(act("click DrumStartButton"));

    const Bytes kick = {0x99, 36, 96};
    auto kicks = [&](const std::vector<testsupport::ReceivedMidi>& got) {
        std::vector<double> t;
        for (auto& m : got)
            if (m.bytes == kick) t.push_back(m.seconds);
        return t;
    };
    ASSERT_TRUE(waitUntil(recorder, 10s, [&](const auto& got) { return kicks(got).size() >= 4; }))
        << "the drum arrived " << kicks(recorder.received()).size() << " times";
    const auto times = kicks(recorder.received());
    // The step clock plays the hits itself: a bar of 32 steps apart, to within the delivery's
    // delay on a loaded machine (six steps; a wrong tempo or a hit on every step is far off).
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_NEAR(times[i] - times[i - 1], 32 * 0.028, e2e::stepTolerance(0.028, recorder, 6))
            << "one bar of 32 steps between hits";
    for (auto& m : recorder.received()) {
        if (m.bytes.size() == 3 && (m.bytes[0] & 0xF0) == 0x90 && m.bytes[2] > 0) {
            EXPECT_EQ(m.bytes[0], 0x99) << "only the drum channel plays";
        }
    }

    // Exit offers to save the new drum; the answer No keeps nothing and exit goes on.
    program.writeLine("trigger ExitItem");
    ASSERT_TRUE(act("answer No")) << "the Save Changes? box was on screen";
    ASSERT_TRUE(program.waitFor("done trigger ExitItem", 30s));
    const auto status = program.waitExit(30s);
    ASSERT_TRUE(status.has_value()) << "the program ended";
    EXPECT_EQ(*status, 0);

    // Every note of every channel was switched off after the last note-on. The program has
    // ended; what it sent last may still be on its way through the server.
    auto offsAfterLastOn = [](const std::vector<testsupport::ReceivedMidi>& got) {
        std::size_t lastOn = 0;
        for (std::size_t i = 0; i < got.size(); ++i)
            if (got[i].bytes.size() == 3 && (got[i].bytes[0] & 0xF0) == 0x90 && got[i].bytes[2] > 0)
                lastOn = i;
        std::set<std::pair<int, int>> offs;
        for (std::size_t i = lastOn + 1; i < got.size(); ++i) {
            const Bytes& b = got[i].bytes;
            if (b.size() == 3 && b[2] == 0 && ((b[0] & 0xF0) == 0x80 || (b[0] & 0xF0) == 0x90))
                offs.insert({b[0] & 0x0F, b[1]});
        }
        return offs.size();
    };
    waitUntil(recorder, 10s, [&](const auto& got) { return offsAfterLastOn(got) >= 16u * 128u; });
    EXPECT_EQ(offsAfterLastOn(recorder.received()), 16u * 128u)
        << "note-offs for every note and channel after the last note-on";

    std::ifstream cfg(home.path / "Quintora2.cfg", std::ios::binary);
    const std::vector<unsigned char> bytes(std::istreambuf_iterator<char>(cfg), {});
    EXPECT_EQ(bytes, (std::vector<unsigned char>{static_cast<unsigned char>(device), 0, 3}));
}

}  // namespace
