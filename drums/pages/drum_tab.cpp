#include "drums/pages/drum_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "drums/drum_names.h"
#include "drums/pages/change_drum.h"
#include "drums/pages/drums_grid.h"
#include "drums/pages/light_colour.h"
#include "drums/steps.h"
#include "drums/tab_cells.h"
#include "engine/Plenwick.h"
#include "platform/services.h"
#include "ui/named_button.h"
#include "ui/palette.h"
#include "ui/widgets.h"

namespace drums {

namespace {

constexpr int kNewCellVelocity = 96;

ui::ColourPanel* light(QWidget* parent, const QString& name, const QString& hint = QString()) {
    auto* p = new ui::ColourPanel(QString(), parent);
    p->setObjectName(name);
    p->setToolTip(hint);
    p->setColour(ui::clGreen);
    p->setFixedSize(12, 17);
    return p;
}

QColor ShadeColour(CellShade shade) {
    switch (shade) {
        case CellShade::Hit:
            return ui::clRed;
        case CellShade::Unplayed:
            return ui::clBlue;
        case CellShade::Empty:
            break;
    }
    return ui::clLime;
}

enum class Glyph { Copy, Paste, Clear, Undo };

// The clipboard buttons carry a glyph and no caption: the desktop theme's when it has one,
// else a small drawing of our own.
QIcon glyphIcon(Glyph glyph) {
    static const char* const themeNames[] = {"edit-copy", "edit-paste", "edit-clear", "edit-undo"};
    QIcon themed = QIcon::fromTheme(themeNames[static_cast<int>(glyph)]);
    if (!themed.isNull()) return themed;
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.5));
    switch (glyph) {
        case Glyph::Copy:
            painter.drawRect(1, 1, 7, 8);
            painter.drawRect(5, 4, 7, 8);
            break;
        case Glyph::Paste:
            painter.drawRect(2, 2, 10, 11);
            painter.fillRect(4, 0, 6, 4, Qt::black);
            break;
        case Glyph::Clear:
            painter.drawLine(2, 2, 12, 12);
            painter.drawLine(12, 2, 2, 12);
            break;
        case Glyph::Undo: {
            QPainterPath arc;
            arc.moveTo(3, 6);
            arc.cubicTo(6, 1, 13, 3, 12, 9);
            arc.cubicTo(11, 12, 7, 13, 5, 12);
            painter.drawPath(arc);
            painter.drawLine(3, 6, 3, 2);
            painter.drawLine(3, 6, 7, 6);
            break;
        }
    }
    return QIcon(pixmap);
}

QToolButton* glyphButton(QWidget* parent, const char* name, Glyph glyph, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(glyphIcon(glyph));
    b->setToolTip(hint);
    b->setFixedSize(17, 17);
    return b;
}

ui::ColourPanel* tempoPanel(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* p = new ui::ColourPanel(caption, parent);
    p->setObjectName(name);
    p->setToolTip(hint);
    p->setFixedHeight(17);
    p->setAlignment(Qt::AlignCenter);
    p->setMinimumWidth(std::max(30, p->sizeHint().width()));  // its whole caption
    return p;
}

}  // namespace

