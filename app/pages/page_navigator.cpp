#include "app/pages/page_navigator.h"

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/quintora_form.h"
#include "app/pages/splash_screens.h"
#include "common/folders.h"
#include "drums/pages/drum_tab.h"
#include "import/pages/converting.h"
#include "import/pages/inst_list_form.h"
#include "player/pages/midi_form.h"

namespace app {

PageNavigator::~PageNavigator() = default;

void PageNavigator::Attach(ShellContext& context) {
    context_ = &context;
    arrangement_ = std::make_unique<FormArrangementPages>(context);
}

void PageNavigator::ShowSetupPage() {
    if (pages_.QuintoraForm) pages_.QuintoraForm->show();
}

void PageNavigator::LeaveSetupForAccompaniment() {
    if (pages_.QuintoraForm) pages_.QuintoraForm->ComboButtonClick();
}

void PageNavigator::SetPanicShortcut(const QKeySequence& keys) {
    if (pages_.QuintoraForm) pages_.QuintoraForm->PANIC1->setShortcut(keys);
}

void PageNavigator::SetHelpShortcut(const QKeySequence& keys) {
    if (pages_.QuintoraForm) pages_.QuintoraForm->Search->setShortcut(keys);
}

void PageNavigator::Panic() {
    if (pages_.QuintoraForm) pages_.QuintoraForm->PanicBtnClick();
}

bool PageNavigator::OpenArrangement() {
    return pages_.QuintoraForm && pages_.QuintoraForm->OpenItemClick();
}

bool PageNavigator::SaveArrangement() {
    return pages_.QuintoraForm && pages_.QuintoraForm->SaveItemClick();
}

void PageNavigator::CloseStartSplash() {
    if (context_) app::CloseStartSplash(*context_);
}

void PageNavigator::ShowPlayerPage() {
    if (pages_.MidiForm) pages_.MidiForm->show();
}

void PageNavigator::ShowDrumTab() {
    if (pages_.DrumTab) pages_.DrumTab->show();
}

void PageNavigator::StartDrums() {
    if (pages_.DrumTab) pages_.DrumTab->DrumStartButtonClick();
}

void PageNavigator::StopDrums() {
    if (pages_.DrumTab) pages_.DrumTab->DrumStopButtonClick();
}

void PageNavigator::ToggleTimeSignature() {
    if (pages_.DrumTab) pages_.DrumTab->ToggleTimeSignature();
}

void PageNavigator::ImportFromMidi() {
    if (pages_.DrumTab) pages_.DrumTab->MidiExtractClick();
}

void PageNavigator::OpenImport() {
    if (!context_) return;
    // A fresh pair of import pages for each import; the earlier pair goes. A running import
    // keeps its pages and is shown again.
    if (!context_->state.import.split.ImportRunning || !pages_.Converting) {
        if (pages_.Converting) pages_.Converting->deleteLater();
        if (pages_.InstListForm) pages_.InstListForm->deleteLater();
        pages_.Converting = new midiimport::TConverting(context_->importContext, pages_);
        pages_.InstListForm = new midiimport::TInstListForm(pages_);
        common::GoToUserFolder();
    }
    pages_.Converting->show();
    pages_.Converting->raise();
}

void PageNavigator::ShowAccompanimentPage() {
    if (pages_.OrchestraForm) pages_.OrchestraForm->show();
}

void PageNavigator::RefreshAccompanimentPage() {
    if (pages_.OrchestraForm) pages_.OrchestraForm->RefreshOrchestraForm();
}

void PageNavigator::ShowAccompanimentBar(const QString& bar) {
    if (pages_.OrchestraForm) pages_.OrchestraForm->WhichBar->setText(bar);
}

void PageNavigator::ResetAccompanimentNoteButtons() {
    if (pages_.OrchestraForm) pages_.OrchestraForm->ResetNoteButtonColours();
}

void PageNavigator::StopPlaying() {
    if (pages_.OrchestraForm)
        pages_.OrchestraForm->DrumStopButtonClick();
    else if (pages_.DrumTab)
        pages_.DrumTab->DrumStopButtonClick();
}

void PageNavigator::StartPlaying() {
    if (pages_.OrchestraForm)
        pages_.OrchestraForm->DrumStartButtonClick();
    else if (pages_.DrumTab)
        pages_.DrumTab->DrumStartButtonClick();
}

void PageNavigator::NewAll() {
    if (pages_.OrchestraForm) pages_.OrchestraForm->NewAllClick();
}

void PageNavigator::ReselectCurrentPart() {
    if (pages_.OrchestraForm) pages_.OrchestraForm->ReselectCurrentPart();
}

void PageNavigator::ShowPlayedNote(int key, int pitchClass, int velocity, int channel) {
    if (pages_.AccompanyForm) pages_.AccompanyForm->ShowPlayedNote(key, pitchClass, velocity, channel);
}

ArrangementPages& PageNavigator::Arrangement() {
    return *arrangement_;
}

}  // namespace app
