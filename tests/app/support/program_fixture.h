#pragma once
// A fresh program state on the test platform, in a temporary program folder that is current
// for the test and removed after it.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "common/folders.h"
#include "common/midi_devices.h"
#include "platform/testing/scripted_dialogs.h"
#include "program/accompaniment_playing.h"
#include "program/program_state.h"
#include "tests/app/support/test_engine.h"

namespace testsupport {

// A temporary folder, current while the object lives.
class TempProgramFolder {
  public:
    TempProgramFolder();
    ~TempProgramFolder();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

class ProgramFixture : public ::testing::Test {
  protected:
    ProgramFixture();

    platform::testing::TestPlatform platform;
    TempProgramFolder folder;
    std::unique_ptr<app::ProgramState> owned = std::make_unique<app::ProgramState>();
    app::ProgramState& state = *owned;
    // The live accompaniment's side of the drums' start and stop, as the program links it.
    app::AccompanimentPlaying listener{state.live};
    platform::testing::ScriptedDialogs dialogs;
    TestEngineLink link{platform};
    common::MidiDevices devices{state,   state.live.parts.ThruChannel,  link,
                                dialogs, platform::services().midiIn(), platform::services().midiOut()};
    HWND inputWindow = nullptr;

    ~ProgramFixture() override;

    std::int32_t cell(int step, int drum) {
        return state.drums.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)];
    }
    // True when the engine's copy equals DrumPattern on every cell the engine plays and pans.
    ::testing::AssertionResult engineMatchesPattern();

  private:
    struct NullWindow final : platform::WindowProc {
        void windowMessage(std::uint32_t, std::uintptr_t, std::intptr_t) override {}
    } nullWindow_;
};

}  // namespace testsupport
