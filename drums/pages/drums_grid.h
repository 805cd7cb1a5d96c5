#pragma once
// The drum grid page: here its position lights, bar caption and the way back to the drum tab;
// its grid of cells comes with the drum grid editor.

#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "app/pages/colour_panel.h"
#include "app/pages/pages.h"
#include "drums/position_lights.h"

namespace drums {

class TDrumsGrid : public QWidget {
  public:
    explicit TDrumsGrid(app::ProgramContext& context);
    // Paints DrumBeat1..DrumBeat32 and WhichBar from the lights.
    void ShowLights(const PositionLights& lights);
    // Gives each drum the pattern uses a row; the rows come with the grid editor.
    void RebuildGridRows() {}
    // DRUM TABS: back to the drum tab.
    void TabDrumBackClick();

    std::array<app::ColourPanel*, 32> DrumBeat{};
    QLabel* WhichBar;
    QPushButton* TabDrumBack;

  protected:
    app::ProgramContext& context_;
};

}  // namespace drums
