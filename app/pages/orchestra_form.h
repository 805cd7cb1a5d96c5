#pragma once
// The accompaniment page: it hosts the accompaniment (the chord follower, the part players and
// the live keyboard input) and holds the controls they read and write: the part timers, the
// beat light, the bar and instrument captions, the split point and THRU octave spins, the
// volume, duration and pan bars, start, stop and NEW.

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <array>

#include "app/live/live_accompaniment.h"
#include "app/orchestra_ops.h"
#include "app/pages/colour_panel.h"
#include "app/pages/pages.h"

namespace app {

class TOrchestraForm : public QWidget, public live::LiveHost {
  public:
    // Opens the MIDI devices and resets the parts.
    explicit TOrchestraForm(ProgramContext& context);

    // One packed message from the keyboard.
    void HandleMidiInput(std::uint32_t packed) { live_.input.HandleMidiInput(packed); }
    // The accompaniment's tick for the step the engine just played.
    void StepAccompaniment(int step) { live_.follower.StepAccompaniment(step); }

    // The part timers' handler (PianoTimerTimer .. BassTimerTimer): the part's note ends.
    void PartTimerTimer(int part) { live_.players.PartTimerFired(part); }

    void DrumStartButtonClick();
    void DrumStopButtonClick();
    void NewAllClick();
    void OctaveCSpinButtonUpClick();
    void OctaveCSpinButtonDownClick();
    void SplitCSpinButton1UpClick();
    void SplitCSpinButton1DownClick();
    void PanBarChange(int voice);
    void VolumeBar1Change();

    // The note buttons to their resting colours (the transport's start; no key buttons yet).
    virtual void ResetNoteButtonColours() {}
    virtual void ResetPartLabelColours() {}
    // Redraws the page from the part data.
    virtual void RefreshOrchestraForm();

    OrchestraOps& ops() { return ops_; }
    live::LiveAccompaniment& live() { return live_; }

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

    QLabel* WhichBar;
    ColourPanel* BeatIndicator;
    QLabel* CurrentInstrument;
    QLabel* FileNamePanel;
    QLabel* Panel6;
    QToolButton* SplitUp;
    QToolButton* SplitDown;
    QLabel* OctavePanel;
    QToolButton* OctaveUp;
    QToolButton* OctaveDown;
    QSlider* VolumeBar1;
    QLabel* VolumePanel;
    QSlider* DurationBar1;
    QLabel* DurationPanel;
    std::array<QSlider*, 4> PanBar{};
    QToolButton* DrumStartButton;
    QToolButton* DrumStopButton;
    QPushButton* NewAll;
    std::array<QTimer*, 4> PartTimer{};  // PianoTimer, StringsTimer, BrassTimer, BassTimer

  protected:
    ProgramContext& context_;

  private:
    void showControls();
    live::LiveAccompaniment live_;  // before ops_, which ends the players' notes
    OrchestraOps ops_;
    bool painting_ = false;  // controls set from code run no change handler
};

}  // namespace app
