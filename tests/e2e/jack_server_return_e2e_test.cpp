// A private JACK server killed under the program's JACK devices and started again: the lists
// empty out, the ports of the server that went fail and go without a crash, and the lists and
// opens find the server that came back, its ports and the built-in synth's playback there.

#include <gtest/gtest.h>

#include <jack/jack.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/backends/builtin_synth.h"
#include "platform/backends/jack_client.h"
#include "platform/backends/rtmidi_ports.h"
#include "platform/backends/system_output.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/jack_midi_client.h"
#include "tests/support/jack_server.h"

namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

int indexOf(const Names& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

// Asks `condition` again until it holds, at most 30 s.
template <typename F>
bool eventually(F condition) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

struct Inbox : platform::MidiInSink {
    void shortMessage(std::uint32_t packed) override {
        std::lock_guard lock(mutex);
        got.push_back(packed);
    }
    bool holds(std::uint32_t packed) {
        std::lock_guard lock(mutex);
        for (auto m : got)
            if (m == packed) return true;
        return false;
    }
    std::mutex mutex;
    std::vector<std::uint32_t> got;
};

class ServerReturn : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready()) << server.failure();
        ASSERT_TRUE(rig.ok()) << rig.failure();
    }
    void TearDown() override { unsetenv("QUINTORA_AUDIO"); }

    // Kills the server; true once both lists have seen it go.
    bool killServer() {
        if (!server.crash()) return false;
        return eventually([&] { return outputs.portNames().empty() && inputs.portNames().empty(); });
    }

    // Starts the server again with a client the lists never saw (a list of the server that went
    // would not hold it).
    void restartServer() {
        ASSERT_TRUE(server.restart()) << server.failure();
        again.emplace("rig-again");
        ASSERT_TRUE(again->ok()) << again->failure();
    }

    testsupport::JackServer server;
    testsupport::JackMidiClient rig{"rig"};
    std::optional<testsupport::JackMidiClient> again;
    platform::SystemMidiOutBackend outputs{platform::MidiApi::Jack};
    platform::RtMidiInBackend inputs{platform::MidiApi::Jack};
};

TEST_F(ServerReturn, PortsOfAServerThatWentFailAndTheOneThatCameBackIsListedAndOpened) {
    platform::MMRESULT error = platform::MMSYSERR_NOERROR;
    const int outDevice = indexOf(outputs.portNames(), rig.inputPortName());
    const int inDevice = indexOf(inputs.portNames(), rig.outputPortName());
    ASSERT_GE(outDevice, 0);
    ASSERT_GE(inDevice, 0);
    Inbox before;
    auto out = outputs.open(outDevice, error);
    ASSERT_TRUE(out) << error;
    auto in = inputs.open(inDevice, &before, error);
    ASSERT_TRUE(in) << error;

    ASSERT_TRUE(killServer()) << "the lists still show the server that went";
    EXPECT_NE(out->shortMsg(0x643C90), platform::MMSYSERR_NOERROR) << "a send into a server that went";
    platform::MMRESULT lost = platform::MMSYSERR_NOERROR;
    EXPECT_FALSE(outputs.open(outDevice, lost)) << "no server, no port";
    EXPECT_FALSE(inputs.open(inDevice, &before, lost)) << "no server, no port";
    // Their clients went with the server: dropped, never closed.
    out->close();
    out.reset();
    in.reset();

    restartServer();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(eventually([&] { return indexOf(outputs.portNames(), again->inputPortName()) >= 0; }))
        << "MIDI OUT lists the server that came back";
    ASSERT_TRUE(eventually([&] { return indexOf(inputs.portNames(), again->outputPortName()) >= 0; }))
        << "MIDI IN lists the server that came back";

    out = outputs.open(indexOf(outputs.portNames(), again->inputPortName()), error);
    ASSERT_TRUE(out) << error;
    EXPECT_EQ(out->shortMsg(0x643C90), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(out->close(), platform::MMSYSERR_NOERROR);
    EXPECT_TRUE(e2e::waitUntil(*again, 30s, [](const auto& got) { return !got.empty(); }))
        << "the note reached the port of the server that came back";

    Inbox after;
    in = inputs.open(indexOf(inputs.portNames(), again->outputPortName()), &after, error);
    ASSERT_TRUE(in) << error;
    EXPECT_TRUE(eventually([&] {
        again->send({0x90, 62, 90});  // again until one arrives: the connection stands a period late
        return after.holds(0x5A3E90);
    })) << "a key of the server that came back reached the input";
    in.reset();  // before `after`: a key still on its way is handed to it until then
}

// The synth's outputs and the physical playback ports they are connected to ("left" to
// "system:playback_1" and so on); empty when the synth has no client on the server.
std::vector<std::pair<std::string, std::string>> synthConnections() {
    std::vector<std::pair<std::string, std::string>> out;
    const auto looker = platform::JackClient::open("looker-" + std::to_string(getpid()));
    if (!looker) return out;
    const char** ports =
        jack_get_ports(looker->get(), "^fluidsynth", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    if (!ports) return out;
    for (int i = 0; ports[i]; ++i) {
        const char** to =
            jack_port_get_all_connections(looker->get(), jack_port_by_name(looker->get(), ports[i]));
        for (int j = 0; to && to[j]; ++j) {
            const jack_port_t* target = jack_port_by_name(looker->get(), to[j]);
            if (target && (jack_port_flags(target) & JackPortIsPhysical)) out.emplace_back(ports[i], to[j]);
        }
        if (to) jack_free(to);
    }
    jack_free(ports);
    return out;
}

bool feedsBothPlaybackPorts(const std::vector<std::pair<std::string, std::string>>& connections) {
    bool first = false, second = false;
    for (const auto& [from, to] : connections) {
        first = first || to == "system:playback_1";
        second = second || to == "system:playback_2";
    }
    return first && second;
}

TEST_F(ServerReturn, TheSynthOnJackPlaysIntoThePlaybackPortsAndDoesAgainOnceTheServerIsBack) {
    if (platform::BuiltinSynth::defaultSoundFont().empty()) GTEST_SKIP() << "no General MIDI SoundFont";
    setenv("QUINTORA_AUDIO", "jack", 1);
    platform::MMRESULT error = platform::MMSYSERR_NOERROR;
    auto synth = outputs.open(platform::MIDI_MAPPER, error);
    ASSERT_TRUE(synth) << error;
    EXPECT_TRUE(eventually([] { return feedsBothPlaybackPorts(synthConnections()); }))
        << "the synth's outputs are connected to the playback ports as it starts";
    EXPECT_EQ(synth->shortMsg(0x643C90), platform::MMSYSERR_NOERROR);

    ASSERT_TRUE(killServer());
    synth.reset();  // the synth stays, silent; its client went with the server
    restartServer();
    if (HasFatalFailure()) return;
    synth = outputs.open(platform::MIDI_MAPPER, error);
    ASSERT_TRUE(synth) << error;
    EXPECT_TRUE(eventually([] { return feedsBothPlaybackPorts(synthConnections()); }))
        << "the synth plays into the playback ports of the server that came back";
}

}  // namespace
