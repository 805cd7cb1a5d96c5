#pragma once
// The played-note display: a borderless strip shaped like one octave of a keyboard that shows the
// key last played on the MIDI keyboard (pitch class, channel, velocity, key number) and a logo
// whose colour moves on with every key. It only displays.

#include <QPushButton>
#include <QWidget>
#include <array>

#include "live/note_display.h"
#include "ui/program_context.h"

namespace app {

class TAccompanyForm : public QWidget {
  public:
    explicit TAccompanyForm(ui::ProgramContext& context);

    // A key message from the keyboard (not on a drum channel): key 0..127, its pitch class,
    // velocity 0..127 (0 released), channel 0..15.
    void ShowPlayedNote(int key, int pitchClass, int velocity, int channel);
    // Every note key out, channel 1, velocity 0%: the input device has changed.
    void ClearPlayedNotes();

    // The note keys' clicks: each repaints its own key from the velocity played last.
    void NoteClick(int pitchClass);

    const live::NoteDisplay& display() const { return display_; }
    // The font colour a button shows.
    static QColor fontColour(const QPushButton* button);

    QWidget* AccomPanel1;
    QPushButton* BitBtn1;
    QPushButton* ORVX;
    QPushButton* Velocity;
    QPushButton* InChannel;
    QPushButton* ChannelNumber;
    QPushButton* BitBtn2;
    QPushButton* DisplayNote;
    std::array<QPushButton*, 12> Note{};  // by pitch class: Cnote, Csnote, ... Bnote

  protected:
    ui::ProgramContext& context_;

  private:
    void paint();
    live::NoteDisplay display_;
};

}  // namespace app
