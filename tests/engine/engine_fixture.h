#pragma once
// A fresh engine on the test platform, with a window that collects the posted steps.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "platform/testing/test_platform.h"

namespace enginetest {

using platform::testing::OutputEvent;
using Bytes = std::vector<std::uint8_t>;

struct Block {
    std::uint8_t Channel = 0, DrumChannel = 9, CellValue = 0, MidiInDevice = 0, MidiOutDevice = 0xFF, Aux = 0;
    std::uint32_t Tempo = 120;
    std::uint8_t Spare = 0, Step = 0, Drum = 0, Command = 0;
};

class StepWindow : public platform::WindowProc {
  public:
    void windowMessage(std::uint32_t msg, std::uintptr_t w, std::intptr_t l) override {
        if (msg == platform::WM_USER + 1 && l == 0) steps.push_back(static_cast<int>(w));
    }
    std::vector<int> steps;
};

class EngineTest : public ::testing::Test {
  protected:
    platform::testing::TestPlatform tp;
    std::unique_ptr<engine::Engine> e = std::make_unique<engine::Engine>(platform::services());
    StepWindow window;
    HWND hwnd = tp.queue().createWindow(&window);
    Block block;

    ~EngineTest() override {
        e.reset();
        tp.queue().destroyWindow(hwnd);
    }

    void call(std::uint8_t command) {
        block.Command = command;
        e->Params(block.Channel, block.DrumChannel, block.CellValue, block.MidiInDevice, block.MidiOutDevice,
                  block.Aux, block.Tempo, block.Spare, block.Step, block.Drum, block.Command);
        block.Command = 0;
    }
    void setCell(int step, int drum, int velocity) {
        block.Step = static_cast<std::uint8_t>(step);
        block.Drum = static_cast<std::uint8_t>(drum);
        block.CellValue = static_cast<std::uint8_t>(velocity);
        call(0);
    }
    // Runs n step events and returns the steps posted (in order).
    std::vector<int> runSteps(int n) {
        window.steps.clear();
        for (int i = 0; i < n; ++i) {
            if (!tp.timer.fireNext()) break;
            tp.queue().dispatch();
        }
        return window.steps;
    }
    std::vector<OutputEvent> events() const { return tp.output->events(); }
    std::vector<Bytes> messages() const { return tp.output->messages(); }
};

}  // namespace enginetest
