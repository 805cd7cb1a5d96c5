// The accompaniment page's Save, Open and MERGE DRUMS, around the arrangement file's flows.

#include "accompaniment/orchestra/orchestra_ops.h"

namespace accompaniment {

bool OrchestraOps::SaveBtnClick() {
    StopAccompaniment();
    accompaniment::CommitGridToPart(state_.live.parts, state_.LoadingArrangement != 0);
    const bool saved = SaveArrangement && SaveArrangement();
    if (saved) state_.drums.Modified = 0;
    return saved;
}

bool OrchestraOps::OpenBtnClick() {
    accompaniment::PartData& d = state_.live.parts;
    state_.LoadingArrangement = 1;
    StopAccompaniment();
    // A file read replaces all four parts whole, so nothing is cleared beforehand: a cancelled
    // or failed open keeps the parts and the grid as they were.
    const bool read = OpenArrangement && OpenArrangement();
    if (read) {
        d.CurrentPart = 1;
        ReselectCurrentPart();  // the grid shows part 1 as read; nothing is committed over it
        state_.drums.Modified = 0;
    }
    state_.LoadingArrangement = 0;
    return read;
}

bool OrchestraOps::MergeDrumsClick() {
    accompaniment::PartData& d = state_.live.parts;
    StopBoth();
    state_.MergingDrums = 1;
    // The reader's reset would take these back to their defaults; only the drums may change.
    const auto notes = d.GridNotes;
    const auto velocities = d.GridVelocities;
    const auto programs = d.PartPrograms;
    const auto thruProgramIndex = state_.live.input.ThruProgramIndex;
    const auto channels = d.PartChannels;
    const auto octaves = d.PartOctaveOffsets;
    const auto thruOctave = d.ThruOctave;
    const bool read = OpenArrangement && OpenArrangement();
    d.GridNotes = notes;
    d.GridVelocities = velocities;
    d.PartPrograms = programs;
    state_.live.input.ThruProgramIndex = thruProgramIndex;
    d.PartChannels = channels;
    d.PartOctaveOffsets = octaves;
    d.ThruOctave = thruOctave;
    accompaniment::SetThruOctave(d, thruOctave);
    showBoxes();
    RefreshOrchestraData();
    state_.MergingDrums = 0;
    return read;
}

}  // namespace accompaniment
