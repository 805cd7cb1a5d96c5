#pragma once
// The product's engine link: the exports of libPlenwick.so.

#include "common/engine_link.h"

namespace app {

class PlenwickLink final : public common::EngineLink {
  public:
    void Params(const common::EngineParams& p) override;
    int ShortMidiMsg(int first, int data1, int data2) override;
    void MidiPanic() override;
    int MidiOutTest() override;
    int MessagePost(HWND window) override;
};

}  // namespace app
