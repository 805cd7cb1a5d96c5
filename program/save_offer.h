#pragma once
// The "Save Changes?" offer of exit, open and NEW, and the test for an arrangement worth saving.
// User-interface thread only.

#include <functional>

#include "platform/dialogs.h"
#include "program/program_state.h"

namespace app {

// True when any drum cell of steps and drums 0..255 holds a hit, or any part step or cell of
// the orchestra page's edit grid holds a note.
bool ArrangementHasData(const ProgramState& state);

class SaveOffer {
  public:
    SaveOffer(ProgramState& state, platform::DialogService& dialogs) : state_(state), dialogs_(dialogs) {}

    // The arrangement writer: true when the arrangement reached its file. Unset, nothing is saved.
    std::function<bool()> SaveArrangement;

    // When Modified is 1 and the arrangement has data, asks "Save Changes?" (caption
    // "Confimation", Yes/No, question icon) in a box owned by `owner`. Yes saves and clears
    // Modified when the save succeeded. Returns false only when Yes was answered and nothing
    // was saved, so that a caller about to discard the arrangement can keep it.
    bool Offer(const void* owner);

  private:
    ProgramState& state_;
    platform::DialogService& dialogs_;
};

}  // namespace app
