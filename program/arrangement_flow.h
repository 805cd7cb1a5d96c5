#pragma once
// Opening and saving an arrangement: the steps around the file (stopping, the save offer, the
// folders, the dialogs, the refreshes), with the pages' part behind ArrangementPages.
// User-interface thread only.

#include <array>
#include <string>

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "drums/drum_pattern.h"
#include "platform/dialogs.h"
#include "program/arrangement_file.h"
#include "program/program_state.h"
#include "program/save_offer.h"

namespace app {

inline constexpr const char* kNotValidArrangement = " is not a valid arrangement file!";
inline constexpr const char* kArrangementFilter = "*.QTR (*.QTR)";
inline constexpr const char* kArrangementExtension = "QTR";

// What the two flows ask of the pages.
class ArrangementPages {
  public:
    virtual ~ArrangementPages() = default;
    virtual bool setupPageVisible() = 0;
    virtual void showPlayerPage() = 0;
    virtual void stopPlayer() = 0;          // the player's media closed and its two timers off
    virtual const void* setupWindow() = 0;  // owner of the save question
    virtual void panic() = 0;               // the setup page's PANIC
    // The drum tab's NEW (it may offer to save again); false when it kept the arrangement.
    virtual bool newDrums() = 0;
    virtual void resetOrchestra() = 0;
    virtual void showFileName(const std::string& path) = 0;
    virtual void showTempo(int tempo) = 0;  // the drum tab's tempo caption and bar
    virtual void showSplitPoint(int splitPoint) = 0;
    virtual std::array<int, 4> partPanBars() = 0;  // the accompaniment page's four pan bars
    virtual void showPartPans(const std::array<int, 4>& pans) = 0;
    virtual void showThruChannel(int channel) = 0;
    virtual int barsPosition() = 0;  // the drum tab's bar slider, 100..800
    virtual void applyBars() = 0;
    virtual void reapplyTimeSignature() = 0;
    virtual void selectDrumTab(int drum) = 0;
    virtual void refreshOrchestra() = 0;
};

// Three beeps and "<file> does not exist!" (caption "WARNING"); a name shorter than four
// characters shows as "File".
void FileMissingWarning(const ProgramState& state, platform::DialogService& dialogs);

class ArrangementFlow {
  public:
    ArrangementFlow(ProgramState& state, common::EngineLink& engine, platform::DialogService& dialogs,
                    common::MidiDevices& devices, drums::DrumOps& drums, SaveOffer& save,
                    ArrangementPages& pages, common::DiskIo& disk);

    // Stops playing, offers to save, asks for a file and replaces the arrangement with it (only
    // the drums while MergingDrums is 1). True when a file was read; a cancelled dialog still
    // refreshes the drum tab and the accompaniment page from memory. A file that cannot be
    // read or is damaged changes nothing. After a read Modified is 0, except that a merge leaves
    // it at 1 when the drums changed or the arrangement was unsaved after the save offer.
    bool Open();
    // Asks for a file name and writes the arrangement. True when the file was written; then
    // Modified is 0. On any failure the old file is intact and Modified is kept.
    bool Save();

  private:
    enum class SaveResult { Saved, NoRoom, Failed };
    SaveResult saveTo(const std::string& path);
    void afterOpen(int lastDrum);
    void error(const std::string& text, const char* caption);

    ProgramState& state_;
    common::EngineLink& engine_;
    platform::DialogService& dialogs_;
    common::MidiDevices& devices_;
    drums::DrumOps& drums_;
    SaveOffer& save_;
    ArrangementPages& pages_;
    common::DiskIo& disk_;
};

}  // namespace app
