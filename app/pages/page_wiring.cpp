#include "app/pages/page_wiring.h"

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/mid_check_form.h"
#include "app/pages/quintora_form.h"
#include "drums/pages/drum_tab.h"
#include "drums/pages/drums_grid.h"
#include "import/pages/converting.h"
#include "import/pages/inst_list_form.h"
#include "player/pages/midi_form.h"

namespace app {

namespace {

template <typename Page, typename... Args>
void Make(QPointer<Page>& page, Args&&... args) {
    if (!page) page = new Page(std::forward<Args>(args)...);
}

}  // namespace

void CreatePages(ShellContext& context, PageNavigator& navigator, std::function<void()> onExit) {
    Pages& pages = context.pages;
    navigator.Attach(context);
    // The save offer of exit and NEW writes through the setup page's save.
    context.save.SaveArrangement = [&pages] {
        return pages.QuintoraForm && pages.QuintoraForm->SaveItemClick();
    };
    // The setup page's PANIC follows every stop of the engine with a panic.
    context.drums.setPanicAction([&pages] {
        if (pages.QuintoraForm) pages.QuintoraForm->PanicBtnClick();
    });
    Make(pages.QuintoraForm, context);
    pages.QuintoraForm->onExit = std::move(onExit);
    Make(pages.DrumsGrid, context, pages);
    Make(pages.DrumTab, context, pages);
    Make(pages.MidCheckForm, context);
    context.devices.setInputWindow(pages.MidCheckForm->window());
    Make(pages.OrchestraForm, context);
    pages.DrumTab->stepAccompaniment = [&pages](int step) {
        if (pages.OrchestraForm) pages.OrchestraForm->StepAccompaniment(step);
    };
    Make(pages.MidiForm, context, pages.QuintoraForm->playerArea());
    Make(pages.AccompanyForm, context);
    Make(pages.Converting, context, pages);
    Make(pages.InstListForm, pages);
    for (QWidget* page :
         {static_cast<QWidget*>(pages.DrumsGrid), static_cast<QWidget*>(pages.DrumTab),
          static_cast<QWidget*>(pages.OrchestraForm), static_cast<QWidget*>(pages.AccompanyForm)})
        pages.QuintoraForm->ShareMenuKeys(page);
}

}  // namespace app
