#include "tests/app/support/pages_rig.h"

#include "app/pages/page_wiring.h"

namespace testsupport {

PagesRig::PagesRig() = default;

void PagesRig::createPages() {
    app::CreatePages(context, navigator);
    devices.OpenMidiOut();  // as start-up does: the start jingle took the engine's output
}

PagesRig::~PagesRig() {
    delete pages.InstListForm.data();
    delete pages.Converting.data();
    delete pages.AccompanyForm.data();
    delete pages.OrchestraForm.data();
    delete pages.MidCheckForm.data();
    delete pages.DrumTab.data();
    delete pages.DrumsGrid.data();
    delete pages.QuintoraForm.data();  // with the player page inside it
}

}  // namespace testsupport
