#pragma once
// The accompaniment page's logic, without widgets: the parts' reset, NEW and the refresh, the
// part selectors and the boxes, pans, volume spins, THRU and split settings of each voice, the
// pen and the note grid, the bar clipboard of notes, transposition, and the page's Save, Open
// and MERGE DRUMS around the arrangement file. The page mirrors `controls` into its widgets
// and paints the grid from the edit grid after each call. User-interface thread only.
//
// Which handlers stop playing: the part selectors (unless a volume spin or a transpose button
// runs them), the channel and octave boxes, Save, Open, MERGE DRUMS and the navigation. Pans,
// the THRU box and spins, the split point, the pen, cell clicks, the clipboard, the volume
// spins and transposition let playing go on.

#include <array>
#include <functional>
#include <string>

#include "accompaniment/orchestra/orchestra_page_state.h"
#include "accompaniment/orchestra_grid.h"
#include "accompaniment/part_players.h"
#include "common/engine_link.h"
#include "common/program_wide.h"
#include "drums/drum_pattern.h"
#include "drums/drum_state.h"
#include "drums/transport.h"
#include "live/live_accompaniment.h"
#include "platform/dialogs.h"

namespace accompaniment {

// The page's control values that the operations read and write.
struct OrchestraControls {
    int VolumeBar1 = 50;    // 0..127
    int DurationBar1 = 50;  // 0..100, top = 0 = the longest duration
    std::array<int, 4> PanBars{64, 64, 64, 64};
    // By part (piano, strings, brass, bass): the item indexes of the instrument boxes (program
    // + 1, 0 the blank item), channel boxes (0..15) and octave boxes (0..4 for "2" .. "-2"),
    // and the volume spins (0..9).
    std::array<int, 4> InstBox{1, 49, 62, 34};
    std::array<int, 4> InstChan{0, 2, 1, 4};
    std::array<int, 4> OctaveBox{2, 2, 2, 2};
    std::array<int, 4> PartVolume{};
    int ThruBox = 3;
    int UpDown1 = 1;
    std::string VolumePanel = "75 ";
    std::string Panel6 = "54";
    std::string OctavePanel = "0";
    std::string RangeNumber = "4";
    std::string Panel5 = "1";
    std::string DurationPanel = "50";
    std::string CurrentInstrument;
    std::array<Ink, 12> KeyInk{};  // A .. G#
    Ink NullInk = Ink::Red;
    std::array<Ink, 4> LabelInk{Ink::Shadow, Ink::Shadow, Ink::Shadow, Ink::Shadow};  // by part
    bool WaltzPanelVisible = false;

    OrchestraControls();
};

// A volume spin's value 0..9 as a velocity: 0, 14, 28, ... 113, 127.
std::int32_t SpinVelocity(int value);

// The program's state the accompaniment page reads and writes besides the shared block: the
// drums' Modified and time signature, the parts and the live input, the page's own editing
// state, and the arrangement reader's two flags that the page raises around its reads.
struct OrchestraTargets {
    drums::DrumState& drums;
    live::LiveState& live;
    OrchestraPageState& orchestra;
    std::uint8_t& LoadingArrangement;  // 1 while a file loads: the edit grid commits nothing
    std::uint8_t& MergingDrums;        // 1 while the reader takes only the drums of a file
};

class OrchestraOps {
  public:
    // `wide`: the engine's block for the pans, and the configuration the THRU box writes.
    OrchestraOps(common::ProgramWide& wide, OrchestraTargets state, common::EngineLink& engine,
                 drums::DrumOps& drums, drums::Transport& transport, platform::DialogService& dialogs,
                 accompaniment::PartPlayers& players);

    OrchestraControls controls;

    // The arrangement file's open and save (the setup page's); each true when a file was read
    // or written. Unset, they do nothing and return false.
    std::function<bool()> OpenArrangement;
    std::function<bool()> SaveArrangement;
    // Runs after every stop of the page (its bar caption goes back to "0").
    std::function<void()> pageStopped;

