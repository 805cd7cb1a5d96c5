#include "tests/e2e/program_rig.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <thread>

#include "midifile/MidiWrite.h"
#include "platform/backends/rtmidi_ports.h"
#include "platform/backends/system_output.h"

namespace e2e {

using namespace std::chrono_literals;

int indexOf(const std::vector<std::string>& names, const std::string& fragment) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].find(fragment) != std::string::npos) return static_cast<int>(i);
    return -1;
}

std::string describe(const Received& got, std::size_t count) {
    std::string out = std::to_string(got.size()) + " messages:";
    for (std::size_t i = got.size() > count ? got.size() - count : 0; i < got.size(); ++i) {
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

bool isNoteOn(const Bytes& m, int channel, int note) {
    return m.size() == 3 && m[0] == 0x90 + channel && m[1] == note && m[2] > 0;
}

std::size_t countNoteOns(const Received& got, int channel, int note) {
    std::size_t n = 0;
    for (auto& m : got) n += isNoteOn(m.bytes, channel, note);
    return n;
}

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

void WriteSong(const std::filesystem::path& path, int channel, const std::vector<Note>& notes) {
    midifile::MidiWrite w(path.string().c_str());
    w.WriteHeader(1, 2, 500);
    w.StartTrack();
    w.WriteTempo(500000);
    w.StartTrack();
    struct Event {
        int ms;
        bool on;
        int key;
    };
    std::vector<Event> events;
    for (const Note& n : notes) {
        events.push_back({n.startMs, true, n.key});
        events.push_back({n.startMs + n.lengthMs, false, n.key});
    }
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        return a.ms < b.ms || (a.ms == b.ms && !a.on && b.on);
    });
    int at = 0;
    for (const Event& e : events) {
        w.AddDelta(static_cast<uint32_t>(e.ms - at));
        at = e.ms;
        e.on ? w.WriteNoteOn(channel, e.key, 100) : w.WriteNoteOff(channel, e.key, 0);
    }
    ASSERT_TRUE(w.Close()) << path;
}

void ProgramOnJack::SetUp() {
    ASSERT_TRUE(server.ready()) << server.failure();
    ASSERT_TRUE(rig.ok()) << rig.failure();
    // The device numbers the program will give the client's ports. A server just started on a
    // loaded machine may be slow to show a new client's ports: asks again until a deadline.
    int outDevice = -1, inDevice = -1;
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    for (;;) {
        platform::SystemMidiOutBackend outputs(platform::MidiApi::Jack);
        platform::RtMidiInBackend inputs(platform::MidiApi::Jack);
        outDevice = indexOf(outputs.portNames(), rig.inputPortName());
        inDevice = indexOf(inputs.portNames(), rig.outputPortName());
        if ((outDevice >= 0 && inDevice >= 0) || std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(200ms);
    }
    ASSERT_GE(outDevice, 0) << "the client's input is an output device";
    ASSERT_GE(inDevice, 0) << "the client's output is an input device";
    ASSERT_FALSE(home.path.empty());
    std::ofstream cfg(home.path / "Quintora2.cfg", std::ios::binary);
    const char bytes[3] = {static_cast<char>(outDevice), static_cast<char>(inDevice), 3};
    cfg.write(bytes, 3);
}

void ProgramOnJack::startProgram() {
    program = std::make_unique<ChildProcess>(
        QUINTORA_DRIVEN, std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "offscreen"},
                                                            {"QUINTORA_MIDI_API", "jack"},
                                                            {"QUINTORA_HOME", home.path.string()}});
    ASSERT_TRUE(program->started());
    ASSERT_TRUE(program->waitFor("ready ", 30s)) << program->threadStacks();
}

bool ProgramOnJack::act(const std::string& action, std::chrono::seconds timeout) {
    program->writeLine(action);
    if (program->waitFor("done " + action, timeout)) return true;
    // What the program was doing instead (or how it ended) goes with the caller's failure.
    std::fprintf(stderr, "no answer to \"%s\"; %s\n", action.c_str(), program->threadStacks().c_str());
    return false;
}

bool ProgramOnJack::answerNo() {
    program->writeLine("answer No");
    return program->waitFor("done answer No", 30s);
}

bool ProgramOnJack::answerWhenShown(const std::string& button, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const std::string line = "answer " + button;
    while (std::chrono::steady_clock::now() < deadline) {
        program->writeLine(line);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            const auto got = program->readLine(std::max(left, 1ms));
            if (!got) return false;
            if (*got == "done " + line) return true;
            if (*got == "missing " + line) break;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

bool ProgramOnJack::clickWithFile(const std::string& button, const std::filesystem::path& path,
                                  bool questions) {
    program->writeLine("click " + button);
    if (questions && !answerNo()) return false;
    // A file dialog can take long to come up on a loaded machine.
    program->writeLine("file " + path.string());
    if (!program->waitFor("done file " + path.string(), 30s)) return false;
    if (questions && !answerNo()) return false;
    return program->waitFor("done click " + button, 30s);
}

void ProgramOnJack::press(std::initializer_list<int> keys) {
    for (int k : keys) rig.send({0x90, static_cast<std::uint8_t>(k), 100});
}

void ProgramOnJack::release(std::initializer_list<int> keys) {
    for (int k : keys) rig.send({0x80, static_cast<std::uint8_t>(k), 0});
}

void ProgramOnJack::exitProgram(bool answerNo) {
    program->writeLine("trigger ExitItem");
    if (answerNo) program->writeLine("answer No");  // answered only if the box comes up
    ASSERT_TRUE(program->waitFor("done trigger ExitItem", 30s)) << program->threadStacks();
    const auto status = program->waitExit(30s);
    ASSERT_TRUE(status.has_value()) << program->threadStacks();
    EXPECT_EQ(*status, 0);
}

}  // namespace e2e
