#pragma once
// The "Save Changes?" offer of exit, open and NEW, and the test for an arrangement worth saving.
// It needs the drums (their cells and Modified) and the parts, nothing else of the program.
// User-interface thread only.

#include <functional>

#include "accompaniment/part_data.h"
#include "drums/drum_state.h"
#include "platform/dialogs.h"

namespace app {

// True when any drum cell of steps and drums 0..255 holds a hit, or any part step or cell of
// the orchestra page's edit grid holds a note.
bool ArrangementHasData(const drums::DrumState& drums, const accompaniment::PartData& parts);

class SaveOffer {
  public:
    SaveOffer(drums::DrumState& drums, const accompaniment::PartData& parts, platform::DialogService& dialogs)
        : drums_(drums), parts_(parts), dialogs_(dialogs) {}

    // The arrangement writer: true when the arrangement reached its file. Unset, nothing is saved.
    std::function<bool()> SaveArrangement;

    // When Modified is 1 and the arrangement has data, asks "Save Changes?" (caption
    // "Confimation", Yes/No, question icon) in a box owned by `owner`. Yes saves and clears
    // Modified when the save succeeded. Returns false only when Yes was answered and nothing
    // was saved, so that a caller about to discard the arrangement can keep it.
    bool Offer(const void* owner);

  private:
    drums::DrumState& drums_;
    const accompaniment::PartData& parts_;
    platform::DialogService& dialogs_;
};

}  // namespace app
