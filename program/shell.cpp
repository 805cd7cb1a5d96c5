#include "program/shell.h"

#include <cstdio>
#include <filesystem>

#include "common/config_file.h"
#include "common/folders.h"
#include "common/help.h"

namespace app {

void AllNotesOffSweep(common::EngineLink& engine) {
    for (int note = 0; note < 128; ++note)
        for (int channel = 0; channel < 16; ++channel) {
            engine.ShortMidiMsg(channel, note, 0);
            engine.ShortMidiMsg(channel + 0x10, note, 0);
        }
}

bool EnterProgramFolderOrSayWhy(platform::DialogService& dialogs, common::ProgramFolderLock* lock) {
    std::string error, warning;
    const std::filesystem::path folder = common::ProgramFolderFromEnvironment();
    common::FolderEntry entry = common::FolderEntry::Entered;
    if (lock)
        entry = common::EnterProgramFolder(folder, *lock, error, &warning);
    else if (!common::EnterProgramFolder(folder, error, &warning))
        entry = common::FolderEntry::Failed;
    if (entry == common::FolderEntry::InUse) {
        dialogs.messageBox(nullptr,
                           "Quintora2 is already running on its program folder:\n" +
                               common::ProgramFolderFor(folder).string() + "\nThis start ends here.",
                           "QUINTORA2", platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
        return false;
    }
    if (entry == common::FolderEntry::Failed) {
        dialogs.messageBox(nullptr, "Quintora2 cannot use its program folder:\n" + error, "ERROR",
                           platform::BoxButtons::Ok, platform::BoxIcon::Stop);
        return false;
    }
    if (!warning.empty()) std::fprintf(stderr, "Quintora2: %s\n", warning.c_str());
    return true;
}

void DeleteTemporaryFiles(common::ShellState& shell) {
    common::SelectFolder(shell, common::kProgramFolderRequest);
    std::remove("$$$");
    std::remove("$$$$");
}

Shell::Shell(ProgramState& state, common::EngineLink& engine, common::MidiDevices& devices,
             drums::DrumOps& drums, SaveOffer& save, platform::DialogService& dialogs)
    : state_(state), engine_(engine), devices_(devices), drums_(drums), save_(save), dialogs_(dialogs) {}

void Shell::ClearArrangement() {
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d)
            state_.drums.DrumPattern[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)] = 0;
    state_.drums.DrumPans.fill(64);
    drums_.ClearEngineDrums();
}

void Shell::CheckScreen(int width, int height) {
    if (ScreenWarningNeeded(width, height))
        dialogs_.messageBox(nullptr, kScreenWarning, "Quintora2", platform::BoxButtons::Ok,
                            platform::BoxIcon::None);
}

void Shell::ProbeFiles() {
    // The help opens in the desktop's browser: found once every topic's page is installed.
    std::error_code ec;
    state_.shell.HelpViewerFound = common::HelpPagesPresent(std::filesystem::current_path(ec)) ? 1 : 0;
    common::ProbeConfig(state_);
    if (common::ConfigFileBlocked()) {
        dialogs_.messageBox(nullptr,
                            (std::filesystem::current_path(ec) / common::kConfigFileName).string() +
                                " is not a file: the MIDI settings cannot be kept.",
                            "WARNING", platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
        state_.shell.ConfigFailureSaid = 1;  // the writes that fail need not say it again
    }
    common::RememberStartFolder(state_.shell);
}

void Shell::OpenDevices() {
    drums_.ParkEngineCell();
    devices_.OpenMidiOut();
    devices_.OpenMidiIn();
    devices_.ResetMidiIn();
    devices_.StartMidiIn();
}

void Shell::CloseDevices() {
    devices_.CloseMidiOut();
    devices_.StopMidiIn();
    devices_.CloseMidiIn();
}

void Shell::Exit(ShellPages& pages) {
    const bool inputWasOpen = state_.devices.MidiInIsOpen == 1;
    state_.shell.Exiting = 1;
    devices_.StopMidiIn();
    devices_.CloseMidiIn();
    pages.stopPlaying();
    // The stop reopens the input; no key may be handled while the pages go.
    devices_.StopMidiIn();
    devices_.CloseMidiIn();
    devices_.OpenMidiOut();
    if (!save_.Offer(pages.setupWindow())) {
        // The player wanted the arrangement kept and it was not written: going on would lose it.
        // The program stays as it was before exit (nothing playing), so it can be saved elsewhere.
        state_.shell.Exiting = 0;
        if (inputWasOpen) devices_.RestartMidiIn();
        return;
    }
    DeleteTemporaryFiles(state_.shell);
    pages.playExitJingle();
    pages.showEndSplash();
    common::SendCommand(engine_, state_.Engine, common::CmdStopPanic);
    common::WriteConfig(state_, state_.live.parts.ThruChannel);
    if (pages.importRunning()) pages.hideImportPages();
    pages.hidePages();
    pages.releasePages();
    AllNotesOffSweep(engine_);
    pages.destroyEndSplash();
    ending_ = true;
    pages.terminate();
}

bool Shell::CloseRequested(ShellPages& pages) {
    if (ending_) return true;
    if (state_.shell.Exiting == 0) Exit(pages);
    return false;
}

}  // namespace app
