#pragma once
// Start-up and exit: the program's own steps, in their order, with the forms' steps behind
// ShellPages. User-interface thread only.

#include <string>

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "common/program_folder_lock.h"
#include "drums/drum_pattern.h"
#include "platform/dialogs.h"
#include "program/program_state.h"
#include "program/save_offer.h"

namespace app {

inline constexpr const char* kScreenWarning =
    "      FOR BEST APPEARANCE\nPLEASE RESET YOUR SCREEN\n       TO 800 BY 600 PIXELS";

// The forms' part of exit, called in this order by Shell::Exit.
class ShellPages {
  public:
    virtual ~ShellPages() = default;
    virtual void stopPlaying() = 0;         // the drum tab's stop
    virtual const void* setupWindow() = 0;  // owner of the save question
    virtual void playExitJingle() = 0;      // plays to its end
    virtual void showEndSplash() = 0;
    virtual bool importRunning() = 0;
    virtual void hideImportPages() = 0;  // hide and release the import's two pages
    virtual void hidePages() = 0;
    virtual void releasePages() = 0;  // deferred: destroyed when the loop runs again
    virtual void destroyEndSplash() = 0;
    virtual void terminate() = 0;  // the message loop ends
};

// Start-up, before anything else: the program folder from the environment made current. When
// it cannot be made or entered, a box says why and the result is false: the program ends then,
// rather than keep its files in whatever folder it was started from. With `lock`, the folder is
// first taken for this program (held for as long as `lock` lives); when another program has it,
// a box names the folder and the result is false, with nothing in the folder changed.
bool EnterProgramFolderOrSayWhy(platform::DialogService& dialogs, common::ProgramFolderLock* lock = nullptr);

// Both sides must differ from 800 x 600 for the warning.
inline bool ScreenWarningNeeded(int width, int height) {
    return height != 600 && width != 800;
}

// Two messages per note and channel, note-major: a note-off and a note-on with velocity 0.
void AllNotesOffSweep(common::EngineLink& engine);

class Shell {
  public:
    Shell(ProgramState& state, common::EngineLink& engine, common::MidiDevices& devices,
          drums::DrumOps& drums, SaveOffer& save, platform::DialogService& dialogs);

    // Start-up's first steps: pattern cells 0..255 x 0..255 := 0, pans := 64, the engine's copy
    // cleared.
    void ClearArrangement();
    // The screen check (a plain box when both sides differ from 800 x 600).
    void CheckScreen(int width, int height);
    // In the program folder: whether the help pages and the configuration file exist, and the
    // start folder. Anything but a file under the configuration's name is reported in a box:
    // the settings could never be kept.
    void ProbeFiles();
    // After the pages: park the engine's cell fields, open the output, open, reset and start
    // the input.
    void OpenDevices();
    // After the message loop: close the output, stop and close the input.
    void CloseDevices();

    // File | Exit. When the player answers Yes to the save offer and nothing is saved (the save
    // failed or its dialog was cancelled), exit stops there: the pages stay, the input is
    // reopened as it was, and `Exiting` is 0 again.
    void Exit(ShellPages& pages);
    // A close request on a page (the desktop's close button, Alt+F4): File | Exit's road. The
    // window never closes on it by itself: exit takes every page down, or leaves them all as they
    // were when it stops. A request while exit runs is refused, so exit never runs twice; only
    // exit's own closing of the setup page, as it ends, goes through. Returns whether the window
    // may close.
    bool CloseRequested(ShellPages& pages);

  private:
    ProgramState& state_;
    common::EngineLink& engine_;
    common::MidiDevices& devices_;
    drums::DrumOps& drums_;
    SaveOffer& save_;
    platform::DialogService& dialogs_;
    bool ending_ = false;  // exit has reached its last step
};

// "$$$" and "$$$$" in the program folder; a missing file is no error.
void DeleteTemporaryFiles(common::ShellState& shell);

}  // namespace app