    // --- Parts, refresh and NEW -----------------------------------------------------------
    // Sets one channel's pan on the output at once (the channel stays in the block).
    void SendPartPan(std::uint8_t channel, std::uint8_t pan);
    // The parts' defaults: octaves, programs, channels, grid notes; a program change 0 on the
    // THRU channel; the volume caption; then the refresh.
    void ResetOrchestra();
    // The refresh's work on the data: every cell is written again from its own note with the
    // volume bar's velocity and the duration bar's duration and committed; the boxes follow the
    // voices; the volume bar goes to 64; the THRU octave and program are applied again; every
    // voice's pan is sent, the THRU voice's as 64. The pen keeps its note.
    void RefreshOrchestraData();
    // NEW after its question: split point 54, pans 64, durations 0, bars to rest, the reset,
    // and every part emptied.
    void NewAllData();
    // Empties every part, ending first the notes the parts still sound. Every clear of the
    // parts goes through here, playing or not.
    void ClearParts();
    // The page's stop: notes from here on go out silent, the key buttons lose their highlight,
    // the engine stops three times, and pageStopped runs.
    void StopAccompaniment();
    // The page's stop, then the transport's.
    void StopBoth();

    // --- Voices ------------------------------------------------------------------------------
    // The part selector of voice 1..4 (an instrument box's change): the voice's program from its
    // box, its label lit, the edit grid loaded from its table and, unless a volume spin runs it,
    // the refresh with the part's own velocities kept.
    void InstBoxChange(int voice, int item);
    void SelectPart(int voice);
    // A part label: its selector, leaving Modified as it was.
    void LabelClick(int voice);
    // The selector of CurrentPart (1..4; nothing for other values).
    void ReselectCurrentPart();
    void InstChanChange(int voice, int item);
    void OctaveBoxChange(int part, int item);
    // A part's pan bar moved by the user (voice 1..4): stored, marked modified and sent.
    void PanBarChange(int voice, int position);
    // A volume spin (part 0..3): every entry of the part takes the spin's velocity, rests
    // included; then the part's selector without stopping or refreshing.
    void PartVolumeChange(int part, int value);
    // THRU box: the THRU channel, kept in the configuration.
    void ThruBoxChange(int item);
    // OCTAVE and split point spins (each marks the arrangement modified).
    void OctaveUpClick();
    void OctaveDownClick();
    void SplitUpClick();
    void SplitDownClick();

    // --- Pen and grid ------------------------------------------------------------------------
    // Key button A = 1 .. G# = 12: ends Null mode first, lights the key, sets the pen.
    void KeyClick(int key);
    void KeyRangeUpClick();
    void KeyRangeDownClick();
    void NullBtnClick();
    void ResetNoteButtonColours();
    void ResetPartLabelColours();
    // The volume bar moved by the user: its caption, and the grid committed to the part.
    void VolumeBar1Change(int position);
    void DurationBar1Change(int position);
    // A click on cell (row 1..8, column 1..32): the pen's note with the bars' velocity and
    // duration, committed to the current part. Returns the grid index written.
    int GridCellClick(int row, int column);
    // Writes the cell GridCellCode names from PenNote and the bars, and commits the grid.
    int UpdateGridCell();

    // --- Bar clipboard of notes (bar ClipboardBar) -------------------------------------------
    // UpDown1 by +1 / -1, wrapping 8 -> 1 and 1 -> 8.
    void UpDown1Click(int by);
    void CopyClick();
    // Each false, with the error box, when its buffer was never filled; the grid is unchanged.
    bool PasteClick();
    void ClearClick();
    bool UndoClick();

    // --- Transposition and files -------------------------------------------------------------
    // Every part and the grid by +1 / -1 semitone, then the current part selected again while
    // playing goes on. A move that would take a note outside 1..127 is refused with a beep.
    bool TransposeClick(int by);
    // The page's stop, the grid committed, the arrangement saved; true when written.
    bool SaveBtnClick();
    // Stops, then opens an arrangement; once a file is read the grid shows part 1 as read and
    // Modified is 0. A cancelled or failed open keeps the parts as they were.
    bool OpenBtnClick();
    // Stops and takes only the drums of a file; programs, channels, octaves and the edit grid
    // stay as they were. A merge that changed the drums leaves Modified at 1.
    bool MergeDrumsClick();

  private:
    void changeOctave(int by);
    void changeSplit(int by);
    void changeKeyRange(int by);
    void showBoxes();
    drums::StepCells barCells();
    void emptyBuffer(const char* text);
    common::ProgramWide& wide_;
    OrchestraTargets state_;
    common::EngineLink& engine_;
    drums::DrumOps& drums_;
    drums::Transport& transport_;
    platform::DialogService& dialogs_;
    accompaniment::PartPlayers& players_;
};

}  // namespace accompaniment
