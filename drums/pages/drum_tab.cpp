#include "drums/pages/drum_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/pages/later_pages.h"
#include "app/pages/quintora_form.h"
#include "drums/drum_names.h"
#include "drums/pages/drums_grid.h"
#include "drums/pages/light_colour.h"
#include "engine/Plenwick.h"
#include "platform/services.h"

namespace drums {

namespace {

constexpr int kNewCellVelocity = 96;

// The step a cell stands for: bar b, position p; the last cell of bar 8 is step 0.
int stepOf(int bar, int position) {
    return bar == 8 && position == 32 ? 0 : 32 * (bar - 1) + position;
}
int positionOf(int step) {
    return step == 0 ? 32 : (step - 1) % 32 + 1;
}

app::ColourPanel* light(QWidget* parent, const QString& name, const QString& hint = QString()) {
    auto* p = new app::ColourPanel(QString(), parent);
    p->setObjectName(name);
    p->setToolTip(hint);
    p->setColour(app::clGreen);
    p->setFixedSize(12, 17);
    return p;
}

QSlider* slider(QWidget* parent, const char* name, Qt::Orientation o, int min, int max, int value, int page,
                const char* hint) {
    auto* s = new QSlider(o, parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setValue(value);
    s->setPageStep(page);
    s->setToolTip(hint);
    return s;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

}  // namespace

TDrumTab::TDrumTab(app::ProgramContext& context) : context_(context) {
    setObjectName("DrumTab");
    setWindowTitle("DrumTab");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    resize(792, 585);
    build();
    DrumTabs->setCurrentIndex(9);  // Accoustic Bass Drum, note 36
    ResetBeatLights();
    window_ = platform::services().queue().createWindow(this);

    context_.transport.restNoteButtons = [this] {
        if (context_.pages.OrchestraForm) {
            context_.pages.OrchestraForm->ResetNoteButtonColours();
            context_.pages.OrchestraForm->WhichBar->setText("0");
        }
    };
    context_.transport.resetBeatLights = [this] { ResetBeatLights(); };

    connect(DrumTabs, &QTabBar::currentChanged, this, [this] { DrumTabsChange(); });
    connect(VolumeBar1, &QSlider::valueChanged, this, [this] { VolumeBar1Change(); });
    connect(PanBar, &QSlider::valueChanged, this, [this] { PanBarChange(); });
    connect(TempoBar, &QSlider::valueChanged, this, [this] { TempoBarChange(); });
    connect(NumBars1, &QSlider::valueChanged, this, [this] { NumBars1Change(); });
    connect(NumBars2, &QSlider::valueChanged, this, [this] { NumBars2Change(); });
    connect(DrumStartButton, &QToolButton::clicked, this, [this] { DrumStartButtonClick(); });
    connect(DrumStopButton, &QToolButton::clicked, this, [this] { DrumStopButtonClick(); });
    connect(TimeSignature, &QPushButton::clicked, this, [this] { TimeSignatureClick(); });
    connect(Quantise, &QPushButton::clicked, this, [this] { QuantiseClick(); });
    connect(NewDrums, &QPushButton::clicked, this, [this] { NewDrumsClick(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { NewDrumsClick(); });
    connect(MainScreenBtn, &QPushButton::clicked, this, [this] { MainScreenBtnClick(); });
}

TDrumTab::~TDrumTab() {
    // Steps the engine posts from now on are dropped.
    platform::services().queue().destroyWindow(window_);
    context_.transport.restNoteButtons = nullptr;
    context_.transport.resetBeatLights = nullptr;
}

void TDrumTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    DrumTabsChange();
}

void TDrumTab::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    DrumTabsChange();
}

void TDrumTab::build() {
    auto* column = new QVBoxLayout(this);
    auto* title = new QLabel("DRUM TABULATION", this);
    title->setObjectName("TabDrumPanel");
    column->addWidget(title);

    DrumTabs = new QTabBar(this);
    DrumTabs->setObjectName("DrumTabs");
    DrumTabs->setUsesScrollButtons(true);
    for (const char* name : DrumNames) DrumTabs->addTab(name);
    column->addWidget(DrumTabs);

    // Eight rows of four beat groups; bar lights after beats 1 and 3, the start and stop
    // buttons in the middle gap, the bar sliders at both sides.
    auto* cells = new QGridLayout();
    cells->setSpacing(1);
    NumBars1 = slider(this, "NumBars1", Qt::Vertical, 100, 800, 800, 100, "Number of Bars");
    NumBars2 = slider(this, "NumBars2", Qt::Vertical, 100, 800, 800, 100, "Number of Bars");
    for (QSlider* s : {NumBars1, NumBars2}) {
        s->setTickInterval(100);
        s->setTickPosition(QSlider::TicksBothSides);
        s->setInvertedAppearance(true);  // bar 1 at the top, as the rows
    }
    cells->addWidget(NumBars1, 0, 0, 8, 1);
    cells->addWidget(NumBars2, 0, 38, 8, 1);
    DrumStartButton = new QToolButton(this);
    DrumStartButton->setObjectName("DrumStartButton");
    DrumStartButton->setText(">");
    DrumStartButton->setToolTip("Start Drum Sequence");
    DrumStopButton = new QToolButton(this);
    DrumStopButton->setObjectName("DrumStopButton");
    DrumStopButton->setText("[]");
    DrumStopButton->setToolTip("Stop Drum Sequence");
    cells->addWidget(DrumStartButton, 0, 19);
    cells->addWidget(DrumStopButton, 1, 19);
    for (int bar = 1; bar <= 8; ++bar) {
        const int row = bar - 1;
        for (int position = 1; position <= 32; ++position) {
            const int n = stepOf(bar, position);
            auto* cell = new app::ColourPanel(" ", this);
            cell->setObjectName(QString("DrumPanel%1").arg(n));
            cell->setFixedSize(17, 17);
            cell->setColour(app::clLime);
            cell->onClick = [this, n] { DrumPanelClick(n); };
            DrumPanel[static_cast<std::size_t>(n)] = cell;
            const int group = (position - 1) / 8;
            cells->addWidget(cell, row, 1 + group * 9 + (group >= 2 ? 1 : 0) + (position - 1) % 8);
        }
        tempo[static_cast<std::size_t>(row)] = light(this, QString("tempo%1").arg(bar));
        tempoA[static_cast<std::size_t>(row)] = light(this, QString("tempo%1a").arg(bar));
        cells->addWidget(tempo[static_cast<std::size_t>(row)], row, 9);
        cells->addWidget(tempoA[static_cast<std::size_t>(row)], row, 29);
    }
    column->addLayout(cells);

    auto* beats = new QHBoxLayout();
    BeatOne = light(this, "BeatOne", "Tempo");
    BeatTwo = light(this, "BeatTwo", "Tempo");
    BeatThree = light(this, "BeatThree", "Tempo");
    BeatFour = light(this, "BeatFour", "Tempo");
    for (app::ColourPanel* b : {BeatOne, BeatTwo, BeatThree, BeatFour}) {
        b->setFixedSize(40, 17);
        b->onClick = [this] { TempoBarChange(); };
        beats->addWidget(b);
    }
    BarNum = new app::ColourPanel("8", this);
    BarNum->setObjectName("BarNum");
    BarNum->setToolTip("Total of Bars Used");
    BarNum->onClick = [this] { TempoBarChange(); };
    beats->addWidget(BarNum);
    TempoBar = slider(this, "TempoBar", Qt::Horizontal, 20, 250, 120, 20, "Set Tempo");
    beats->addWidget(TempoBar, 1);
    TempoPanel = new app::ColourPanel("120", this);
    TempoPanel->setObjectName("TempoPanel");
    TempoPanel->setToolTip("Tempo");
    TempoPanel->onClick = [this] { TempoBarChange(); };
    beats->addWidget(TempoPanel);
    column->addLayout(beats);

    auto* controls = new QHBoxLayout();
    TimeSignature = button(this, "TimeSignature", "4 TIME", "Time Signature");
    Quantise = button(this, "Quantise", "QUANTISE ON  ", "Strict Tempo or not");
    auto* volumeLabel = new QLabel("VOLUME ", this);
    volumeLabel->setObjectName("Panel33");
    volumeLabel->setToolTip("Loudness");
    VolumeBar1 = slider(this, "VolumeBar1", Qt::Horizontal, 0, 127, 95, 20, "Volume Control per Beat");
    VolumePanel = new QLabel("75 ", this);
    VolumePanel->setObjectName("VolumePanel");
    VolumePanel->setToolTip("Volume %");
    auto* panLabel = new QLabel("Pan", this);
    panLabel->setObjectName("Pan");
    panLabel->setToolTip("Position");
    PanBar = slider(this, "PanBar", Qt::Horizontal, 0, 127, 64, 5, "Instrument position");
    for (QWidget* w : std::initializer_list<QWidget*>{TimeSignature, Quantise, volumeLabel, VolumeBar1,
                                                      VolumePanel, panLabel, PanBar})
        controls->addWidget(w);
    column->addLayout(controls);

    auto* buttons = new QHBoxLayout();
    NewDrums = button(this, "NewDrums", "NEW ", "Clear Drums");
    MainScreenBtn = button(this, "MainScreenBtn", "SETUP ", "Return to Main Screen");
    BitBtn1 = button(this, "BitBtn1", "NEW ", "Clear Drums");
    buttons->addWidget(NewDrums);
    buttons->addStretch();
    buttons->addWidget(MainScreenBtn);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    column->addLayout(buttons);
    MainScreenBtn->setFocus();
}

void TDrumTab::DrumPanelClick(int n) {
    DrumState& d = context_.state.drums;
    if (d.EditEnabled == 1) {
        d.Modified = 1;
        context_.drums.ToggleDrumCell(n, DrumTabs->currentIndex(), VolumeBar1->value());
    }
    // The colour comes from the edit position: the cell just toggled, or the one being repainted.
    QColor colour =
        d.DrumPattern[static_cast<std::size_t>(d.EditStep)][static_cast<std::size_t>(d.EditDrum)] != 0
            ? app::clRed
            : app::clLime;
    if (positionOf(n) >= 25 && d.MeterSign == 1) colour = app::clBlue;
    DrumPanel[static_cast<std::size_t>(n)]->setColour(colour);
}

void TDrumTab::DrumTabsChange() {
    DrumState& d = context_.state.drums;
    const std::int32_t kept = d.EditStep;
    d.EditEnabled = 0;
    const int tab = DrumTabs->currentIndex();
    PanBar->setValue(d.DrumPans[static_cast<std::size_t>(tab)]);
    VolumeBar1->setValue(kNewCellVelocity);
    d.EditDrum = tab;
    for (int n = 1; n <= 256; ++n) {
        d.EditStep = n % 256;
        DrumPanelClick(n % 256);
    }
    d.EditEnabled = 1;
    d.EditStep = kept;
}

void TDrumTab::NewDrumsClick() {
    DrumStopButtonClick();
    // Yes with nothing saved: the arrangement is kept as it is.
    if (!context_.save.Offer(this)) return;
    context_.drums.ClearPattern();
    context_.state.drums.Bars = 8;
    ApplyBars();
    context_.drums.ClearEngineDrums();
    DrumTabsChange();
    context_.drums.ParkEngineCell();
    context_.state.drums.Modified = 0;
}

void TDrumTab::MainScreenBtnClick() {
    DrumStopButtonClick();
    context_.state.shell.PageCode = "DT";
    for (int i = 0; i < 3; ++i) context_.drums.StopAndPanic();
    if (context_.pages.QuintoraForm) context_.pages.QuintoraForm->show();
    hide();
    if (context_.pages.MidiForm) context_.pages.MidiForm->show();
    ResetBeatLights();
}

void TDrumTab::DrumStartButtonClick() {
    context_.transport.Start(window_);
}

void TDrumTab::DrumStopButtonClick() {
    context_.transport.Stop();
}

void TDrumTab::TempoBarChange() {
    const int t = TempoBar->value();
    context_.transport.SetTempo(t);
    TempoPanel->setText(QString::number(t));
}

void TDrumTab::NumBars1Change() {
    const int position = NumBars1->value();
    NumBars2->setValue(position);  // runs NumBars2Change once when it moves
    BarNum->setText(QString::number(position / 100));
    context_.transport.SetBars(position);
}

void TDrumTab::NumBars2Change() {
    const int position = NumBars2->value();
    NumBars1->setValue(position);
    BarNum->setText(QString::number(position / 100));
    context_.transport.SetBars(position);
}

void TDrumTab::ApplyBars() {
    NumBars1->setValue(context_.state.drums.Bars * 100);
    NumBars1Change();  // the engine and BarNum are told even when the slider did not move
}

void TDrumTab::TimeSignatureClick() {
    DrumStopButtonClick();
    context_.transport.ToggleMeter();
    const std::int8_t meter = context_.state.drums.MeterSign;
    TimeSignature->setText(Transport::MeterCaption(meter));
    lights_.Beat[3] = meter == 1 ? Light::Blue : Light::Green;
    BeatFour->setColour(LightColour(lights_.Beat[3]));
    DrumTabsChange();
    if (context_.pages.OrchestraForm) context_.pages.OrchestraForm->RefreshOrchestraForm();
}

void TDrumTab::ReapplyTimeSignature() {
    context_.state.drums.MeterSign = static_cast<std::int8_t>(-context_.state.drums.MeterSign);
    TimeSignatureClick();
}

void TDrumTab::QuantiseClick() {
    Quantise->setText(QString::fromStdString(context_.transport.ToggleQuantise()));
}

void TDrumTab::PanBarChange() {
    context_.transport.SetDrumPan(DrumTabs->currentIndex(), PanBar->value());
}

void TDrumTab::VolumeBar1Change() {
    VolumePanel->setText(QString::number(VolumeBar1->value() * 100 / 127));
}

void TDrumTab::windowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t) {
    if (msg == WM_DRUMSTEP) WMDrumStep(wParam);
}

void TDrumTab::WMDrumStep(std::uintptr_t step) {
    const int s = step > 0xFFFF ? 0xFFFF : static_cast<int>(step);
    ShowDrumPosition(s);
    StepAccompaniment(s);
}

void TDrumTab::StepAccompaniment(int step) {
    if (stepAccompaniment) stepAccompaniment(step);
}

void TDrumTab::ShowDrumPosition(int step) {
    drums::ShowDrumPosition(lights_, step, context_.state.drums.MeterSign, context_.state.grid.GridBarOffset);
    paintLights();
}

void TDrumTab::ResetBeatLights() {
    drums::ResetBeatLights(lights_, context_.state.drums.MeterSign);
    // The four beat lights only: the bar lights and both bar captions keep the last position
    // until the first step of the next run repaints them.
    const std::array<app::ColourPanel*, 4> beats = {BeatOne, BeatTwo, BeatThree, BeatFour};
    for (std::size_t i = 0; i < 4; ++i) beats[i]->setColour(LightColour(lights_.Beat[i]));
}

void TDrumTab::paintLights() {
    const std::array<app::ColourPanel*, 4> beats = {BeatOne, BeatTwo, BeatThree, BeatFour};
    for (std::size_t i = 0; i < 4; ++i) beats[i]->setColour(LightColour(lights_.Beat[i]));
    for (std::size_t i = 0; i < 8; ++i) {
        tempo[i]->setColour(LightColour(lights_.Tempo[i]));
        tempoA[i]->setColour(LightColour(lights_.TempoA[i]));
    }
    if (context_.pages.DrumsGrid) context_.pages.DrumsGrid->ShowLights(lights_);
    if (context_.pages.OrchestraForm)
        context_.pages.OrchestraForm->WhichBar->setText(QString::fromStdString(lights_.OrchestraWhichBar));
}

}  // namespace drums
