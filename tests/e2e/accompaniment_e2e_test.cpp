// The real program on a private JACK server, played from a keyboard client: three chord keys
// below the split point start playing by themselves, a THRU key comes back transposed by the
// THRU octave, and E held alone stops playing at the next bar end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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

std::vector<double> timesOf(const Received& got, const Bytes& message) {
    std::vector<double> t;
    for (auto& m : got)
        if (m.bytes == message) t.push_back(m.seconds);
    return t;
}

TEST(EndToEnd, ChordKeysStartPlayingThruIsTransposedAndEStopsAtTheBarEnd) {
    testsupport::JackServer server;
    ASSERT_TRUE(server.ready()) << server.failure();
    testsupport::JackMidiClient rig("rig");  // records the program's output, plays its keyboard
    ASSERT_TRUE(rig.ok());
    platform::SystemMidiOutBackend outputs(platform::MidiApi::Jack);
    platform::RtMidiInBackend inputs(platform::MidiApi::Jack);
    const int outDevice = indexOf(outputs.portNames(), "rig:in");
    const int inDevice = indexOf(inputs.portNames(), "rig:out");
    ASSERT_GE(outDevice, 0);
    ASSERT_GE(inDevice, 0);

    TempFolder home;
    ASSERT_FALSE(home.path.empty());
    {
        std::ofstream cfg(home.path / "Quintora2.cfg", std::ios::binary);
        const char bytes[3] = {static_cast<char>(outDevice), static_cast<char>(inDevice), 3};
        cfg.write(bytes, 3);
    }
    e2e::ChildProcess program(QUINTORA_DRIVEN, {{"QT_QPA_PLATFORM", "offscreen"},
                                                {"QUINTORA_MIDI_API", "jack"},
                                                {"QUINTORA_HOME", home.path.string()}});
    ASSERT_TRUE(program.started());
    ASSERT_TRUE(program.waitFor("ready ", 30s));
    auto act = [&](const std::string& action) {
        program.writeLine(action);
        return program.waitFor("done " + action, 10s);
    };
    ASSERT_TRUE(act("click OctaveCSpinButtonUp"));  // THRU one octave up
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("slide TempoBar 250"));  // 28 ms a step
    ASSERT_TRUE(act("slide NumBars1 100"));  // a one-bar loop
    ASSERT_TRUE(act("click DrumPanel1"));    // the bass drum on step 1
    rig.clear();

    // C, E and G below the split point (54): playing starts by itself.
    for (int key : {48, 52, 43}) rig.send({0x90, static_cast<std::uint8_t>(key), 100});
    const Bytes kick = {0x99, 36, 96};
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return timesOf(got, kick).size() >= 2; }))
        << "the drums arrived after the chord";
    for (int key : {48, 52, 43}) rig.send({0x80, static_cast<std::uint8_t>(key), 0});

    // A key on the THRU channel comes back an octave up, and its release ends it.
    rig.send({0x93, 60, 100});
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& got) {
        return !timesOf(got, {0x93, 72, 100}).empty();
    })) << "the THRU key came back transposed";
    rig.send({0x93, 60, 0});
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& got) {
        return !timesOf(got, {0x93, 72, 0}).empty();
    }));

    // E held alone for nine steps asks for the end; playing stops at the bar's last step.
    rig.send({0x90, 52, 100});
    const Bytes drumsOff = {0xB9, 123, 0};
    const std::size_t offsBefore = timesOf(rig.received(), drumsOff).size();
    ASSERT_TRUE(waitUntil(rig, 5s, [&](const Received& got) {
        return timesOf(got, drumsOff).size() > offsBefore;
    })) << "playing stopped";
    rig.send({0x80, 52, 0});
    const auto got = rig.received();
    const double stopped = timesOf(got, drumsOff).back();
    double lastKick = 0;
    for (double t : timesOf(got, kick))
        if (t < stopped) lastKick = t;
    // The kick plays at step 1; the stop follows step 32, 31 steps of 28 ms later.
    EXPECT_NEAR(stopped - lastKick, 31 * 0.028, 0.04);
    std::this_thread::sleep_for(1500ms);
    for (double t : timesOf(rig.received(), kick)) EXPECT_LT(t, stopped) << "no drum after the stop";

    program.writeLine("trigger ExitItem");
    ASSERT_TRUE(act("answer No"));
    ASSERT_TRUE(program.waitFor("done trigger ExitItem", 30s));
    const auto status = program.waitExit(30s);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 0);
}

}  // namespace
