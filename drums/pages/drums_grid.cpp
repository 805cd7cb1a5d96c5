#include "drums/pages/drums_grid.h"

#include <QFont>
#include <QHideEvent>
#include <QShowEvent>
#include <algorithm>

#include "drums/pages/drum_tab.h"
#include "drums/pages/light_colour.h"
#include "ui/named_button.h"
#include "ui/palette.h"

namespace drums {

namespace {

constexpr int kNewCellVelocity = 96;
constexpr int kCell = 18;
constexpr int kCaptionLeft = 8;
constexpr int kCaptionWidth = 121;
constexpr int kLightsTop = 40;
constexpr int kFirstRowTop = 64;
constexpr int kRowPitch = 24;

// Columns in four groups of eight with a separator between groups.
int columnX(int column) {
    return 135 + (column - 1) * (kCell + 1) + ((column - 1) / 8) * 7;
}

ui::ColourPanel* panel(QWidget* parent, const QString& name, const QString& caption, const QColor& colour,
                       const QRect& geometry, const QString& hint = QString()) {
    auto* p = new ui::ColourPanel(caption, parent);
    p->setObjectName(name);
    p->setColour(colour);
    p->setGeometry(geometry);
    p->setToolTip(hint);
    return p;
}

// The three blue separators of a row of 32, between columns 8/9, 16/17 and 24/25.
void separators(QWidget* parent, int top, const QString& firstName, int firstNumber,
                ui::ColourPanel** out = nullptr) {
    for (int g = 1; g <= 3; ++g) {
        const QString name =
            firstName.isEmpty() ? QString() : QString("%1%2").arg(firstName).arg(firstNumber + g - 1);
        auto* p =
            panel(parent, name, QString(), ui::clBlue, QRect(columnX(8 * g) + kCell + 1, top, 6, kCell));
        p->setFrameStyle(QFrame::NoFrame);
        if (out) out[g - 1] = p;
    }
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const char* hint,
                    const QRect& r) {
    auto* b = ui::NamedButton(parent, name, caption, hint);
    b->setGeometry(r);
    return b;
}

QColor ShadeColour(CellShade shade) {
    return shade == CellShade::Hit ? ui::clRed : ui::clLime;
}

QString RowLetterName(int row, int column) {
    // Row 1 is DrumPanel1..32; rows 2..12 are DrumPanelA1..DrumPanelK32.
    if (row == 0) return QString("DrumPanel%1").arg(column);
    return QString("DrumPanel%1%2").arg(QChar('A' + row - 1)).arg(column);
}

}  // namespace

TDrumsGrid::TDrumsGrid(DrumPagesContext& context, DrumPages& pages) : context_(context), pages_(pages) {
    setObjectName("DrumsGrid");
    setWindowTitle("DrumsGrid");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    resize(792, 585);
    build();
    context_.navigator.SetPanicShortcut(QKeySequence(Qt::Key_Space));
    context_.navigator.SetHelpShortcut(QKeySequence(Qt::Key_F1));
    BarNum->setText("1");

    connect(VolumeBar2, &QSlider::valueChanged, this, [this] { VolumeBar2Change(); });
    connect(CSpinButton1Up, &QToolButton::clicked, this, [this] { CSpinButton1UpClick(); });
    connect(CSpinButton1Down, &QToolButton::clicked, this, [this] { CSpinButton1DownClick(); });
    connect(MainScreenBtn, &QPushButton::clicked, this, [this] { MainScreenBtnClick(); });
    connect(ComboButton6, &QPushButton::clicked, this, [this] { ComboButton6Click(); });
    connect(TabDrumBack, &QPushButton::clicked, this, [this] { TabDrumBackClick(); });
    DrumGridPanel->onClick = [this] { FormCreate(); };
    DrumGridPanel->installEventFilter(this);
    FormCreate();
}

void TDrumsGrid::build() {
    // The background lettering goes first so that everything else lies above it.
    QFont lettering = font();
    lettering.setPointSize(72);
    lettering.setBold(true);
    MidiLabel1 = new QLabel(" MIDI ", this);
    MidiLabel2 = new QLabel(" TARN ", this);
    MidiLabel1->setObjectName("MidiLabel1");
    MidiLabel2->setObjectName("MidiLabel2");
    MidiLabel1->setGeometry(40, 390, 340, 130);
    MidiLabel2->setGeometry(420, 390, 340, 130);
    // As large as the wider word lets both be within its place.
    while (lettering.pointSize() > 8 &&
           std::max(QFontMetrics(lettering).horizontalAdvance(MidiLabel1->text()),
                    QFontMetrics(lettering).horizontalAdvance(MidiLabel2->text())) > MidiLabel2->width())
        lettering.setPointSize(lettering.pointSize() - 2);
    for (QLabel* l : {MidiLabel1, MidiLabel2}) {
        l->setFont(lettering);
        l->setStyleSheet("color: rgb(210, 210, 210); background: transparent;");
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    DrumGridPanel = panel(this, "DrumGridPanel", "DRUM GRID ", ui::clSilver, QRect(0, 0, 792, 26));
    DrumGridPanel->setFocusPolicy(Qt::StrongFocus);

    Panel67 = new QLabel("Rozad Ezididazi", this);
    Panel67->setObjectName("Panel67");
    Panel67->setGeometry(kCaptionLeft, kLightsTop, kCaptionWidth, kCell);
    for (int c = 1; c <= kGridColumns; ++c)
        DrumBeat[static_cast<std::size_t>(c - 1)] =
            panel(this, QString("DrumBeat%1").arg(c), QString(), ui::clGreen,
                  QRect(columnX(c), kLightsTop, kCell, kCell));
    separators(this, kLightsTop, "DrumBreak", 1, DrumBreak.data());
    separators(this, kFirstRowTop, "DrumBreak", 4, DrumBreak.data() + 3);

    buildRow(0, this, kFirstRowTop);
    for (int row = 1; row < kGridRows; ++row) {
        auto* container = new QWidget(this);
        container->setObjectName(QString("TypePanel%1").arg(row + 1));
        container->setGeometry(0, kFirstRowTop + row * kRowPitch, 792, kCell);
        TypePanel[static_cast<std::size_t>(row)] = container;
        buildRow(row, container, 0);
        separators(container, 0, QString(), 0);
        container->hide();
    }

    constexpr int controlsTop = kFirstRowTop + kGridRows * kRowPitch + 14;
    BarPanel =
        panel(this, "BarPanel", "BAR", ui::clSilver, QRect(135, controlsTop, 40, 22), "Number of Bars used");
    BarNum = panel(this, "BarNum", "1", ui::clSilver, QRect(177, controlsTop, 30, 22), "Total of Bars Used");
    CSpinButton1 = new QWidget(this);
    CSpinButton1->setObjectName("CSpinButton1");
    CSpinButton1->setGeometry(209, controlsTop - 4, 18, 30);
    CSpinButton1Up = new QToolButton(CSpinButton1);
    CSpinButton1Down = new QToolButton(CSpinButton1);
    CSpinButton1Up->setObjectName("CSpinButton1Up");
    CSpinButton1Down->setObjectName("CSpinButton1Down");
    CSpinButton1Up->setArrowType(Qt::UpArrow);
    CSpinButton1Down->setArrowType(Qt::DownArrow);
    CSpinButton1Up->setGeometry(0, 0, 18, 15);
    CSpinButton1Down->setGeometry(0, 15, 18, 15);
    WhichBar = panel(this, "WhichBar", "1", ui::clSilver, QRect(260, controlsTop, 30, 22), "Current Bar");

    VolumeBar2 = new QSlider(Qt::Horizontal, this);
    VolumeBar2->setObjectName("VolumeBar2");
    VolumeBar2->setRange(0, 127);
    VolumeBar2->setPageStep(20);
    VolumeBar2->setValue(95);
    VolumeBar2->setToolTip("Volume Control per Beat");
    VolumeBar2->setGeometry(400, controlsTop, 260, 24);
    VolumePanel = panel(this, "VolumePanel", "75", ui::clSilver, QRect(670, controlsTop, 40, 22), "Volume %");

    constexpr int buttonsTop = 540;
    MainScreenBtn =
        button(this, "MainScreenBtn", "SETUP ", "Return to Main Screen", QRect(135, buttonsTop, 110, 28));
    ComboButton6 =
        button(this, "ComboButton6", " COMBO ", "Go to Accompaniment Page", QRect(300, buttonsTop, 110, 28));
    TabDrumBack =
        button(this, "TabDrumBack", "DRUM TABS ", "Goto Drum Page", QRect(465, buttonsTop, 110, 28));
}

void TDrumsGrid::buildRow(int row, QWidget* parent, int top) {
    // Design captions: the letter of the row's cells; row 1 until a rebuild names a drum.
    const QString caption = row == 0 ? QString("NONE") : QString(QChar('A' + row - 1));
    auto* type = panel(parent, QString("DrumType%1").arg(row + 1), caption, ui::clSilver,
                       QRect(kCaptionLeft, top, kCaptionWidth, kCell));
    QFont small = type->font();  // the longest drum names fit the caption's width
    small.setPointSizeF(small.pointSizeF() * 0.9);
    type->setFont(small);
    type->onClick = [this, row] { DrumTypeClick(row + 1); };
    DrumType[static_cast<std::size_t>(row)] = type;
    for (int c = 1; c <= kGridColumns; ++c) {
        auto* cell =
            panel(parent, RowLetterName(row, c), QString(), ui::clLime, QRect(columnX(c), top, kCell, kCell));
        cell->onClick = [this, row, c] { DrumPanelClick(row, c); };
        DrumPanel[static_cast<std::size_t>(row)][static_cast<std::size_t>(c - 1)] = cell;
    }
}

void TDrumsGrid::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormCreate();
}

void TDrumsGrid::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    FormCreate();
}

void TDrumsGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormCreate();
}

bool TDrumsGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DrumGridPanel && event->type() == QEvent::FocusIn) FormCreate();
    return QWidget::eventFilter(watched, event);
}

void TDrumsGrid::DrumPanelClick(int row, int column) {
    DrumState& d = context_.state.drums;
    DrumGridState& g = context_.state.grid;
    const int step = GridStep(g.GridBarOffset, column);
    const int drum = g.GridRowDrum[static_cast<std::size_t>(row)];
    if (d.EditEnabled == 1) context_.drums.ToggleDrumCell(step, drum, VolumeBar2->value());
    DrumPanel[static_cast<std::size_t>(row)][static_cast<std::size_t>(column - 1)]->setColour(
        ShadeColour(GridCellShade(d, step, drum)));
}

void TDrumsGrid::FormCreate() {
    DrumState& d = context_.state.drums;
    d.EditEnabled = 0;
    VolumeBar2->setValue(kNewCellVelocity);
    VolumeBar2Change();
    BarNum->setText(QString::number(GridBarNumber(context_.state.grid.GridBarOffset)));
    for (int row = 0; row < kGridRows; ++row)
        for (int c = 1; c <= kGridColumns; ++c) DrumPanelClick(row, c);
    PositionLights& lights = lightModel();
    RestGridLights(lights, d.MeterSign);
    for (std::size_t i = 0; i < DrumBeat.size(); ++i) DrumBeat[i]->setColour(LightColour(lights.DrumBeat[i]));
    // In waltz the last beat is not played: its cells show so whatever they hold, until clicked.
    for (int c = 1; c <= kGridColumns; ++c)
        if (GridColumnUnplayed(d.MeterSign, c))
            for (auto& row : DrumPanel) row[static_cast<std::size_t>(c - 1)]->setColour(ui::clBlue);
    d.EditEnabled = 1;
}

