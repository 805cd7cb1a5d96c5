#pragma once
// The MIDI file player page: single play of a chosen file, auto play of the MidiFile folder,
// STOP, and the media player that also sounds the jingles. Shown over the setup page as part of
// the same screen. Its handlers run the player's logic (player/player_ops.h) and then show what it
// left in the view. User-interface thread only.

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <memory>

#include "player/player_clock.h"
#include "player/player_ops.h"
#include "ui/program_context.h"

namespace player {

class TMidiForm : public QWidget {
  public:
    // Builds the page inside `screen`, then ends start-up's first part: the start jingle while
    // the start splash stands, the splash closed, the setup page and this page shown, PageCode := "ST", the
    // first-run help, and the MidiFile folder made current. `clock` drives the media player
    // (tests); by default the real clock.
    explicit TMidiForm(ui::ProgramContext& context, QWidget* screen, player::PlayerClock* clock = nullptr);
    ~TMidiForm() override;

    // Leaving the page: its media player closes and both timers stop.
    void StopPlayer();
    // Plays jingle n (1 start-up, 2 exit, 3 About) to its end; meanwhile the windows repaint
    // and nothing else runs (no input, timer or window message is handled).
    virtual void PlayJingle(int n);

    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void MediaPlayer1Click();
    void MidiFileListBoxChange();
    void Timer1Timer();
    void Timer2Timer();

    player::PlayerOps& ops() { return ops_; }

    // The frame's title for the page's caption: a file's path elided from its start so that the
    // title fits the frame, the file name kept.
    QString FrameCaption(const QString& caption) const;
    // The frame's width that its title may not use (the style's insets on both sides).
    static constexpr int kFrameTitleInsets = 24;

    QGroupBox* Frame;  // shows the page's caption
    QLabel* Panel1;
    QToolButton* BitBtn3;
    QToolButton* MediaPlayer1;
    QProgressBar* ProgressBar1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QListWidget* MidiFileListBox;
    QTimer* Timer1;
    QTimer* Timer2;

  protected:
    ui::ProgramContext& context_;

  private:
    void build();
    void showView();

    std::unique_ptr<player::PlayerClock> ownClock_;
    player::PlayerOps ops_;
};

}  // namespace player
