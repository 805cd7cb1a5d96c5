#include "drums/pages/drums_grid.h"

#include <QGridLayout>

#include "drums/pages/drum_tab.h"
#include "drums/pages/light_colour.h"

namespace drums {

TDrumsGrid::TDrumsGrid(app::ProgramContext& context) : context_(context) {
    setObjectName("DrumsGrid");
    setWindowTitle("Quintora2");
    resize(800, 600);
    auto* grid = new QGridLayout(this);
    for (int i = 0; i < 32; ++i) {
        auto* light = new app::ColourPanel(QString(), this);
        light->setObjectName(QString("DrumBeat%1").arg(i + 1));
        light->setColour(app::clGreen);
        light->setFixedSize(17, 10);
        DrumBeat[static_cast<std::size_t>(i)] = light;
        grid->addWidget(light, 0, i);
    }
    WhichBar = new QLabel("1", this);
    WhichBar->setObjectName("WhichBar");
    WhichBar->setToolTip("Current Bar");
    grid->addWidget(WhichBar, 1, 0, 1, 4);
    TabDrumBack = new QPushButton("DRUM TABS ", this);
    TabDrumBack->setObjectName("TabDrumBack");
    TabDrumBack->setToolTip("Goto Drum Page");
    connect(TabDrumBack, &QPushButton::clicked, this, [this] { TabDrumBackClick(); });
    grid->addWidget(TabDrumBack, 2, 0, 1, 8);
}

void TDrumsGrid::TabDrumBackClick() {
    context_.state.shell.PageCode = "DT";
    if (context_.pages.DrumTab) context_.pages.DrumTab->show();
    hide();
    if (context_.pages.DrumTab) context_.pages.DrumTab->ResetBeatLights();
}

void TDrumsGrid::ShowLights(const PositionLights& lights) {
    for (std::size_t i = 0; i < DrumBeat.size(); ++i) DrumBeat[i]->setColour(LightColour(lights.DrumBeat[i]));
    WhichBar->setText(QString::fromStdString(lights.GridWhichBar));
}

}  // namespace drums
