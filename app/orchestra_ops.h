#pragma once
// The accompaniment page's operations on the part data that need no widget: the parts' reset
// and new arrangement, the data side of the page refresh, the pan sends, the page's stop and
// the THRU octave and split point spins. The page mirrors `controls` into its widgets.
// User-interface thread only.

#include <array>
#include <string>

#include "accompaniment/part_players.h"
#include "app/engine_link.h"
#include "app/program_state.h"
#include "drums/drum_pattern.h"

namespace app {

// The page's control values that the operations read and write.
struct OrchestraControls {
    int VolumeBar1 = 50;    // 0..127
    int DurationBar1 = 50;  // 0..100, top = 0 = the longest duration
    std::array<int, 4> PanBars{64, 64, 64, 64};
    std::string VolumePanel = "75 ";
    std::string Panel6 = "54";
    std::string OctavePanel = "0";
    std::string WhichBar = "0";
};

class OrchestraOps {
  public:
    OrchestraOps(ProgramState& state, EngineLink& engine, drums::DrumOps& drums,
                 accompaniment::PartPlayers& players);

    OrchestraControls controls;

    // Sets one channel's pan on the output at once (the channel stays in the block).
    void SendPartPan(std::uint8_t channel, std::uint8_t pan);
    // The parts' defaults: octaves, programs, channels, grid notes; a program change 0 on the
    // THRU channel; the volume caption; then the refresh.
    void ResetOrchestra();
    // The refresh's work on the data: every cell takes the volume bar's velocity and the
    // duration bar's duration and is committed, the volume bar goes to 64, the THRU octave is
    // applied, the THRU program is sent again and every voice's pan is sent.
    void RefreshOrchestraData();
    // NEW after its question: split point 54, pans 64, durations 0, bars to rest, the reset,
    // and every part emptied.
    void NewAllData();
    // Empties every part, ending first the notes the parts still sound. Every clear of the
    // parts goes through here, playing or not.
    void ClearParts();
    // The page's stop: notes from here on go out silent and the engine stops three times.
    void StopAccompaniment();
    // A part's pan bar moved by the user (voice 1..4): stored, marked modified and sent.
    void PanBarChange(int voice, int position);
    // The volume bar moved by the user: its caption, and the grid committed to the part.
    void VolumeBar1Change(int position);
    // OCTAVE and split point spins (each marks the arrangement modified).
    void OctaveUpClick();
    void OctaveDownClick();
    void SplitUpClick();
    void SplitDownClick();

  private:
    void changeOctave(int by);
    void changeSplit(int by);
    ProgramState& state_;
    EngineLink& engine_;
    drums::DrumOps& drums_;
    accompaniment::PartPlayers& players_;
};

}  // namespace app
