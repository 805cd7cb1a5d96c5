#include "drums/drum_move.h"

namespace drums {

bool MoveDrum(DrumState& drums, DrumOps& ops, Transport& transport, int from, int to) {
    if (from == to || from < 0 || from >= kEditableDrums || to < 0 || to >= kEditableDrums) return false;
    DrumState& d = drums;
    const auto f = static_cast<std::size_t>(from), t = static_cast<std::size_t>(to);
    d.EditDrum = to;
    for (int s = 0; s < kSteps; ++s) {
        auto& row = d.DrumPattern[static_cast<std::size_t>(s)];
        // The new drum's own hits are replaced, not merged: the rhythm moves as it was.
        row[t] = row[f];
        ops.SendCell(s, to);
        row[f] = 0;
        ops.SendCell(s, from);
    }
    const std::int32_t pan = d.DrumPans[f];
    // The engine would otherwise keep the old drum placed where the moved one was.
    transport.SetDrumPan(from, 64);
    transport.SetDrumPan(to, pan);
    d.Modified = 1;
    return true;
}

}  // namespace drums
