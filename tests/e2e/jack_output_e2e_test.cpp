// The program's JACK outputs over a private JACK server, received by a client of the test:
// a port opened, sent to and closed at once delivers everything, again and again; so does the
// player at a file's natural end and at STOP; an exclusive message is carried whole or refused
// with an error, never dropped as a success.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <jack/jack.h>
#include <unistd.h>

#include "midifile/MidiWrite.h"
#include "platform/backends/rtmidi_ports.h"
#include "platform/backends/system_output.h"
#include "platform/midi_out.h"
#include "player/midi_file_player.h"
#include "player/player_clock.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/jack_midi_client.h"
#include "tests/support/jack_server.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr int kRounds = 200;

[[maybe_unused]] std::string firstDifference(const std::vector<Bytes>& got,
                                             const std::vector<Bytes>& expected) {
    std::size_t i = 0;
    while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
    return "first difference at message " + std::to_string(i) + " of " + std::to_string(expected.size());
}

std::vector<Bytes> bytesOf(const std::vector<testsupport::ReceivedMidi>& got) {
    std::vector<Bytes> out;
    for (const auto& m : got) out.push_back(m.bytes);
    return out;
}

class JackOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready()) << server.failure();
        ASSERT_TRUE(rig.ok());
        outputs = std::make_unique<platform::MidiOutRegistry>(
            std::make_unique<platform::SystemMidiOutBackend>(platform::MidiApi::Jack));
        for (int i = 0; i < static_cast<int>(outputs->numDevs()); ++i) {
            std::string name;
            if (outputs->getDevCaps(i, name) == platform::MMSYSERR_NOERROR && name == rig.inputPortName())
                device = i;
        }
        ASSERT_GE(device, 0) << "the rig's input is listed";
    }

    // Waits for `count` messages at the rig; what arrived, however many.
    std::vector<Bytes> awaitMessages(std::size_t count) {
        e2e::waitUntil(rig, 60s, [count](const auto& got) { return got.size() >= count; });
        return bytesOf(rig.received());
    }

    testsupport::JackServer server;
    testsupport::JackMidiClient rig{"rig"};
    std::unique_ptr<platform::MidiOutRegistry> outputs;
    int device = -1;
};

TEST_F(JackOutput, EverythingSentBeforeAnImmediateCloseArrives) {
    std::vector<Bytes> expected;
    for (int round = 0; round < kRounds; ++round) {
        platform::HMIDIOUT out = nullptr;
        ASSERT_EQ(outputs->open(&out, device), platform::MMSYSERR_NOERROR) << round;
        for (int i = 0; i < 11; ++i) {
            const Bytes m = {static_cast<std::uint8_t>(0xB0 | (round % 16)), static_cast<std::uint8_t>(i),
                             static_cast<std::uint8_t>(round / 16)};
            const std::uint32_t packed = m[0] | std::uint32_t{m[1]} << 8 | std::uint32_t{m[2]} << 16;
            ASSERT_EQ(outputs->shortMsg(out, packed), platform::MMSYSERR_NOERROR);
            expected.push_back(m);
        }
        ASSERT_EQ(outputs->close(out), platform::MMSYSERR_NOERROR) << round;
    }
    const std::vector<Bytes> got = awaitMessages(expected.size());
    ASSERT_EQ(got.size(), expected.size()) << "messages lost; " << firstDifference(got, expected);
    EXPECT_EQ(got, expected) << "in order";
}

