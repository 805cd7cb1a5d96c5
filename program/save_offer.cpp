#include "program/save_offer.h"

namespace app {

bool ArrangementHasData(const ProgramState& state) {
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d)
            if (state.drums.DrumPattern[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)] > 0)
                return true;
    return accompaniment::PartsHaveNotes(state.live.parts);
}

bool SaveOffer::Offer(const void* owner) {
    if (state_.drums.Modified != 1 || !ArrangementHasData(state_)) return true;
    const auto answer = dialogs_.messageBox(owner, "Save Changes?", "Confimation",
                                            platform::BoxButtons::YesNo, platform::BoxIcon::Question);
    if (answer != platform::BoxAnswer::Yes) return true;
    if (!SaveArrangement || !SaveArrangement()) return false;
    state_.drums.Modified = 0;
    return true;
}

}  // namespace app
