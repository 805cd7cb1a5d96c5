#pragma once
// The operations that change the drum pattern or the engine's copy of it. The engine keeps its
// own copy and stores CellValue into its cell [Step][Drum] on every Params call, whatever the
// command; so before every call the program keeps CellValue equal to the pattern's value of
// the cell that Step and Drum name (the cell-field rule). User-interface thread only.

#include <functional>

#include "common/engine_link.h"
#include "drums/drum_state.h"
#include "drums/playing.h"

namespace drums {

class DrumOps {
  public:
    DrumOps(DrumState& drums, common::EngineParams& params, common::EngineLink& engine,
            PlayingListener& playing);

    // The setup page's PANIC action, which StopAndPanic runs after the engine's stop.
    void setPanicAction(std::function<void()> action) { panicAction_ = std::move(action); }

    // Toggles one cell: a set cell becomes 0, an empty one takes the velocity (0..127); marks
    // the arrangement modified and sends the cell. Steps outside 0..255 and drums outside 0..69
    // are ignored.
    void ToggleDrumCell(int step, int drum, int velocity);
    // Points the engine's cell fields at step 0, drum 0 with that cell's own value.
    void ParkEngineCell();
    // Empties the engine's copy of the pattern and its pans (the program's copy is untouched).
    void ClearEngineDrums();
    // Stops the engine with its panic, then the setup page's PANIC action. Playing is over (the
    // listener hears it), so the chord follower is ready to start it by itself.
    void StopAndPanic();
    // For writers that change DrumPattern directly: sends cell [step][drum] as it now stands.
    void SendCell(int step, int drum);
    // NEW's clearing of the program's copy: every cell 0 and every pan 64.
    void ClearPattern();

  private:
    DrumState& drums_;
    common::EngineParams& params_;
    common::EngineLink& engine_;
    PlayingListener& playing_;
    std::function<void()> panicAction_;
};

// The low byte that goes to the engine for a cell value.
inline std::uint8_t CellByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

}  // namespace drums
