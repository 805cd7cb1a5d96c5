#pragma once
// The drum tab page: one drum over 8 bars of 32 cells, with the transport, the position lights,
// the bar clipboard, the drum's pan and the buttons to the other pages. Its window receives the
// engine's step messages. NEW, SETUP and the time signature run the tab's logic
// (drums/drum_tab_ops.h) and then show what it left.

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <functional>

#include "drums/drum_clipboard.h"
#include "drums/drum_tab_ops.h"
#include "drums/pages/drum_pages.h"
#include "drums/pages/multi_line_tabs.h"
#include "platform/window_queue.h"
#include "ui/colour_panel.h"
#include "ui/program_context.h"

namespace drums {

class TDrumTab : public QWidget, public platform::WindowProc, private DrumTabHost {
  public:
    TDrumTab(DrumPagesContext& context, DrumPages& pages);
    ~TDrumTab() override;

    HWND window() const { return window_; }

    // Cell N (1..255, 0 the last cell of bar 8): toggles when editing is enabled, then paints.
    void DrumPanelClick(int n);
    // Repaints every cell for the drum of the selected tab; the velocity goes back to 96.
    void DrumTabsChange();
    // For the arrangement reader: shows drum `tab` (0..60; any other value shows tab 0).
    void SelectDrumTab(int tab);
    void NewDrumsClick();

    // Navigation.
    void MainScreenBtnClick();
    void DRUMGRID1Click();
    void ComboButtonClick();
    void ChngDrmClick();
    void MidiExtractClick();
    // The arrangement file; Modified is cleared only when the file was read or written.
    void OpenBtnClick();
    void SaveBtnClick();

    // The bar clipboard over bar Bars of one drum.
    void COPYClick();
    void PASTEClick();
    void CLEARClick();
    void UNDOClick();

    // Transport.
    void DrumStartButtonClick();
    void DrumStopButtonClick();
    void TempoBarChange();
    void NumBars1Change();
    void NumBars2Change();
    void ApplyBars();
    void TimeSignatureClick();
    // For a reader that stored MeterSign itself: applies it with all its effects.
    void ReapplyTimeSignature();
    // For the import's loader: one switch of the time signature.
    void ToggleTimeSignature() { TimeSignatureClick(); }
    void QuantiseClick();
    void PanBarChange();
    void VolumeBar1Change();

    // Position lights.
    void windowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;
    virtual void WMDrumStep(std::uintptr_t step);
    void ShowDrumPosition(int step);
    void ResetBeatLights();
    const PositionLights& lights() const { return ops_.lights; }
    // The drum grid puts its own lights to rest in the same model when it repaints.
    PositionLights& lights() { return ops_.lights; }
    // The accompaniment's tick for the step just played; runs after the lights. Calls
    // stepAccompaniment when the program has set it.
    virtual void StepAccompaniment(int step);
    std::function<void(int)> stepAccompaniment;

    MultiLineTabs* DrumTabs;
    std::array<ui::ColourPanel*, 256> DrumPanel{};  // index N = cell N
    QSlider* VolumeBar1;
    QLabel* VolumePanel;
    QSlider* PanBar;
    QToolButton* DrumStartButton;
    QToolButton* DrumStopButton;
    QToolButton* COPY;
    QToolButton* PASTE;
    QToolButton* CLEAR;
    QToolButton* UNDO;
    QSlider* TempoBar;
    ui::ColourPanel* TempoPanel;
    ui::ColourPanel* Volume;
    QSlider* NumBars1;
    QSlider* NumBars2;
    ui::ColourPanel* BarPanel;
    ui::ColourPanel* BarNum;
    QPushButton* TimeSignature;
    QPushButton* Quantise;
    QPushButton* NewDrums;
    QPushButton* BitBtn1;
    QPushButton* MainScreenBtn;
    QPushButton* DRUMGRID;
    QPushButton* ComboButton;
    QPushButton* ChngDrm;
    QPushButton* MidiExtract;
    QToolButton* OpenBtn;
    QToolButton* SaveBtn;
    QStatusBar* StatusBar1;
    ui::ColourPanel* BeatOne;
    ui::ColourPanel* BeatTwo;
    ui::ColourPanel* BeatThree;
    ui::ColourPanel* BeatFour;
    std::array<ui::ColourPanel*, 8> tempo{};   // tempo1..tempo8
    std::array<ui::ColourPanel*, 8> tempoA{};  // tempo1a..tempo8a

  protected:
    // The page repaints from the pattern whenever it is shown or hidden.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    DrumPagesContext& context_;
    DrumPages& pages_;

  private:
    bool offerSave() override;
    void applyBars() override { ApplyBars(); }
    void repaintCells() override { DrumTabsChange(); }
    void build();
    void paintLights();
    void showTimeSignature();
    DrumTabOps ops_;
    DrumClipboard clipboard_;
    HWND window_ = nullptr;
};

}  // namespace drums
