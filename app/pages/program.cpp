#include "app/pages/program.h"

#include <QScreen>
#include <exception>

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/mid_check_form.h"
#include "app/pages/page_wiring.h"
#include "app/pages/quintora_form.h"
#include "app/pages/splash_screens.h"
#include "common/folders.h"
#include "drums/pages/drum_tab.h"
#include "drums/pages/drums_grid.h"
#include "import/pages/converting.h"
#include "import/pages/inst_list_form.h"
#include "platform/services.h"
#include "player/pages/midi_form.h"

namespace app {

QuintoraProgram::QuintoraProgram(QApplication& application, common::EngineLink& engine,
                                 platform::DialogService& dialogs, platform::Launcher& launcher)
    : application_(application),
      state_(std::make_unique<ProgramState>()),
      engine_(engine),
      dialogs_(dialogs),
      devices_(*state_, state_->live.parts.ThruChannel, engine_, dialogs_, platform::services().midiIn(),
               platform::services().midiOut()),
      playing_(state_->live),
      drums_(state_->drums, state_->Engine, engine_, playing_),
      transport_(state_->drums, state_->transport, state_->Engine, engine_, devices_, drums_, playing_),
      save_(state_->drums, state_->live.parts, dialogs_),
      shell_(*state_, engine_, devices_, drums_, save_, dialogs_),
      context_{*state_,    engine_, dialogs_,   devices_, drums_,
               transport_, save_,   navigator_, launcher, pages_} {}

QuintoraProgram::~QuintoraProgram() {
    application_.removeEventFilter(&closeRequests_);
    deletePages();
}

void QuintoraProgram::createPages() {
    CreatePages(context_, navigator_, [this] { shell_.Exit(*this); });
    application_.installEventFilter(&closeRequests_);
}

int QuintoraProgram::Run(const std::function<void(QuintoraProgram&)>& ready) {
    shell_.ClearArrangement();
    // The first window: it stands until the player page's constructor closes it.
    pages_.MidiSplash = new TMidiSplash();
    pages_.MidiSplash->show();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        shell_.CheckScreen(screen->geometry().width(), screen->geometry().height());
    // The title only: the application name also names Qt's settings folders.
    QGuiApplication::setApplicationDisplayName("QUINTORA2");
    QApplication::setQuitOnLastWindowClosed(false);  // only exit ends the program
    QCoreApplication::processEvents();
    shell_.ProbeFiles();
    int result = 0;
    try {
        createPages();
        QCoreApplication::processEvents();
        shell_.OpenDevices();
        if (ready) ready(*this);
        QApplication::exec();
    } catch (const std::exception& e) {
        delete pages_.MidiSplash.data();  // when a page failed before the splash's close
        dialogs_.messageBox(nullptr, e.what(), "Quintora2", platform::BoxButtons::Ok,
                            platform::BoxIcon::Stop);
        result = 1;  // the box told the user; the exit status tells whoever started the program
    }
    shell_.CloseDevices();
    // The exit's silence sweep leaves the engine holding the port its panic opened. It lets go
    // of it here, while everything behind the port is alive, not at the library's unload, when
    // what the program made (its output backend among them) may be gone.
    common::SendCommand(engine_, state_->Engine, common::CmdCloseOut);
    return result;
}

void QuintoraProgram::stopPlaying() {
    // The drum tab's stop stops the engine and the accompaniment with it; nothing plays after
    // exit, so the accompaniment page's own stop would only repeat the stops and panics.
    if (pages_.DrumTab) pages_.DrumTab->DrumStopButtonClick();
}

const void* QuintoraProgram::setupWindow() {
    return pages_.QuintoraForm.data();
}

void QuintoraProgram::playExitJingle() {
    if (pages_.MidiForm) pages_.MidiForm->PlayJingle(2);
}

void QuintoraProgram::showEndSplash() {
    auto* splash = new TEndSplash(pages_.QuintoraForm);
    pages_.EndSplash = splash;
    splash->show();
    CentreOnScreen(*splash);
    splash->repaint();
    endSplashShown_ = platform::services().clock().now();
    // Painted once the desktop has put it on the screen; the player's clicks wait, so that
    // nothing (a second Exit) runs inside exit.
    HoldRepainting(endSplashShown_ + kSplashMapWait, [splash] { return OnScreen(*splash); });
    splash->repaint();
}

void QuintoraProgram::destroyEndSplash() {
    // The steps since it came up took moments: it stands a little longer, to be read.
    if (pages_.EndSplash) HoldRepainting(endSplashShown_ + kEndSplashStands);
    delete pages_.EndSplash.data();
}

void QuintoraProgram::hideImportPages() {
    for (QWidget* w : {static_cast<QWidget*>(pages_.Converting), static_cast<QWidget*>(pages_.InstListForm)})
        if (w) {
            w->hide();
            w->deleteLater();
        }
}

void QuintoraProgram::hidePages() {
    for (QWidget* w :
         {static_cast<QWidget*>(pages_.DrumsGrid), static_cast<QWidget*>(pages_.DrumTab),
          static_cast<QWidget*>(pages_.AccompanyForm), static_cast<QWidget*>(pages_.MidiForm),
          static_cast<QWidget*>(pages_.OrchestraForm), static_cast<QWidget*>(pages_.QuintoraForm)})
        if (w) w->hide();
}

void QuintoraProgram::releasePages() {
    for (QWidget* w :
         {static_cast<QWidget*>(pages_.AccompanyForm), static_cast<QWidget*>(pages_.MidCheckForm),
          static_cast<QWidget*>(pages_.MidiForm), static_cast<QWidget*>(pages_.QuintoraForm),
          static_cast<QWidget*>(pages_.OrchestraForm), static_cast<QWidget*>(pages_.DrumTab),
          static_cast<QWidget*>(pages_.DrumsGrid)})
        if (w) w->deleteLater();
}

void QuintoraProgram::terminate() {
    if (pages_.QuintoraForm) pages_.QuintoraForm->close();
    QCoreApplication::quit();
}

void QuintoraProgram::deletePages() {
    // Pages released by exit go with the deferred deletions; any left are deleted here, the
    // player page with the setup page that holds it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    delete pages_.EndSplash.data();
    delete pages_.MidiSplash.data();
    delete pages_.InstListForm.data();
    delete pages_.Converting.data();
    delete pages_.AccompanyForm.data();
    delete pages_.MidiForm.data();
    delete pages_.OrchestraForm.data();
    delete pages_.MidCheckForm.data();
    delete pages_.DrumTab.data();
    delete pages_.DrumsGrid.data();
    delete pages_.QuintoraForm.data();
}

}  // namespace app
