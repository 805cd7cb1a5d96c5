#pragma once
// The drum grid page: up to twelve of the drums the pattern uses, one row each, over one bar of
// 32 steps; a click switches a hit on or off with the velocity of the volume bar. It pages
// through the eight bars and leads to the drum tab (whole or on one row's drum), the setup page
// and the accompaniment page. Its position lights are moved by the drum tab's step messages.

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QWidget>
#include <array>

#include "drums/grid_rows.h"
#include "drums/pages/drum_pages.h"
#include "drums/position_lights.h"
#include "ui/colour_panel.h"
#include "ui/program_context.h"

namespace drums {

class TDrumsGrid : public QWidget {
  public:
    TDrumsGrid(DrumPagesContext& context, DrumPages& pages);

    // Cell of row 0..11, column 1..32: toggles when editing is enabled, then paints.
    void DrumPanelClick(int row, int column);
    // Repaints every row for the bar shown from the pattern; the velocity goes back to 96.
    void FormCreate();
    // Gives each drum the pattern uses a row (at most twelve), then repaints.
    void RebuildGridRows();
    void VolumeBar2Change();
    // One bar forward or back.
    void CSpinButton1UpClick();
    void CSpinButton1DownClick();
    // Row caption n (1..12): the drum tab on that row's drum.
    void DrumTypeClick(int n);
    // DRUM TABS, SETUP, COMBO.
    void TabDrumBackClick();
    void MainScreenBtnClick();
    void ComboButton6Click();
    // Paints DrumBeat1..DrumBeat32 and WhichBar from the lights.
    void ShowLights(const PositionLights& lights);

    // Row 1 is DrumType1 with DrumPanel1..32, rows 2..12 DrumType2..12 with DrumPanelA..K.
    std::array<ui::ColourPanel*, kGridRows> DrumType{};
    std::array<QWidget*, kGridRows> TypePanel{};  // [0] unused: row 1 has no container
    std::array<std::array<ui::ColourPanel*, kGridColumns>, kGridRows> DrumPanel{};  // [row][column - 1]
    std::array<ui::ColourPanel*, 32> DrumBeat{};
    std::array<ui::ColourPanel*, 6> DrumBreak{};
    QLabel* Panel67;
    ui::ColourPanel* DrumGridPanel;
    QSlider* VolumeBar2;
    ui::ColourPanel* VolumePanel;
    ui::ColourPanel* BarPanel;
    ui::ColourPanel* BarNum;
    ui::ColourPanel* WhichBar;
    QWidget* CSpinButton1;
    QToolButton* CSpinButton1Up;
    QToolButton* CSpinButton1Down;
    QPushButton* MainScreenBtn;
    QPushButton* ComboButton6;
    QPushButton* TabDrumBack;
    QLabel* MidiLabel1;
    QLabel* MidiLabel2;

  protected:
    // The grid repaints from the pattern whenever it is shown, hidden or activated.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    DrumPagesContext& context_;
    DrumPages& pages_;

  private:
    void build();
    void buildRow(int row, QWidget* parent, int top);
    PositionLights& lightModel();
    PositionLights ownLights_;  // used only while there is no drum tab
};

}  // namespace drums
