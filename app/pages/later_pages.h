#pragma once
// The pages whose own contents come with the accompaniment, the MIDI file player, the note
// display and the MIDI import. Here each holds what start-up, exit and the transport ask of
// it, so that they are created, shown, hidden and released in their places.

#include <QLabel>
#include <QWidget>

#include "app/pages/orchestra_form.h"
#include "app/pages/pages.h"

namespace app {

// The MIDI file player page, shown over the setup page as part of the same screen.
class TMidiForm : public QWidget {
  public:
    TMidiForm(ProgramContext& context, QWidget* screen);
    // Closes the player's media and its timers.
    virtual void StopPlayer() {}
    // Plays jingle n (0 start, 1 About, 2 exit) to its end.
    virtual void PlayJingle(int) {}

  protected:
    ProgramContext& context_;
};

}  // namespace app
