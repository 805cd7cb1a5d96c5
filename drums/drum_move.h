#pragma once
// Moving a rhythm from one drum sound to another: every hit and the pan of one drum go to
// another, which keeps none of its own hits, and the first drum is left empty with its pan
// centred. The engine's copy follows cell by cell. User-interface thread only.

#include "drums/drum_pattern.h"
#include "drums/drum_state.h"
#include "drums/transport.h"

namespace drums {

// Moves drum `from` (0..69) onto drum `to` (0..69): for every step in loop order the cell goes to
// `to` and is sent, then the cell of `from` is emptied and sent; then `to` takes the pan of `from`
// and `from` goes back to 64, both sent to the engine. Marks the arrangement modified and makes
// `to` the drum being edited. Returns false, changing and sending nothing, when the two are the
// same drum or either lies outside 0..69.
bool MoveDrum(DrumState& drums, DrumOps& ops, Transport& transport, int from, int to);

}  // namespace drums