TDrumTab::TDrumTab(DrumPagesContext& context, DrumPages& pages)
    : context_(context),
      pages_(pages),
      ops_(context.state.drums, context.wide.shell, context.drums, context.transport, *this),
      clipboard_(context.state.drums, context.drums, context.dialogs) {
    setObjectName("DrumTab");
    setWindowTitle("DrumTab");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    resize(792, 585);
    build();
    DrumTabs->setCurrentIndex(9);  // Accoustic Bass Drum, note 36
    ResetBeatLights();
    context_.navigator.SetPanicShortcut(Qt::Key_Space);
    window_ = platform::services().queue().createWindow(this);

    context_.transport.restNoteButtons = [this] {
        context_.navigator.ResetAccompanimentNoteButtons();
        context_.navigator.ShowAccompanimentBar("0");
    };
    context_.transport.resetBeatLights = [this] { ResetBeatLights(); };

    DrumTabs->onChange = [this] { DrumTabsChange(); };
    DrumTabs->onEnter = [this] { DrumTabsChange(); };
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
    connect(DRUMGRID, &QPushButton::clicked, this, [this] { DRUMGRID1Click(); });
    connect(ComboButton, &QPushButton::clicked, this, [this] { ComboButtonClick(); });
    connect(ChngDrm, &QPushButton::clicked, this, [this] { ChngDrmClick(); });
    connect(MidiExtract, &QPushButton::clicked, this, [this] { MidiExtractClick(); });
    connect(OpenBtn, &QToolButton::clicked, this, [this] { OpenBtnClick(); });
    connect(SaveBtn, &QToolButton::clicked, this, [this] { SaveBtnClick(); });
    connect(COPY, &QToolButton::clicked, this, [this] { COPYClick(); });
    connect(PASTE, &QToolButton::clicked, this, [this] { PASTEClick(); });
    connect(CLEAR, &QToolButton::clicked, this, [this] { CLEARClick(); });
    connect(UNDO, &QToolButton::clicked, this, [this] { UNDOClick(); });
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

    DrumTabs = new MultiLineTabs(std::vector<QString>(DrumNames.begin(), DrumNames.end()), 770, this);
    DrumTabs->setObjectName("DrumTabs");
    column->addWidget(DrumTabs);

    // Eight rows of four beat groups; the bar lights in the gaps after beats 1 and 3, the start,
    // stop and clipboard buttons in the middle gap, the bar sliders at both sides.
    auto* cells = new QGridLayout();
    cells->setSpacing(1);
    constexpr int kLeftLight = 9, kMiddleGap = 18, kRightLight = 27, kRightSlider = 36;
    NumBars1 = ui::Slider(this, "NumBars1", Qt::Vertical, 100, 800, 800, 100, "Number of Bars");
    NumBars2 = ui::Slider(this, "NumBars2", Qt::Vertical, 100, 800, 800, 100, "Number of Bars");
    for (QSlider* s : {NumBars1, NumBars2}) {
        s->setTickInterval(100);
        s->setTickPosition(QSlider::TicksBothSides);
        s->setInvertedAppearance(true);  // bar 1 at the top, as the rows
    }
    cells->addWidget(NumBars1, 0, 0, 8, 1);
    cells->addWidget(NumBars2, 0, kRightSlider, 8, 1);
    DrumStartButton = ui::SpeedButton(this, "DrumStartButton", ">", "Start Drum Sequence");
    DrumStopButton = ui::SpeedButton(this, "DrumStopButton", "[]", "Stop Drum Sequence");
    COPY = glyphButton(this, "COPY", Glyph::Copy, "PLACE 'BARS' SLIDER ON ROW TO COPY");
    PASTE = glyphButton(this, "PASTE", Glyph::Paste, "PLACE 'BARS SLIDER ON ROW TO PASTE");
    CLEAR = glyphButton(this, "CLEAR", Glyph::Clear, "PLACE 'BARS SLIDER ON ROW TO CLEAR");
    UNDO = glyphButton(this, "UNDO", Glyph::Undo, "PLACE 'BARS SLIDER ON ROW TO RESTORE FROM CLEAR");
    int gapRow = 0;
    for (QToolButton* b : {DrumStartButton, DrumStopButton, COPY, PASTE, CLEAR, UNDO}) {
        b->setFixedSize(17, 17);
        cells->addWidget(b, gapRow++, kMiddleGap);
    }
    for (int bar = 1; bar <= kBars; ++bar) {
        const int row = bar - 1;
        for (int position = 1; position <= kBarPositions; ++position) {
            const int n = BarStep(bar, position);
            auto* cell = new ui::ColourPanel(" ", this);
            cell->setObjectName(QString("DrumPanel%1").arg(n));
            cell->setFixedSize(17, 17);
            cell->setColour(ui::clLime);
            cell->onClick = [this, n] { DrumPanelClick(n); };
            DrumPanel[static_cast<std::size_t>(n)] = cell;
            const int group = (position - 1) / 8;  // one gap column after each group of eight
            cells->addWidget(cell, row, position + group);
        }
        tempo[static_cast<std::size_t>(row)] = light(this, QString("tempo%1").arg(bar));
        tempoA[static_cast<std::size_t>(row)] = light(this, QString("tempo%1a").arg(bar));
        cells->addWidget(tempo[static_cast<std::size_t>(row)], row, kLeftLight);
        cells->addWidget(tempoA[static_cast<std::size_t>(row)], row, kRightLight);
    }
    column->addLayout(cells);

    // Every panel of the tempo row resends the tempo when clicked.
    auto* beats = new QHBoxLayout();
    BeatOne = light(this, "BeatOne", "Tempo");
    BeatTwo = light(this, "BeatTwo", "Tempo");
    BeatThree = light(this, "BeatThree", "Tempo");
    BeatFour = light(this, "BeatFour", "Tempo");
    for (ui::ColourPanel* b : {BeatOne, BeatTwo, BeatThree, BeatFour}) {
        b->setFixedSize(40, 17);
        beats->addWidget(b);
    }
    BarPanel = tempoPanel(this, "BarPanel", "BAR", "Number of Bars used");
    BarNum = tempoPanel(this, "BarNum", "8", "Total of Bars Used");
    Volume = tempoPanel(this, "Volume", "TEMPO", "Tempo");
    beats->addWidget(BarPanel);
    beats->addWidget(BarNum);
    beats->addWidget(Volume);
    TempoBar = ui::Slider(this, "TempoBar", Qt::Horizontal, 20, 250, 120, 20, "Set Tempo");
    beats->addWidget(TempoBar, 1);
    TempoPanel = tempoPanel(this, "TempoPanel", "120", "Tempo");
    beats->addWidget(TempoPanel);
    for (ui::ColourPanel* p : {BeatOne, BeatTwo, BeatThree, BeatFour, BarPanel, BarNum, Volume, TempoPanel})
        p->onClick = [this] { TempoBarChange(); };
    column->addLayout(beats);

    auto* controls = new QHBoxLayout();
    TimeSignature = ui::NamedButton(this, "TimeSignature", "4 TIME", "Time Signature");
    Quantise = ui::NamedButton(this, "Quantise", "QUANTISE ON  ", "Strict Tempo or not");
    auto* volumeLabel = new QLabel("VOLUME ", this);
    volumeLabel->setObjectName("Panel33");
    volumeLabel->setToolTip("Loudness");
    VolumeBar1 = ui::Slider(this, "VolumeBar1", Qt::Horizontal, 0, 127, 95, 20, "Volume Control per Beat");
    VolumePanel = new QLabel("75 ", this);
    VolumePanel->setObjectName("VolumePanel");
    VolumePanel->setToolTip("Volume %");
    auto* panLabel = new QLabel("Pan", this);
    panLabel->setObjectName("Pan");
    panLabel->setToolTip("Position");
    PanBar = ui::Slider(this, "PanBar", Qt::Horizontal, 0, 127, 64, 5, "Instrument position");
    for (QWidget* w : std::initializer_list<QWidget*>{TimeSignature, Quantise, volumeLabel, VolumeBar1,
                                                      VolumePanel, panLabel, PanBar})
        controls->addWidget(w);
    column->addLayout(controls);

    auto* buttons = new QHBoxLayout();
    NewDrums = ui::NamedButton(this, "NewDrums", "NEW ", "Clear Drums");
    DRUMGRID = ui::NamedButton(this, "DRUMGRID", "DRUMGRID ", "Drum Matrix");
    ChngDrm = ui::NamedButton(this, "ChngDrm", "DRUM LIST", "Change Drum");
    MidiExtract = ui::NamedButton(this, "MidiExtract", "Midi ", "Extract from MIDI file.");
    ComboButton = ui::NamedButton(this, "ComboButton", "COMBO ", "Go to Accompaniment Page");
    MainScreenBtn = ui::NamedButton(this, "MainScreenBtn", "SETUP ", "Return to Main Screen");
    OpenBtn = ui::SpeedButton(this, "OpenBtn", "OPEN FILE ", "Load a TARN file");
    SaveBtn = ui::SpeedButton(this, "SaveBtn", "SAVE FILE ", "Save  a QTR file");
    BitBtn1 = ui::NamedButton(this, "BitBtn1", "NEW ", "Clear Drums");
    buttons->addWidget(NewDrums);
    buttons->addStretch();
    for (QWidget* w : std::initializer_list<QWidget*>{DRUMGRID, ChngDrm, MidiExtract, ComboButton,
                                                      MainScreenBtn, OpenBtn, SaveBtn})
        buttons->addWidget(w);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    column->addLayout(buttons);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    column->addWidget(StatusBar1);
    MainScreenBtn->setFocus();
}

