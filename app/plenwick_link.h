#pragma once
// The product's engine link: the exports of libPlenwick.so.

#include "app/engine_link.h"

namespace app {

class PlenwickLink final : public EngineLink {
  public:
    void Params(const EngineParams& p) override;
    int ShortMidiMsg(int first, int data1, int data2) override;
    void MidiPanic() override;
    int MidiOutTest() override;
    int MessagePost(HWND window) override;
};

}  // namespace app
