#pragma once
// The engine link of tests: a fresh engine on the test platform, with a journal of every call
// in order, interleaved with the input device operations that happened between them.

#include <string>
#include <vector>

#include "common/engine_link.h"
#include "engine/engine.h"
#include "platform/testing/test_platform.h"

namespace testsupport {

class TestEngineLink final : public common::EngineLink {
  public:
    explicit TestEngineLink(platform::testing::TestPlatform& platform);

    void Params(const common::EngineParams& p) override;
    int ShortMidiMsg(int first, int data1, int data2) override;
    void MidiPanic() override;
    int MidiOutTest() override;
    int MessagePost(HWND window) override;

    // Entries: "cmd N" (a Params call with command N), "params" (command 0), "short F D1 D2",
    // "panic", "outtest", "post", and "in: open 0" ... for the input operations.
    std::vector<std::string> journal();
    // Only the entries starting with `prefix`.
    std::vector<std::string> journal(const std::string& prefix);
    void clearJournal();
    std::vector<common::EngineParams> params;  // every Params block, in order
    int shortCount = 0;

    engine::Engine engine;

  private:
    void sync();
    void note(std::string entry);
    platform::testing::TestPlatform& platform_;
    std::vector<std::string> journal_;
    std::size_t inputSeen_ = 0;
};

}  // namespace testsupport
