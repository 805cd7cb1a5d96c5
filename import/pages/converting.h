#pragma once
// The MIDI import page ("MIDI IMPORT"): Drums or Instruments, the progress text, the first of
// the eight bars to take, MANUAL or AUTO, TRY, OK and NEW. The flow lives in ImportFlow; the
// page forwards the user's actions, mirrors the flow's controls and carries out what the flow
// asks of the other pages.

#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>

#include "import/import_flow.h"
#include "import/pages/import_pages.h"
#include "ui/program_context.h"

namespace midiimport {

// The bar spin: a number the user steps (no typing), or a word such as "Try Bar" while there is
// nothing to try.
class BarSpin final : public QSpinBox {
  public:
    explicit BarSpin(QWidget* parent);
    // Shows `text` with the range min..max, without running the change handler.
    void showText(const QString& text, int min, int max);

  protected:
    QString textFromValue(int value) const override;

  private:
    QString text_;
};

class TConverting final : public QWidget, private midiimport::ImportFlowHost {
  public:
    TConverting(ImportPagesContext& context, ImportPagePair& pages);

    midiimport::ImportFlow& flow() { return flow_; }

    void ExtractDrumsClick() { flow_.ExtractDrumsClick(); }
    void ExtractInstrumentsClick() { flow_.ExtractInstrumentsClick(); }
    void WhichBarChange();
    void TryMidiImportClick() { flow_.TryMidiImportClick(); }
    void ExitMidiExtractClick() { flow_.ExitMidiExtractClick(); }
    void ABORTIMPORTClick() { flow_.ABORTIMPORTClick(); }
    void DontKillBtnClick() { flow_.DontKillBtnClick(); }

    QPushButton* ExtractDrums;
    QPushButton* ExtractInstruments;
    QLabel* Panel4;
    BarSpin* WhichBar;
    QPushButton* DontKillBtn;
    QPushButton* TryMidiImport;
    QPushButton* ExitMidiExtract;
    QPushButton* ABORTIMPORT;

  private:
    // ImportFlowHost
    void processMessages() override;
    void toggleTimeSignature() override;
    void applyBars() override;
    void showTempo(int tempo) override;
    void paint() override;
    void showProgress() override;
    void stopPlaying() override;
    void startPlaying() override;
    void newDrums() override;
    void newAll() override;
    void resetOrchestra() override;
    void reselectCurrentPart() override;
    void showFileName(const std::string& path) override;
    bool saveArrangement() override;
    void showChooser(const std::vector<std::string>& items) override;
    void showChooserAgain() override;
    void hideChooser() override;
    void releasePages() override;

    ImportPagesContext& context_;
    ImportPagePair& pages_;
    midiimport::ImportFlow flow_;
    QElapsedTimer sinceProgress_;  // since the last repaint of a progress figure
};

}  // namespace midiimport
