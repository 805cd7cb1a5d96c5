#include "app/pages/later_pages.h"

#include <QVBoxLayout>

#include "app/pages/quintora_form.h"

namespace app {

TMidiForm::TMidiForm(ProgramContext& context, QWidget* screen) : QWidget(screen), context_(context) {
    setObjectName("MidiForm");
    if (screen && screen->layout()) screen->layout()->addWidget(this);
    if (context_.pages.QuintoraForm) context_.pages.QuintoraForm->show();
    context_.state.shell.PageCode = "ST";
}

}  // namespace app
