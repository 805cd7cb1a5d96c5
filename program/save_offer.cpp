#include "program/save_offer.h"

namespace app {

bool ArrangementHasData(const drums::DrumState& drums, const accompaniment::PartData& parts) {
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d)
            if (drums.DrumPattern[static_cast<std::size_t>(s)][static_cast<std::size_t>(d)] > 0) return true;
    return accompaniment::PartsHaveNotes(parts);
}

bool SaveOffer::Offer(const void* owner) {
    if (drums_.Modified != 1 || !ArrangementHasData(drums_, parts_)) return true;
    const auto answer = dialogs_.messageBox(owner, "Save Changes?", "Confimation",
                                            platform::BoxButtons::YesNo, platform::BoxIcon::Question);
    if (answer != platform::BoxAnswer::Yes) return true;
    if (!SaveArrangement || !SaveArrangement()) return false;
    drums_.Modified = 0;
    return true;
}

}  // namespace app