void TDrumTab::DrumPanelClick(int n) {
    DrumState& d = context_.state.drums;
    if (d.EditEnabled == 1) {
        d.Modified = 1;
        context_.drums.ToggleDrumCell(n, DrumTabs->currentIndex(), VolumeBar1->value());
    }
    DrumPanel[static_cast<std::size_t>(n)]->setColour(ShadeColour(DrumTabCellShade(d, n)));
}

void TDrumTab::DrumTabsChange() {
    DrumState& d = context_.state.drums;
    const std::int32_t kept = d.EditStep;
    d.EditEnabled = 0;
    const int tab = DrumTabs->currentIndex();
    PanBar->setValue(d.DrumPans[static_cast<std::size_t>(tab)]);
    VolumeBar1->setValue(kNewCellVelocity);
    d.EditDrum = tab;
    for (int n = 1; n <= kSteps; ++n) {
        d.EditStep = n % kSteps;
        DrumPanelClick(n % kSteps);
    }
    d.EditEnabled = 1;
    d.EditStep = kept;
}

void TDrumTab::SelectDrumTab(int tab) {
    DrumTabs->setCurrentIndex(tab >= 0 && tab < DrumTabs->count() ? tab : 0);
    DrumTabsChange();
}

void TDrumTab::NewDrumsClick() {
    ops_.NewDrums();
}

