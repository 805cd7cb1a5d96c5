#pragma once
// The DRUM LIST dialog: the drums by name, for choosing one instead of its tab. Here the list
// and CANCEL; choosing and moving a drum come with the dialog's own handlers. One instance,
// owned by the drum tab, reset each time it opens.

#include <QComboBox>
#include <QPushButton>
#include <QWidget>

#include "app/pages/pages.h"

namespace drums {

class TChangeDrum : public QWidget {
  public:
    TChangeDrum(app::ProgramContext& context, QWidget* owner);

    // As a freshly made dialog: nothing chosen yet.
    void Reset();
    // Shows the drum tab and closes the dialog; nothing changes.
    void CANCELClick();

    QComboBox* DrumChange;
    QPushButton* CANCEL;

  protected:
    app::ProgramContext& context_;
};

}  // namespace drums