TEST_F(JackOutput, ExclusiveMessagesArriveWholeOrAreRefusedWithAnError) {
    platform::HMIDIOUT out = nullptr;
    ASSERT_EQ(outputs->open(&out, device), platform::MMSYSERR_NOERROR);
    const auto exclusive = [](std::size_t length) {
        Bytes b(length);
        for (std::size_t i = 1; i + 1 < length; ++i) b[i] = static_cast<std::uint8_t>(i % 128);
        b.front() = 0xF0;
        b.back() = 0xF7;
        return b;
    };
    // One that a period carries, one that no period can, and a note after both: the port goes
    // on working after a refusal.
    const Bytes carried = exclusive(20000);
    const Bytes tooLarge = exclusive(200000);
    const Bytes note = {0x90, 60, 100};
    EXPECT_EQ(outputs->longMsg(out, carried.data(), carried.size()), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(outputs->longMsg(out, tooLarge.data(), tooLarge.size()), platform::MIDIERR_TOOLARGE);
    EXPECT_EQ(outputs->shortMsg(out, 0x643C90), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(outputs->close(out), platform::MMSYSERR_NOERROR);
    const std::vector<Bytes> got = awaitMessages(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(got[0] == carried) << "the large message arrived byte for byte (" << got[0].size()
                                   << " bytes)";
    EXPECT_EQ(got[1], note);
}

// libjack puts a client's socket at a path made of the client's name and the user, whatever the
// server: two clients of one name opening at the same moment, on two servers (a program and a
// second one, or a test beside another), take each other's socket and fail to open. So every
// client of ours, the lists' clients, the output and the input alike, carries this process's id.
TEST_F(JackOutput, EveryClientOfOursHasANameNoOtherProcessUses) {
    struct Registrations {
        std::mutex mutex;
        std::vector<std::string> names;
        static void added(const char* name, int registered, void* self) {
            auto* r = static_cast<Registrations*>(self);
            std::lock_guard lock(r->mutex);
            if (registered && std::string_view(name).starts_with("Quintora2")) r->names.emplace_back(name);
        }
        std::vector<std::string> seen() {
            std::lock_guard lock(mutex);
            return names;
        }
    } registrations;
    const std::string listenerName = "listener-" + std::to_string(getpid());
    jack_status_t status{};
    jack_client_t* listener = jack_client_open(listenerName.c_str(), JackNoStartServer, &status);
    ASSERT_NE(listener, nullptr);
    jack_set_client_registration_callback(listener, &Registrations::added, &registrations);
    ASSERT_EQ(jack_activate(listener), 0);

    struct NoSink : platform::MidiInSink {
        void shortMessage(std::uint32_t) override {}
    } sink;
    {
        platform::MidiOutRegistry outs(
            std::make_unique<platform::SystemMidiOutBackend>(platform::MidiApi::Jack));
        platform::RtMidiInBackend ins(platform::MidiApi::Jack);
        int outDevice = -1, inDevice = -1;
        for (int i = 0; i < static_cast<int>(outs.numDevs()); ++i) {
            std::string name;
            if (outs.getDevCaps(i, name) == platform::MMSYSERR_NOERROR && name == rig.inputPortName())
                outDevice = i;
        }
        const auto inputs = ins.portNames();
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (inputs[i] == rig.outputPortName()) inDevice = static_cast<int>(i);
        ASSERT_GE(outDevice, 0);
        ASSERT_GE(inDevice, 0);
        platform::HMIDIOUT out = nullptr;
        ASSERT_EQ(outs.open(&out, outDevice), platform::MMSYSERR_NOERROR);
        platform::MMRESULT error = platform::MMSYSERR_NOERROR;
        auto in = ins.open(inDevice, &sink, error);
        ASSERT_TRUE(in) << error;

        // Two lists' clients, the output's, the input's and the one that waited for the
        // input's connection.
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (registrations.seen().size() < 5 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        EXPECT_EQ(outs.close(out), platform::MMSYSERR_NOERROR);
    }
    jack_client_close(listener);

    const auto names = registrations.seen();
    ASSERT_EQ(names.size(), 5u);
    const std::string ours = "-" + std::to_string(getpid()) + "-";
    for (const auto& name : names) EXPECT_NE(name.find(ours), std::string::npos) << name;
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << "each name once";
}

// The player over the real port: a chord whose note-offs fall at the file's very end, or that
// STOP ends, reaches the rig whole every time.
class PlayerOverJack : public JackOutput {
  protected:
    void SetUp() override {
        JackOutput::SetUp();
        std::string t = (fs::temp_directory_path() / "quintora-jack-out-XXXXXX").string();
        ASSERT_NE(mkdtemp(t.data()), nullptr);
        folder = t;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }

    // Keys 60, 64, 67 on channel 1, on at 0 and off (note-ons of velocity 0) at `lengthMs`, the
    // file's end (division 500 at 120 beats a minute: a tick a millisecond).
    std::string writeChord(int lengthMs) {
        const std::string path = (folder / "chord.mid").string();
        midifile::MidiWrite w(path.c_str());
        w.WriteHeader(0, 1, 500);
        w.StartTrack();
        for (int key : {60, 64, 67}) w.WriteNoteOn(0, key, 100);
        w.AddDelta(static_cast<std::uint32_t>(lengthMs));
        for (int key : {60, 64, 67}) w.WriteNoteOff(0, key, 0);
        EXPECT_TRUE(w.Close());
        return path;
    }

    // The chord's note-ons and the note-offs that end it.
    static std::vector<Bytes> chordRound(std::uint8_t offStatus, std::uint8_t offVelocity) {
        return {{0x90, 60, 100},
                {0x90, 64, 100},
                {0x90, 67, 100},
                {offStatus, 60, offVelocity},
                {offStatus, 64, offVelocity},
                {offStatus, 67, offVelocity}};
    }

    fs::path folder;
    player::SteadyPlayerClock clock;
};

TEST_F(PlayerOverJack, EveryNoteOffAtAFilesVeryEndArrives) {
    player::MidiFilePlayer media(*outputs, clock);
    ASSERT_TRUE(media.Open(writeChord(5), device)) << media.LastError();
    std::vector<Bytes> expected;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(media.Play(), platform::MMSYSERR_NOERROR) << media.LastError();
        ASSERT_TRUE(media.WaitUntilStopped(10s)) << round;
        for (const Bytes& m : chordRound(0x90, 0)) expected.push_back(m);  // the file's own note-offs
    }
    const std::vector<Bytes> got = awaitMessages(expected.size());
    ASSERT_EQ(got.size(), expected.size()) << "messages lost; " << firstDifference(got, expected);
    EXPECT_EQ(got, expected);
}

TEST_F(PlayerOverJack, StopEndsEveryNoteAndTheNoteOffsArrive) {
    player::MidiFilePlayer media(*outputs, clock);
    const std::string path = writeChord(60000);
    ASSERT_TRUE(media.Open(path, device)) << media.LastError();
    std::vector<Bytes> expected;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(media.Play(), platform::MMSYSERR_NOERROR) << media.LastError();
        // STOP once the chord sounds (a note-on in flight would otherwise need no ending).
        const std::size_t ons = expected.size() + 3;
        ASSERT_TRUE(e2e::waitUntil(rig, 10s, [ons](const auto& got) { return got.size() >= ons; }))
            << "round " << round << ": " << rig.received().size() << " of " << ons << " arrived";
        media.Stop();
        ASSERT_TRUE(media.Open(path, device));  // the next Play starts the file afresh
        for (const Bytes& m : chordRound(0x80, 0x40)) expected.push_back(m);  // the player's note-offs
    }
    const std::vector<Bytes> got = awaitMessages(expected.size());
    ASSERT_EQ(got.size(), expected.size()) << "messages lost; " << firstDifference(got, expected);
    EXPECT_EQ(got, expected);
}

}  // namespace
