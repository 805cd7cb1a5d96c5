#include "app/pages/arrangement_pages.h"

#include <QSignalBlocker>

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/quintora_form.h"
#include "drums/pages/drum_tab.h"
#include "player/pages/midi_form.h"

namespace app {

bool FormArrangementPages::setupPageVisible() {
    return context_.pages.QuintoraForm && context_.pages.QuintoraForm->isVisible();
}

void FormArrangementPages::showPlayerPage() {
    if (context_.pages.MidiForm) context_.pages.MidiForm->show();
}

void FormArrangementPages::stopPlayer() {
    if (context_.pages.MidiForm) context_.pages.MidiForm->StopPlayer();
}

const void* FormArrangementPages::setupWindow() {
    return context_.pages.QuintoraForm.data();
}

void FormArrangementPages::panic() {
    if (context_.pages.QuintoraForm) context_.pages.QuintoraForm->PanicBtnClick();
}

bool FormArrangementPages::newDrums() {
    if (context_.pages.DrumTab) {
        context_.pages.DrumTab->NewDrumsClick();
        // NEW ends with Modified 0 whenever it emptied the pattern; a failed save keeps it at 1.
        return context_.state.drums.Modified == 0;
    }
    if (!context_.save.Offer(setupWindow())) return false;
    context_.drums.ClearPattern();
    context_.drums.ClearEngineDrums();
    return true;
}

void FormArrangementPages::resetOrchestra() {
    if (context_.pages.OrchestraForm) context_.pages.OrchestraForm->ResetOrchestra();
}

void FormArrangementPages::showFileName(const std::string& path) {
    if (context_.pages.OrchestraForm)
        context_.pages.OrchestraForm->FileNamePanel->setText(QString::fromStdString(path));
}

void FormArrangementPages::showTempo(int tempo) {
    drums::TDrumTab* tab = context_.pages.DrumTab;
    if (!tab) return;
    tab->TempoPanel->setText(QString::number(tempo));
    const QSignalBlocker quiet(tab->TempoBar);  // the tempo is already with the engine
    tab->TempoBar->setValue(tempo);
}

void FormArrangementPages::showSplitPoint(int splitPoint) {
    accompaniment::TOrchestraForm* form = context_.pages.OrchestraForm;
    if (!form) return;
    form->ops().controls.Panel6 = std::to_string(splitPoint);
    form->Panel6->setText(QString::number(splitPoint));
}

std::array<int, 4> FormArrangementPages::partPanBars() {
    std::array<int, 4> bars{};
    for (std::size_t i = 0; i < 4; ++i)
        bars[i] = context_.pages.OrchestraForm ? context_.pages.OrchestraForm->PanBar[i]->value()
                                               : context_.state.live.parts.PartPans[i + 1];
    return bars;
}

void FormArrangementPages::showPartPans(const std::array<int, 4>& pans) {
    accompaniment::TOrchestraForm* form = context_.pages.OrchestraForm;
    if (!form) return;
    form->ops().controls.PanBars = pans;
    for (std::size_t i = 0; i < 4; ++i) {
        const QSignalBlocker quiet(form->PanBar[i]);
        form->PanBar[i]->setValue(pans[i]);
    }
}

void FormArrangementPages::showThruChannel(int channel) {
    accompaniment::TOrchestraForm* form = context_.pages.OrchestraForm;
    if (!form || channel < 0 || channel > 15) return;
    form->ops().controls.ThruBox = channel;
    form->ThruBox->setCurrentIndex(channel);  // sets the box only: its change handler is the user's
}

int FormArrangementPages::barsPosition() {
    return context_.pages.DrumTab ? context_.pages.DrumTab->NumBars1->value()
                                  : context_.state.drums.Bars * 100;
}

void FormArrangementPages::applyBars() {
    if (context_.pages.DrumTab)
        context_.pages.DrumTab->ApplyBars();
    else
        context_.transport.SetBars(context_.state.drums.Bars * 100);
}

void FormArrangementPages::reapplyTimeSignature() {
    if (context_.pages.DrumTab) context_.pages.DrumTab->ReapplyTimeSignature();
}

void FormArrangementPages::selectDrumTab(int drum) {
    if (context_.pages.DrumTab) context_.pages.DrumTab->SelectDrumTab(drum);
}

void FormArrangementPages::refreshOrchestra() {
    if (context_.pages.OrchestraForm) context_.pages.OrchestraForm->RefreshOrchestraForm();
}

}  // namespace app
