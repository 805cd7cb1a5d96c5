#pragma once
// An engine link that plays nothing and answers every call with success: for rigs, fuzz targets
// and benchmarks whose subject is not the engine. Header-only, so that a target needs no more
// than the engine link's own header. (The test platform below cannot hold it: it sits beneath the
// program's folders and may not include them.)

#include "common/engine_link.h"

namespace testsupport {

class NullEngineLink final : public common::EngineLink {
  public:
    void Params(const common::EngineParams&) override {}
    int ShortMidiMsg(int, int, int) override { return 0; }
    void MidiPanic() override {}
    int MidiOutTest() override { return 0; }
    int MessagePost(HWND) override { return 0; }
};

}  // namespace testsupport