void TDrumsGrid::RebuildGridRows() {
    for (int row = 1; row < kGridRows; ++row) TypePanel[static_cast<std::size_t>(row)]->hide();
    DrumType[0]->setText("NONE");
    auto& rowDrum = context_.state.grid.GridRowDrum;
    const int rows = AssignGridRows(context_.state.drums, rowDrum);
    for (int row = 0; row < rows; ++row) {
        DrumType[static_cast<std::size_t>(row)]->setText(
            QString::fromStdString(GridRowCaption(rowDrum[static_cast<std::size_t>(row)])));
        if (row > 0) TypePanel[static_cast<std::size_t>(row)]->show();
    }
    FormCreate();
}

void TDrumsGrid::VolumeBar2Change() {
    VolumePanel->setText(QString::number(VolumePercent(VolumeBar2->value())));
}

void TDrumsGrid::CSpinButton1UpClick() {
    context_.state.grid.GridBarOffset = GridPageUp(context_.state.grid.GridBarOffset);
    BarNum->setText(QString::number(GridBarNumber(context_.state.grid.GridBarOffset)));
    FormCreate();
}

void TDrumsGrid::CSpinButton1DownClick() {
    context_.state.grid.GridBarOffset = GridPageDown(context_.state.grid.GridBarOffset);
    BarNum->setText(QString::number(GridBarNumber(context_.state.grid.GridBarOffset)));
    FormCreate();
}

void TDrumsGrid::DrumTypeClick(int n) {
    const int drum = context_.state.grid.GridRowDrum[static_cast<std::size_t>(n - 1)];
    // A drum without a tab leaves the drum tab on the drum it shows.
    if (const auto tab = DrumTabIndexOfRow(drum); tab && pages_.DrumTab) pages_.DrumTab->SelectDrumTab(*tab);
    TabDrumBackClick();
}

void TDrumsGrid::TabDrumBackClick() {
    context_.wide.shell.PageCode = "DT";
    if (pages_.DrumTab) pages_.DrumTab->show();
    hide();
    if (pages_.DrumTab) pages_.DrumTab->ResetBeatLights();
}

void TDrumsGrid::MainScreenBtnClick() {
    context_.wide.shell.PageCode = "DT";
    context_.navigator.ShowSetupPage();
    hide();
    context_.navigator.ShowPlayerPage();
    if (pages_.DrumTab) {
        pages_.DrumTab->ResetBeatLights();
        pages_.DrumTab->DrumStopButtonClick();
    }
}

void TDrumsGrid::ComboButton6Click() {
    context_.wide.shell.PageCode = "CO";
    context_.navigator.LeaveSetupForAccompaniment();
    // The setup page's COMBO hides only the setup page; the grid goes too.
    hide();
}

void TDrumsGrid::ShowLights(const PositionLights& lights) {
    for (std::size_t i = 0; i < DrumBeat.size(); ++i) DrumBeat[i]->setColour(LightColour(lights.DrumBeat[i]));
    WhichBar->setText(QString::fromStdString(lights.GridWhichBar));
}

PositionLights& TDrumsGrid::lightModel() {
    return pages_.DrumTab ? pages_.DrumTab->lights() : ownLights_;
}

}  // namespace drums
