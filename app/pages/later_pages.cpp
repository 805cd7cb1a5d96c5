#include "app/pages/later_pages.h"

#include <QVBoxLayout>

#include "app/pages/quintora_form.h"
#include "app/pages/splash_screens.h"

namespace app {

TMidiForm::TMidiForm(ProgramContext& context, QWidget* screen) : QWidget(screen), context_(context) {
    setObjectName("MidiForm");
    if (screen && screen->layout()) screen->layout()->addWidget(this);
    CloseSplash(context_, *this);
    if (context_.pages.QuintoraForm) context_.pages.QuintoraForm->show();
    context_.state.shell.PageCode = "ST";
}

}  // namespace app
