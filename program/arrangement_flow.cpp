#include "program/arrangement_flow.h"

#include <algorithm>
#include <filesystem>

#include "common/config_file.h"
#include "common/folders.h"

namespace app {

namespace {

constexpr std::uintmax_t kLeastFreeBytes = 4096;

// Sets a flag for the length of a flow and puts back what it was.
class FlagScope {
  public:
    FlagScope(std::uint8_t& flag, std::uint8_t value) : flag_(flag), kept_(flag) { flag_ = value; }
    ~FlagScope() { flag_ = kept_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    std::uint8_t& flag_;
    std::uint8_t kept_;
};

platform::FileDialogRequest arrangementRequest(const std::filesystem::path& folder) {
    platform::FileDialogRequest r;
    r.filter = kArrangementFilter;
    r.defaultExt = kArrangementExtension;
    r.initialDir = folder.string();
    return r;
}

}  // namespace

void FileMissingWarning(const ProgramState& state, platform::DialogService& dialogs) {
    for (int i = 0; i < 3; ++i) dialogs.beep(platform::BeepSound::Default);
    const std::string& name = state.file.FileNameBuf;
    const std::string text = (name.size() < 4 ? std::string("File") : name) + " does not exist!";
    dialogs.messageBox(nullptr, text, "WARNING", platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
}

ArrangementFlow::ArrangementFlow(ProgramState& state, common::EngineLink& engine,
                                 platform::DialogService& dialogs, common::MidiDevices& devices,
                                 drums::DrumOps& drums, SaveOffer& save, ArrangementPages& pages,
                                 common::DiskIo& disk)
    : state_(state),
      engine_(engine),
      dialogs_(dialogs),
      devices_(devices),
      drums_(drums),
      save_(save),
      pages_(pages),
      disk_(disk) {}

void ArrangementFlow::error(const std::string& text, const char* caption) {
    dialogs_.beep(platform::BeepSound::Stop);
    dialogs_.messageBox(nullptr, text, caption, platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
}

bool ArrangementFlow::Open() {
    drums_.StopAndPanic();
    devices_.OpenMidiOut();
    state_.shell.SetupPageActive = 0;
    pages_.stopPlayer();
    // Yes with nothing saved: the arrangement must not be replaced.
    if (!save_.Offer(pages_.setupWindow())) return false;
    const auto folder = common::SelectFolder(state_.shell, common::kArrangementFolder);
    const auto chosen = dialogs_.openFile(arrangementRequest(folder));
    // Nothing a load or the refreshes after it do may commit the edit grid over a part.
    FlagScope loading(state_.file.LoadingArrangement, 1);
    const bool merging = state_.file.MergingDrums != 0;
    if (!chosen) {
        afterOpen(0);
        common::SelectFolder(state_.shell, common::kProgramFolderRequest);
        return false;
    }

    state_.file.FileNameBuf = *chosen;
    bool tooLarge = false;
    const auto bytes = ReadWholeFile(*chosen, tooLarge);
    if (!bytes && !tooLarge) {
        FileMissingWarning(state_, dialogs_);
        return false;
    }
    const auto staged = bytes ? ParseArrangement(*bytes, !merging) : std::nullopt;
    if (!staged) {
        error(*chosen + kNotValidArrangement, "WARNING");
        return false;
    }

    // A merge joins the file's drums to the parts in memory, a mix that no file holds unless the
    // drums come back as they were. So it keeps Modified as the save offer left it and sets it
    // when the drums change.
    const bool unsaved = state_.drums.Modified != 0;
    const auto drumsBefore = EncodeDrumSections(state_, state_.drums.Bars * 100);
    pages_.panic();
    if (!pages_.newDrums()) {
        common::SelectFolder(state_.shell, common::kProgramFolderRequest);
        return false;
    }
    pages_.showFileName(*chosen);  // only once the file is sure to be read
    pages_.resetOrchestra();
    ApplyArrangement(*staged, state_, engine_);
    pages_.showTempo(state_.drums.TempoValue);

    accompaniment::PartData& parts = state_.live.parts;
    if (staged->hasParts && !merging) pages_.showSplitPoint(parts.SplitPoint);
    pages_.showPartPans({parts.PartPans[1], parts.PartPans[2], parts.PartPans[3], parts.PartPans[4]});
    pages_.showThruChannel(parts.PartChannels[0]);
    parts.ThruChannel = parts.PartChannels[0];
    // The next device reopen reads the configuration: it must find this channel there.
    common::WriteConfig(state_, state_.live.parts.ThruChannel);
    if (!merging) {
        // The edit grid shows part 1 as loaded, so no later commit can wipe a part.
        parts.CurrentPart = 1;
        for (std::size_t i = 0; i < accompaniment::kSteps; ++i) {
            const accompaniment::PartStep& e = parts.PartSteps[0][i];
            parts.GridNotes[i] = e.note;
            parts.GridVelocities[i] = e.velocity;
            parts.GridDurations[i] = e.duration;
        }
    }
    afterOpen(staged->LastDrum);
    const bool drumsChanged = EncodeDrumSections(state_, state_.drums.Bars * 100) != drumsBefore;
    state_.drums.Modified = merging && (unsaved || drumsChanged) ? 1 : 0;
    common::SelectFolder(state_.shell, common::kProgramFolderRequest);
    return true;
}

void ArrangementFlow::afterOpen(int lastDrum) {
    pages_.applyBars();
    pages_.reapplyTimeSignature();
    pages_.selectDrumTab(lastDrum);
    if (state_.file.MergingDrums == 0) pages_.refreshOrchestra();
}

bool ArrangementFlow::Save() {
    if (pages_.setupPageVisible()) pages_.showPlayerPage();
    devices_.OpenMidiOut();
    state_.shell.SetupPageActive = 0;
    pages_.stopPlayer();
    const std::array<int, 4> bars = pages_.partPanBars();
    for (std::size_t v = 1; v <= 4; ++v) state_.live.parts.PartPans[v] = std::clamp(bars[v - 1], 0, 127);
    const auto folder = common::SelectFolder(state_.shell, common::kArrangementFolder);
    const auto chosen = dialogs_.saveFile(arrangementRequest(folder));
    const SaveResult result = chosen ? saveTo(*chosen) : SaveResult::Failed;
    if (result == SaveResult::NoRoom) return false;  // nothing written; the folder stays
    if (result == SaveResult::Saved) state_.drums.Modified = 0;
    common::SelectFolder(state_.shell, common::kProgramFolderRequest);
    if (pages_.setupPageVisible()) pages_.showPlayerPage();
    return result == SaveResult::Saved;
}

ArrangementFlow::SaveResult ArrangementFlow::saveTo(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    const fs::path file = common::ResolveSaveTarget(target).value_or(target);  // the file a link names
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const auto free = disk_.freeBytes(folder);
    if (!free) {
        error("Can not read disk free area!", "ERROR");  // the save goes ahead
    } else if (*free < kLeastFreeBytes) {
        error("NOT ENOUGH DISK SPACE!", "DISK FULL");
        return SaveResult::NoRoom;
    }
    const auto bytes = EncodeArrangement(state_, pages_.barsPosition());
    std::string why;
    if (!common::SaveFileAtomically(target, bytes, disk_, why)) {
        error("Can not save " + path + ": " + why, "ERROR");
        return SaveResult::Failed;
    }
    pages_.showFileName(path);
    return SaveResult::Saved;
}

}  // namespace app
