#pragma once
// The import's third stage. LoadImportDump reads "$$$" into DumpState.WorkText, switches the
// arrangement to waltz or four-time after the dump's third bar record, notes the division and the
// highest bar, and takes the tempo from "$$$$". ParseImportDump then turns the notes of the eight
// bars from FirstBar into the arrangement: drum hits through ToggleDrumCell, or the steps of one
// part in PartSteps; 32 steps a bar, 8 a beat, a position rounded to the nearest eighth of a beat.
// A part note lasts its whole length in the song, also when it sounds on into the bars that
// follow, up to the end of the eight bars at the latest.
//
// The dump is untrusted text: a record is taken only when all its fields are there and hold
// numbers (of any width); anything else is skipped, and the loader counts such records in
// UnreadRecords. User-interface thread only.

#include <cstdint>
#include <string_view>

#include "import/import_context.h"

namespace midiimport {

inline constexpr int kImportBars = 8;

// Reads "$$$" and "$$$$" from the program folder. Does nothing while ImportAborted is set.
void LoadImportDump(ImportContext& ctx);
// The same over text already read (the dump's bytes, division first) and a tempo in beats per
// minute, 0 for none; the loader and the fuzz target use it.
void LoadImportText(ImportContext& ctx, std::string_view text, int tempo);

// The milliseconds a part note of `beats` whole beats and `ticks` more (at `division` ticks a
// beat) lasts at `tempo` beats a minute, on the part players' grid of 8 steps a beat and
// 7200 / tempo whole milliseconds a step. At least 1 for a note of any length; 0 for none.
int32_t PartDurationMs(int64_t beats, int64_t ticks, int division, int tempo);

// Parses WorkText for bars FirstBar .. FirstBar + 7 into the drums (a drum import) or the part
// ImportPart (an instrument import).
void ParseImportDump(ImportContext& ctx);

}  // namespace midiimport
