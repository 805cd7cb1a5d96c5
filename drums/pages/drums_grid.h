#pragma once
// The drum grid page: here its position lights and bar caption; its grid of cells comes with
// the drum grid editor.

#include <QLabel>
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

    std::array<app::ColourPanel*, 32> DrumBeat{};
    QLabel* WhichBar;

  protected:
    app::ProgramContext& context_;
};

}  // namespace drums
