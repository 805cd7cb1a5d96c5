// The engine on real ports: a JACK output port, and the built-in synth rendered in-process.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "engine/engine.h"
#include "platform/backends/builtin_synth.h"
#include "platform/backends/system_output.h"
#include "platform/services.h"
#include "tests/support/jack_midi_client.h"
#include "tests/support/jack_server.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Sender {
    engine::Engine& e;
    std::uint8_t outDevice = 0xFF;
    std::uint32_t tempo = 120;
    void call(std::uint8_t command, std::uint8_t step = 0, std::uint8_t drum = 0, std::uint8_t cell = 0,
              std::uint8_t aux = 0) {
        e.Params(0, 9, cell, 0, outDevice, aux, tempo, 0, step, drum, command);
    }
};

// One pass of the pattern below: each drum's pan, then its note, on channel 10.
const std::vector<Bytes> kOnePass = {{0xB9, 10, 64},  {0x99, 36, 100}, {0xB9, 10, 64}, {0x99, 38, 90},
                                     {0xB9, 10, 100}, {0x99, 42, 70},  {0xB9, 10, 64}, {0x99, 36, 110},
                                     {0xB9, 10, 64},  {0x99, 38, 80}};

// The drum notes and pan changes that have arrived, in order.
std::vector<Bytes> drumMessages(const testsupport::JackMidiClient& recorder) {
    std::vector<Bytes> notes;
    for (auto& m : recorder.received())
        if (m.bytes.size() == 3 && (m.bytes[0] == 0x99 || (m.bytes[0] == 0xB9 && m.bytes[1] == 10)))
            notes.push_back(m.bytes);
    return notes;
}

TEST(RealPort, TwoBarPatternArrivesOnAJackPortInStepOrder) {
    testsupport::JackServer server;
    ASSERT_TRUE(server.ready()) << server.failure();
    testsupport::JackMidiClient recorder("recorder");
    ASSERT_TRUE(recorder.ok());

    platform::Services& services = platform::services();
    services.midiOut().setBackend(std::make_unique<platform::SystemMidiOutBackend>(platform::MidiApi::Jack));
    std::string name;
    int device = -1;
    for (unsigned i = 0; i < services.midiOut().numDevs(); ++i)
        if (services.midiOut().getDevCaps(static_cast<int>(i), name) == 0 &&
            name.find(recorder.inputPortName()) != std::string::npos)
            device = static_cast<int>(i);
    ASSERT_GE(device, 0) << "the recorder's port is listed as an output device";

    {
        engine::Engine e(services);
        Sender s{e, static_cast<std::uint8_t>(device), 250};
        s.call(engine::CmdClearGrid);
        // Hits on steps 1 (kick 36), 9 (snare 38, and hat 42 with pan 100), 33 and 64.
        const std::tuple<int, int, int> hits[] = {
            {1, 9, 100}, {9, 11, 90}, {9, 15, 70}, {33, 9, 110}, {64, 11, 80}};
        for (auto [st, d, v] : hits)
            s.call(0, static_cast<std::uint8_t>(st), static_cast<std::uint8_t>(d),
                   static_cast<std::uint8_t>(v));
        s.call(engine::CmdDrumPan, 64, 15, 0, 100);  // CellValue = pattern[64][15] = 0
        s.call(2, 64, 11, 80);
        s.call(engine::CmdStart, 64, 11, 80);
        // Two passes of two bars at 28 ms a step: the wait ends when both have arrived, or
        // after a generous minute however slowly a loaded machine runs them.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (drumMessages(recorder).size() < 2 * kOnePass.size() &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        s.call(engine::CmdStop, 64, 11, 80);
        s.call(engine::CmdCloseOut, 64, 11, 80);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    std::vector<double> kickTimes;
    const std::vector<Bytes> notes = drumMessages(recorder);
    for (auto& m : recorder.received())
        if (m.bytes == Bytes{0x99, 36, 100}) kickTimes.push_back(m.seconds);
    const std::vector<Bytes>& onePass = kOnePass;
    ASSERT_GE(notes.size(), 2 * onePass.size()) << "two passes arrived";
    for (std::size_t i = 0; i < notes.size(); ++i) EXPECT_EQ(notes[i], onePass[i % onePass.size()]) << i;
    ASSERT_GE(kickTimes.size(), 2u);
    // 64 steps of 28 ms apart. Each kick is stamped when the recorder's period takes it in, and
    // on a loaded machine the clock may play a step late and catch up: one step and two server
    // periods, as everywhere the tests time messages on JACK.
    EXPECT_NEAR(kickTimes[1] - kickTimes[0], 64 * 0.028, 0.028 + 2 * recorder.periodSeconds());
    services.midiOut().setBackend(nullptr);
}

// A backend that puts one in-process synth behind device -1.
class RenderBackend final : public platform::MidiOutBackend {
  public:
    explicit RenderBackend(std::shared_ptr<platform::BuiltinSynth> s) : synth_(std::move(s)) {}
    std::string synthName() override { return "render"; }
    std::vector<std::string> portNames() override { return {}; }
    std::unique_ptr<platform::MidiOutPort> open(int, platform::MMRESULT&) override {
        return platform::makeSynthPort(synth_);
    }

  private:
    std::shared_ptr<platform::BuiltinSynth> synth_;
};

float peak(platform::BuiltinSynth& synth, int frames) {
    std::vector<float> l(static_cast<std::size_t>(frames)), r(static_cast<std::size_t>(frames));
    synth.render(l.data(), r.data(), frames);
    float p = 0;
    for (int i = 0; i < frames; ++i)
        p = std::max(
            {p, std::fabs(l[static_cast<std::size_t>(i)]), std::fabs(r[static_cast<std::size_t>(i)])});
    return p;
}

TEST(RealPort, BuiltinSynthSoundsANoteAndIsSilentAfterThePanic) {
    auto synth = std::make_shared<platform::BuiltinSynth>(platform::BuiltinSynth::Audio::None);
    ASSERT_TRUE(synth->hasSoundFont()) << "a General MIDI SoundFont is installed";
    platform::Services& services = platform::services();
    services.midiOut().setBackend(std::make_unique<RenderBackend>(synth));
    {
        engine::Engine e(services);
        Sender s{e};
        s.call(engine::CmdOpenOut);
        EXPECT_LT(peak(*synth, 4410), 1e-4f) << "silent before any note";
        EXPECT_EQ(e.ShortMidiMsg(0x10, 60, 110), 0);
        EXPECT_EQ(e.ShortMidiMsg(0x19, 38, 120), 0);
        EXPECT_GT(peak(*synth, 8820), 0.01f) << "a note-on is heard";
        e.MidiPanic();
        peak(*synth, 3 * 44100);  // let the reverb tail fade
        EXPECT_LT(peak(*synth, 4410), 1e-4f) << "silence after the panic";
    }
    services.midiOut().setBackend(nullptr);
}

}  // namespace
