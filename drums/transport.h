#pragma once
// Start and stop of playing, and what the engine's step clock plays: tempo, loop length, time
// signature, strict or loose timing, drum pans. The drum tab's controls call these; the
// controls themselves (captions, sliders, lights) stay on the page. User-interface thread only.

#include <functional>
#include <string>

#include "common/engine_link.h"
#include "common/midi_devices.h"
#include "drums/drum_pattern.h"
#include "drums/drum_state.h"
#include "drums/playing.h"

namespace drums {

class Transport {
  public:
    Transport(DrumState& drums, TransportState& transport, common::EngineParams& params,
              common::EngineLink& engine, common::MidiDevices& devices, DrumOps& ops,
              PlayingListener& playing);

    // Page steps of start: the orchestra page's note buttons to rest (before the output opens)
    // and the beat lights reset (before the window is handed to the engine).
    std::function<void()> restNoteButtons;
    std::function<void()> resetBeatLights;

    // Plays from step 1, the engine posting each step to `window`; restarts when playing.
    void Start(HWND window);
    // Stops the engine three times with its panic, restarts the input, and leaves the output
    // open (reopened on a device chosen meanwhile): it is never closed while stopped.
    void Stop();
    // Tempo 20..250 for the next step; neither stops nor marks the arrangement modified.
    void SetTempo(int tempo);
    // Bars := position div 100 (positions 100..800), and the engine loops over that many bars.
    void SetBars(int position);
    // Negates MeterSign and tells the engine; the caller stops playing first and repaints after.
    void ToggleMeter();
    // Negates QuantiseState and tells the engine; returns the new caption.
    std::string ToggleQuantise();
    // Stores and sends one drum's pan 0..127 (drums 0..99).
    void SetDrumPan(int drum, int pan);

    static const char* MeterCaption(std::int8_t meterSign) { return meterSign > 0 ? "WALTZ" : "4 TIME"; }
    static const char* QuantiseCaption(std::int8_t q) { return q > 0 ? "QUANTISE ON " : "QUANTISE OFF "; }

  private:
    DrumState& drums_;
    TransportState& transport_;
    common::EngineParams& params_;
    common::EngineLink& engine_;
    common::MidiDevices& devices_;
    DrumOps& ops_;
    PlayingListener& playing_;
};

}  // namespace drums
