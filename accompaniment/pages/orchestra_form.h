#pragma once
// The accompaniment page ("COMBO"): the 8 x 32 note grid of the part being edited and the
// controls around it: per part an instrument, channel and octave box, a pan bar, a volume
// spin and a label that selects the part; the pen (key buttons, key range, Null, the volume
// and duration bars); the THRU channel and octave, the split point; the bar clipboard of notes,
// transposition, start and stop, NEW, the page's Save, Open and MERGE DRUMS and the buttons to
// the other pages. It also hosts the accompaniment (the chord follower, the part players with
// their timers, the live keyboard input). The logic lives in OrchestraOps; the page forwards
// the user's actions and paints.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <array>

#include "accompaniment/orchestra/orchestra_ops.h"
#include "accompaniment/pages/orchestra_page_context.h"
#include "live/live_accompaniment.h"
#include "ui/colour_panel.h"
#include "ui/path_label.h"
#include "ui/program_context.h"

namespace accompaniment {

class TOrchestraForm : public QWidget, public live::LiveHost {
  public:
    // Opens the MIDI devices and resets the parts.
    explicit TOrchestraForm(OrchestraPageContext& context);

    // One packed message from the keyboard.
    void HandleMidiInput(std::uint32_t packed) { live_.input.HandleMidiInput(packed); }
    // The accompaniment's tick for the step the engine just played.
    void StepAccompaniment(int step) { live_.follower.StepAccompaniment(step); }

    // The part timers' handler (PianoTimerTimer .. BassTimerTimer): the part's note ends.
    void PartTimerTimer(int part) { live_.players.PartTimerFired(part); }

    // Transport and NEW.
    void DrumStartButtonClick();
    void DrumStopButtonClick();
    void NewAllClick();
    // The parts' defaults (the arrangement reader runs it before reading), shown.
    void ResetOrchestra();
    // Redraws the page from the part data (see OrchestraOps::RefreshOrchestraData).
    void RefreshOrchestraForm();
    void ResetNoteButtonColours();
    void ResetPartLabelColours();
    void ReselectCurrentPart();

    // The parts (voice 1 piano .. 4 bass; part 0 piano .. 3 bass).
    void InstBoxChange(int voice);
    void LabelClick(int voice);
    void InstChanChange(int voice);
    void OctaveBoxChange(int part);
    void PanBarChange(int voice);
    void PartVolumeChange(int part);
    // THRU, split point.
    void ThruBoxChange();
    void OctaveCSpinButtonUpClick();
    void OctaveCSpinButtonDownClick();
    void SplitCSpinButton1UpClick();
    void SplitCSpinButton1DownClick();
    // The pen and the grid (key 1 = A .. 12 = G#; cell row 1..8, column 1..32).
    void KeyBtnClick(int key);
    void KeyRangeUpClick();
    void KeyRangeDownClick();
    void NullBtnClick();
    void VolumeBar1Change();
    void DurationBar1Change();
    void InstButtonClick(int row, int column);
    // Bar clipboard, transposition.
    void UpDown1Click(int by);
    void COPYClick();
    void PASTE1Click();
    void CLEARClick();
    void UNDOClick();
    void TransposeupClick();
    void TrannsposedownClick();
    // Files and pages.
    void SaveBtnClick();
    void OpenBtnClick();
    void MergeDrumsButtonClick();
    void MainButtonClick();
    void DRUMTABClick();
    void MidiExtractClick();

    accompaniment::OrchestraOps& ops() { return ops_; }
    live::LiveAccompaniment& live() { return live_; }
    // Cell (row 1..8, column 1..32).
    QToolButton* InstButton(int row, int column) const;

    // live::LiveHost
    int ShortMidiMsg(int first, int data1, int data2) override;
    void StartPlaying() override { DrumStartButtonClick(); }
    void StopPlaying() override;
    void Panic() override;
    void ShowBeat(bool blue) override;
    void ErrorBox(const char* text) override;
    void ArmPartTimer(int part, std::int32_t ms) override;
    void DisarmPartTimer(int part) override;
    void ShowPlayedNote(int key, int pitchClass, int velocity, int channel) override;
    void ShowCurrentInstrument(int program) override;

    // By part (piano, strings, brass, bass): InstBox1..4, InstChan1..4, PianoOctaveBox ..
    // BassOctaveBox, PanBar1..4, the labels Label1, Label3, Label4, Label2 and the volume spins.
    std::array<QComboBox*, 4> InstBox{};
    std::array<QComboBox*, 4> InstChan{};
    std::array<QComboBox*, 4> OctaveBox{};
    std::array<QSlider*, 4> PanBar{};
    std::array<ui::ColourPanel*, 4> PartLabel{};
    std::array<QSpinBox*, 4> PartVolume{};
    std::array<QPushButton*, 12> KeyBtn{};  // ABtn .. GSBtn
    QToolButton* KeyRangeUp;
    QToolButton* KeyRangeDown;
    QLabel* RangeNumber;
    QPushButton* NullBtn;
    QSlider* VolumeBar1;
    QLabel* VolumePanel;
    QSlider* DurationBar1;
    QLabel* DurationPanel;
    QComboBox* ThruBox;
    QToolButton* OctaveUp;
    QToolButton* OctaveDown;
    QLabel* OctavePanel;
    QToolButton* SplitUp;
    QToolButton* SplitDown;
    QLabel* Panel6;
    QToolButton* UpDown1Up;
    QToolButton* UpDown1Down;
    QLabel* Panel5;
    QToolButton* COPY;
    QToolButton* PASTE1;
    QToolButton* CLEAR;
    QToolButton* UNDO;
    QPushButton* Transposeup;
    QPushButton* Trannsposedown;
    QToolButton* DrumStartButton;
    QToolButton* DrumStopButton;
    QPushButton* MainButton;
    QPushButton* NewAll;
    QPushButton* DRUMTAB;
    QPushButton* MidiExtract;
    QToolButton* MergeDrumsButton;
    QToolButton* SaveBtn;
    QToolButton* OpenBtn;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    ui::ColourPanel* BeatIndicator;
    QLabel* WhichBar;
    QLabel* CurrentInstrument;
    ui::PathLabel* FileNamePanel;  // the whole path; shows what fits, the file name kept
    ui::ColourPanel* WaltzPanel;
    std::array<QTimer*, 4> PartTimer{};  // PianoTimer, StringsTimer, BrassTimer, BassTimer

  protected:
    // The page repaints from the shared data whenever it is shown.
    void showEvent(QShowEvent* event) override;
    OrchestraPageContext& context_;

  private:
    void buildParts();
    void buildPen();
    void buildGrid();
    void buildBelowGrid();
    void connectControls();
    // Every control from `controls` and the state; the grid's cells from the edit grid.
    void paint();
    void paintControls();
    void paintGrid();
    void paintCell(int index);

    live::LiveAccompaniment live_;  // before ops_, which ends the players' notes
    accompaniment::OrchestraOps ops_;
    std::array<QToolButton*, 256> cells_{};  // by grid index
    bool painting_ = false;                  // controls set from code run no change handler
};

}  // namespace accompaniment
