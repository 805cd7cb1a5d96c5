#pragma once
// The DRUM LIST dialog: the drums by name in alphabetical order, for choosing one instead of its
// tab. SELECT DRUM opens the drum tab on the chosen drum; CHANGE DRUM moves the drum being edited,
// hits and pan, onto the chosen one. One instance, owned by the drum tab, reset each time it
// opens; closing it only hides it.

#include <QComboBox>
#include <QPushButton>
#include <QWidget>

#include "drums/pages/drum_pages.h"
#include "ui/program_context.h"

namespace drums {

class TChangeDrum : public QWidget {
  public:
    TChangeDrum(DrumPagesContext& context, DrumPages& pages, QWidget* owner);

    // As a freshly made dialog: nothing chosen yet, centred on the screen.
    void Reset();
    // SELECT DRUM: the drum tab shows the chosen drum (the blank entry keeps its tab) and the
    // dialog closes.
    void DrumTabsClick();
    // CHANGE DRUM: the drum being edited moves onto the chosen drum, which the drum tab then
    // shows; the blank entry or the same drum moves and sends nothing.
    void CHANGEClick();
    // Shows the drum tab and closes the dialog; nothing changes.
    void CANCELClick();

    QComboBox* DrumChange;
    QPushButton* DrumTabs;  // SELECT DRUM
    QPushButton* CHANGE;
    QPushButton* CANCEL;

  protected:
    DrumPagesContext& context_;
    DrumPages& pages_;

  private:
    // The drum index of the chosen entry, or -1 for the blank entry or none.
    int chosenDrum() const;
};

}  // namespace drums
