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

ShellContext::ShellContext(ProgramState& state, common::EngineLink& engine, platform::DialogService& dialogs,
                           common::MidiDevices& devices, drums::DrumOps& drums, drums::Transport& transport,
                           SaveOffer& save, ui::Navigator& navigator, platform::Launcher& launcher,
                           Pages& pages)
    : ui::ProgramContext{state, engine, dialogs, devices, drums, transport, save, navigator, launcher},
      state(state),
      pages(pages),
      drumContext{{*this}, {state.drums, state.grid}},
      orchestraContext{
          {*this},
          {state.drums, state.live, state.orchestra, state.file.LoadingArrangement, state.file.MergingDrums}},
      importContext{{*this}, {state.import, state.drums, state.live}} {}

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
    Make(pages.DrumsGrid, context.drumContext, pages);
    Make(pages.DrumTab, context.drumContext, pages);
    Make(pages.MidCheckForm, context);
    context.devices.setInputWindow(pages.MidCheckForm->window());
    Make(pages.OrchestraForm, context.orchestraContext);
    pages.DrumTab->stepAccompaniment = [&pages](int step) {
        if (pages.OrchestraForm) pages.OrchestraForm->StepAccompaniment(step);
    };
    Make(pages.MidiForm, context, pages.QuintoraForm->playerArea());
    Make(pages.AccompanyForm, context);
    Make(pages.Converting, context.importContext, pages);
    Make(pages.InstListForm, pages);
    for (QWidget* page :
         {static_cast<QWidget*>(pages.DrumsGrid), static_cast<QWidget*>(pages.DrumTab),
          static_cast<QWidget*>(pages.OrchestraForm), static_cast<QWidget*>(pages.AccompanyForm)})
        pages.QuintoraForm->ShareMenuKeys(page);
}

}  // namespace app
