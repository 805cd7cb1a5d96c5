// The program's JACK input over a private JACK server, fed by a client of the test that sends
// in every period: opened again and again, each input hears the keys, and each close ends
// cleanly while keys are still arriving (a close that frees the port under a running period
// ends the program).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/backends/rtmidi_ports.h"
#include "platform/midi_in.h"
#include "tests/support/jack_midi_client.h"
#include "tests/support/jack_server.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRounds = 200;

class CountingSink final : public platform::MidiInSink {
  public:
    void shortMessage(std::uint32_t packed) override {
        last.store(packed);
        count.fetch_add(1);
    }
    std::atomic<std::uint64_t> count{0};
    std::atomic<std::uint32_t> last{0};
};

TEST(JackInput, EveryOpenHearsTheKeysAndEveryCloseWhileTheyArriveEndsCleanly) {
    testsupport::JackServer server;
    ASSERT_TRUE(server.ready()) << server.failure();
    testsupport::JackMidiClient rig{"keys"};
    ASSERT_TRUE(rig.ok()) << rig.failure();
    platform::RtMidiInBackend inputs(platform::MidiApi::Jack);
    int device = -1;
    const auto names = inputs.portNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == rig.outputPortName()) device = static_cast<int>(i);
    ASSERT_GE(device, 0) << "the rig's output is listed";

    // Keys in every period, each followed by a clock message and active sensing, which the
    // input leaves out.
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        while (feeding.load()) {
            rig.send({0x90, 60, 100});
            rig.send({0xF8});
            rig.send({0xFE});
            std::this_thread::sleep_for(1ms);
        }
    });
    CountingSink sink;
    int heard = 0;
    for (int round = 0; round < kRounds; ++round) {
        platform::MMRESULT error = platform::MMSYSERR_NOERROR;
        auto port = inputs.open(device, &sink, error);
        ASSERT_TRUE(port) << "round " << round << ": error " << error;
        const std::uint64_t before = sink.count.load();
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (sink.count.load() == before && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        heard += sink.count.load() > before;
        port.reset();  // while the keys go on arriving
    }
    feeding.store(false);
    feeder.join();
    EXPECT_EQ(heard, kRounds) << "every open heard the keys";
    EXPECT_EQ(sink.last.load(), 0x643C90u) << "only the key, as one short message";
}

}  // namespace
