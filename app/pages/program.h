#pragma once
// The program: owns the program-wide state, the services around it and the pages; runs
// start-up, the message loop and exit in their order. User-interface thread.

#include <QApplication>
#include <functional>
#include <memory>

#include "app/pages/page_close_requests.h"
#include "app/pages/page_navigator.h"
#include "app/pages/pages.h"
#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "drums/drum_pattern.h"
#include "drums/transport.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "program/accompaniment_playing.h"
#include "program/program_state.h"
#include "program/save_offer.h"
#include "program/shell.h"

namespace app {

class QuintoraProgram final : public ShellPages {
  public:
    QuintoraProgram(QApplication& application, common::EngineLink& engine, platform::DialogService& dialogs,
                    platform::Launcher& launcher);
    ~QuintoraProgram() override;

    // Start-up, the message loop, and what follows it; returns the program's exit code: 0, or 1
    // after an exception at start-up or in the loop (shown in a box, the devices then closed).
    // `ready` runs once the devices are open, just before the loop.
    int Run(const std::function<void(QuintoraProgram&)>& ready = {});

    ProgramState& state() { return *state_; }
    Pages& pages() { return pages_; }

    // Exit's steps on the pages.
    void stopPlaying() override;
    const void* setupWindow() override;
    void playExitJingle() override;
    void showEndSplash() override;
    bool importRunning() override { return state_->import.split.ImportRunning != 0; }
    void hideImportPages() override;
    void hidePages() override;
    void releasePages() override;
    void destroyEndSplash() override;
    void terminate() override;

  private:
    void createPages();
    void deletePages();

    QApplication& application_;
    std::unique_ptr<ProgramState> state_;
    common::EngineLink& engine_;
    platform::DialogService& dialogs_;
    common::MidiDevices devices_;
    AccompanimentPlaying playing_;
    drums::DrumOps drums_;
    drums::Transport transport_;
    SaveOffer save_;
    Shell shell_;
    Pages pages_;
    PageNavigator navigator_{pages_};
    ShellContext context_;
    // A close request on any page takes File | Exit's road.
    PageCloseRequests closeRequests_{pages_, [this] { return shell_.CloseRequested(*this); }};
    platform::SteadyTime endSplashShown_{};  // platform clock
};

// The whole program on an application: the program folder with its help pages, the message
// pump, the Plenwick link, the Qt dialogs and launcher. `ready` as for Run. (In app/run_quintora2.cpp, with
// the product's engine link.)
int RunQuintora2(QApplication& application, const std::function<void(QuintoraProgram&)>& ready = {});

}  // namespace app
