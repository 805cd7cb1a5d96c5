#include "tests/app/support/test_engine.h"

namespace testsupport {

TestEngineLink::TestEngineLink(platform::testing::TestPlatform& platform)
    : engine(platform::services()), platform_(platform) {}

void TestEngineLink::sync() {
    auto calls = platform_.inputBackend->calls();
    for (; inputSeen_ < calls.size(); ++inputSeen_) journal_.push_back("in: " + calls[inputSeen_]);
}

void TestEngineLink::note(std::string entry) {
    sync();
    journal_.push_back(std::move(entry));
}

void TestEngineLink::Params(const common::EngineParams& p) {
    params.push_back(p);
    note(p.Command ? "cmd " + std::to_string(p.Command) : "params");
    engine.Params(p.Channel, p.DrumChannel, p.CellValue, p.MidiInDevice,
                  static_cast<std::uint8_t>(p.MidiOutDevice), p.Aux, static_cast<std::uint32_t>(p.Tempo),
                  p.Spare, p.Step, p.Drum, p.Command);
}

int TestEngineLink::ShortMidiMsg(int first, int data1, int data2) {
    ++shortCount;
    note("short " + std::to_string(first) + " " + std::to_string(data1) + " " + std::to_string(data2));
    return engine.ShortMidiMsg(first, data1, data2);
}

void TestEngineLink::MidiPanic() {
    note("panic");
    engine.MidiPanic();
}

int TestEngineLink::MidiOutTest() {
    note("outtest");
    return engine.MidiOutTest();
}

int TestEngineLink::MessagePost(HWND window) {
    note("post");
    return engine.MessagePost(window);
}

std::vector<std::string> TestEngineLink::journal() {
    sync();
    return journal_;
}

std::vector<std::string> TestEngineLink::journal(const std::string& prefix) {
    std::vector<std::string> out;
    for (auto& e : journal())
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

void TestEngineLink::clearJournal() {
    sync();
    journal_.clear();
    params.clear();
    shortCount = 0;
}

}  // namespace testsupport