bool TDrumTab::offerSave() {
    return context_.save.Offer(this);
}

void TDrumTab::MainScreenBtnClick() {
    ops_.LeaveForSetup();
    context_.navigator.ShowSetupPage();
    hide();
    context_.navigator.ShowPlayerPage();
    ResetBeatLights();
}

void TDrumTab::DRUMGRID1Click() {
    // Playing goes on while the grid is shown.
    context_.wide.shell.PageCode = "DG";
    if (pages_.DrumsGrid) {
        pages_.DrumsGrid->RebuildGridRows();
        pages_.DrumsGrid->show();
    }
    hide();
}

void TDrumTab::ComboButtonClick() {
    DrumStopButtonClick();
    context_.wide.shell.PageCode = "DT";
    context_.navigator.ShowAccompanimentPage();
    hide();
}

void TDrumTab::ChngDrmClick() {
    // One dialog, made on first use and reset as a fresh one on every open.
    if (!pages_.ChangeDrum) pages_.ChangeDrum = new TChangeDrum(context_, pages_, this);
    TChangeDrum* dialog = pages_.ChangeDrum;
    dialog->Reset();
    if (dialog->DrumChange->currentIndex() < 0) dialog->DrumChange->setCurrentIndex(1);
    context_.wide.shell.PageCode = "DT";
    dialog->show();
}

void TDrumTab::MidiExtractClick() {
    DrumStopButtonClick();
    context_.navigator.OpenImport();
}

void TDrumTab::OpenBtnClick() {
    DrumStopButtonClick();
    if (context_.navigator.OpenArrangement()) context_.state.drums.Modified = 0;
}

void TDrumTab::SaveBtnClick() {
    DrumStopButtonClick();
    if (context_.navigator.SaveArrangement()) context_.state.drums.Modified = 0;
}

void TDrumTab::COPYClick() {
    DrumStopButtonClick();
    clipboard_.Copy();
}

void TDrumTab::PASTEClick() {
    DrumStopButtonClick();
    if (clipboard_.Paste()) DrumTabsChange();
}

void TDrumTab::CLEARClick() {
    DrumStopButtonClick();
    if (clipboard_.Clear()) DrumTabsChange();
}

void TDrumTab::UNDOClick() {
    DrumStopButtonClick();
    if (clipboard_.Undo()) DrumTabsChange();
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
    ops_.ToggleTimeSignature();
    showTimeSignature();
}

void TDrumTab::ReapplyTimeSignature() {
    ops_.ReapplyTimeSignature();
    showTimeSignature();
}

void TDrumTab::showTimeSignature() {
    TimeSignature->setText(Transport::MeterCaption(context_.state.drums.MeterSign));
    BeatFour->setColour(LightColour(ops_.lights.Beat[3]));
    DrumTabsChange();
    context_.navigator.RefreshAccompanimentPage();
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
    drums::ShowDrumPosition(ops_.lights, step, context_.state.drums.MeterSign,
                            context_.state.grid.GridBarOffset);
    paintLights();
}

void TDrumTab::ResetBeatLights() {
    drums::ResetBeatLights(ops_.lights, context_.state.drums.MeterSign);
    // The four beat lights only: the bar lights and both bar captions keep the last position
    // until the first step of the next run repaints them.
    const std::array<ui::ColourPanel*, 4> beats = {BeatOne, BeatTwo, BeatThree, BeatFour};
    for (std::size_t i = 0; i < 4; ++i) beats[i]->setColour(LightColour(ops_.lights.Beat[i]));
}

void TDrumTab::paintLights() {
    const std::array<ui::ColourPanel*, 4> beats = {BeatOne, BeatTwo, BeatThree, BeatFour};
    for (std::size_t i = 0; i < 4; ++i) beats[i]->setColour(LightColour(ops_.lights.Beat[i]));
    for (std::size_t i = 0; i < 8; ++i) {
        tempo[i]->setColour(LightColour(ops_.lights.Tempo[i]));
        tempoA[i]->setColour(LightColour(ops_.lights.TempoA[i]));
    }
    if (pages_.DrumsGrid) pages_.DrumsGrid->ShowLights(ops_.lights);
    context_.navigator.ShowAccompanimentBar(QString::fromStdString(ops_.lights.OrchestraWhichBar));
}

}  // namespace drums
