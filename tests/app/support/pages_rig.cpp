#include "tests/app/support/pages_rig.h"

namespace testsupport {

PagesRig::PagesRig() {
    ops.setPanicAction([this] {
        if (pages.QuintoraForm) pages.QuintoraForm->PanicBtnClick();
    });
}

void PagesRig::createPages() {
    pages.QuintoraForm = new app::TQuintoraForm(context);
    save.SaveArrangement = [this] { return pages.QuintoraForm && pages.QuintoraForm->SaveItemClick(); };
    pages.DrumsGrid = new drums::TDrumsGrid(context);
    if (!pages.DrumTab) pages.DrumTab = new drums::TDrumTab(context);
    pages.MidCheckForm = new app::TMidCheckForm(context);
    devices.setInputWindow(pages.MidCheckForm->window());
    pages.OrchestraForm = new app::TOrchestraForm(context);
    pages.MidiForm = new app::TMidiForm(context, pages.QuintoraForm->playerArea());
    pages.AccompanyForm = new app::TAccompanyForm(context);
    for (QWidget* page :
         {static_cast<QWidget*>(pages.DrumsGrid), static_cast<QWidget*>(pages.DrumTab),
          static_cast<QWidget*>(pages.OrchestraForm), static_cast<QWidget*>(pages.AccompanyForm)})
        pages.QuintoraForm->ShareMenuKeys(page);
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
