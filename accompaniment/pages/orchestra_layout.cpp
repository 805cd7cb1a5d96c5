// The accompaniment page's controls: where each sits on the 800 x 581 page, what it shows at
// first, and which handler each of the user's actions runs.

#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionToolButton>

#include "accompaniment/pages/orchestra_form.h"
#include "midifile/InstrumentNames.h"
#include "ui/named_button.h"
#include "ui/palette.h"
#include "ui/widgets.h"

namespace accompaniment {

namespace {

using accompaniment::GridIndex;

constexpr std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

void place(QWidget* w, int x, int y, int width, int height) {
    w->setGeometry(x, y, width, height);
}

QComboBox* box(QWidget* parent, const QString& name, const QStringList& items, const char* hint) {
    auto* b = new QComboBox(parent);
    b->setObjectName(name);
    b->addItems(items);
    b->setToolTip(hint);
    return b;
}

QStringList channelItems(bool padTwoDigits) {
    QStringList items;
    for (int c = 1; c <= 16; ++c) items << (c < 10 || padTwoDigits ? " " : "") + QString::number(c);
    return items;
}

// A grid cell: a flat speed button whose note number uses the whole of its narrow face.
class NoteCell final : public QToolButton {
  public:
    using QToolButton::QToolButton;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.text.clear();
        style()->drawComplexControl(QStyle::CC_ToolButton, &option, &painter, this);
        // Three digits are wider than the cell in most fonts: the number shrinks to fit.
        QFont f = font();
        while (f.pixelSize() > 6 && QFontMetrics(f).horizontalAdvance(text()) > width())
            f.setPixelSize(f.pixelSize() - 1);
        painter.setFont(f);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
};

// Parts in page order, with the names their controls carry.
struct PartNames {
    const char* label;  // piano Label1, strings Label3, brass Label4, bass Label2
    const char* caption;
    const char* instHint;
    const char* octaveBox;
    const char* volume;
    const char* volumeHint;
    const char* blank;  // the instrument box's first, blank item
};
constexpr PartNames kPartNames[4] = {
    {"Label1", "PIANO PART ", "Select Main Instrument", "PianoOctaveBox", "PianoVolume", "Piano Volume", ""},
    {"Label3", "STRINGS PART ", "Select Second Instrument", "StringsOctaveBox", "StringsVolume",
     "Strings Volume", "   "},
    {"Label4", "BRASS PART ", "Select Third Instrument", "BrassOctaveBox", "BrassVolume", "Brass Volume",
     "   "},
    {"Label2", "BASS PART ", "Select Base Instrument", "BassOctaveBox", "BassVolume", "Bass Volume", "  "},
};

// Key buttons A = 1 .. G# = 12.
constexpr const char* kKeyNames[12] = {"ABtn",  "ASBtn", "BBtn", "CBtn",  "CSBtn", "DBtn",
                                       "DSBtn", "EBtn",  "FBtn", "FSBtn", "GBtn",  "GSBtn"};
constexpr const char* kKeyCaptions[12] = {"A ",  "A# ", "B ", "C ",  "C# ", "D ",
                                          "D# ", "E ",  "F ", "F# ", "G ",  "G# "};

// The grid's cells: 15 x 24 pixels, one beat group of eight columns after another.
constexpr int kGridLeft = 202;
constexpr int kGridTop = 137;
int cellLeft(int column) {
    return kGridLeft + 16 * (column - 1) + 16 * ((column - 1) / 8);
}
int cellTop(int row) {
    return kGridTop + 32 * (row - 1);
}

}  // namespace

void TOrchestraForm::buildParts() {
    QStringList instruments;
    for (const char* name : midifile::GMInstrumentNames) instruments << name;
    const QStringList octaves = {"2", "1", "0", "-1", "-2"};
    for (int p = 0; p < 4; ++p) {
        const PartNames& n = kPartNames[p];
        const int y = 6 + 30 * p;
        auto* label = new ui::ColourPanel(n.caption, this);
        label->setObjectName(n.label);
        label->setFrameStyle(QFrame::NoFrame);
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        place(label, 6, y, 100, 24);
        PartLabel[at(p)] = label;
        InstBox[at(p)] =
            box(this, QString("InstBox%1").arg(p + 1), QStringList{n.blank} + instruments, n.instHint);
        InstBox[at(p)]->setMaxVisibleItems(20);
        place(InstBox[at(p)], 110, y, 150, 24);
        InstChan[at(p)] = box(this, QString("InstChan%1").arg(p + 1), channelItems(false), "Out Channel");
        place(InstChan[at(p)], 264, y, 50, 24);
        OctaveBox[at(p)] = box(this, n.octaveBox, octaves, "Instrument Octave");
        place(OctaveBox[at(p)], 318, y, 50, 24);
        PanBar[at(p)] = ui::Slider(this, QString("PanBar%1").arg(p + 1).toLatin1().constData(),
                                   Qt::Horizontal, 0, 127, 64, 10, "Instrument Position");
        place(PanBar[at(p)], 372, y, 128, 24);
        auto* spin = new QSpinBox(this);
        spin->setObjectName(n.volume);
        spin->setToolTip(n.volumeHint);
        spin->setRange(0, 9);
        if (auto* edit = spin->findChild<QLineEdit*>()) edit->setReadOnly(true);  // the arrows only
        place(spin, 504, y, 44, 24);
        PartVolume[at(p)] = spin;
    }

    DrumStartButton = ui::SpeedButton(this, "DrumStartButton", QString::fromUtf8("\u25B6"), "Start Playing");
    DrumStopButton = ui::SpeedButton(this, "DrumStopButton", QString::fromUtf8("\u25A0"), "Stop Playing");
    BeatIndicator = new ui::ColourPanel(QString(), this);
    BeatIndicator->setObjectName("BeatIndicator");
    BeatIndicator->setToolTip("Beat Indicator");
    WhichBar = ui::Panel(this, "WhichBar", "0", "Current BAR");
    place(DrumStartButton, 560, 6, 26, 24);
    place(DrumStopButton, 590, 6, 26, 24);
    place(BeatIndicator, 624, 6, 24, 24);
    place(WhichBar, 656, 6, 40, 24);
    CurrentInstrument = ui::Panel(this, "CurrentInstrument", QString(), "Current Instrument");
    place(CurrentInstrument, 560, 36, 234, 24);
    FileNamePanel = new ui::PathLabel(this);
    FileNamePanel->setObjectName("FileNamePanel");
    FileNamePanel->setToolTip("Active File Name");
    FileNamePanel->setFrameShape(QFrame::Panel);
    FileNamePanel->setFrameShadow(QFrame::Sunken);
    FileNamePanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(FileNamePanel, 560, 66, 234, 24);
    Transposeup = ui::NamedButton(this, "Transposeup", "+1", "");
    Trannsposedown = ui::NamedButton(this, "Trannsposedown", "-1", "");
    place(Transposeup, 560, 96, 40, 24);
    place(Trannsposedown, 604, 96, 40, 24);
}

void TOrchestraForm::buildPen() {
    for (int k = 0; k < 12; ++k) {
        KeyBtn[at(k)] = ui::NamedButton(this, kKeyNames[k], kKeyCaptions[k], "Place this Note on the Form");
        place(KeyBtn[at(k)], 6 + 31 * (k % 6), 137 + 28 * (k / 6), 30, 24);
    }
    RangeNumber = ui::Panel(this, "RangeNumber", "4", "");
    KeyRangeUp = ui::SpeedButton(this, "KeyRangeUp", "+", "");
    KeyRangeDown = ui::SpeedButton(this, "KeyRangeDown", "-", "");
    place(KeyRangeDown, 6, 197, 24, 24);
    place(RangeNumber, 32, 197, 36, 24);
    place(KeyRangeUp, 70, 197, 24, 24);
    NullBtn = ui::NamedButton(this, "NullBtn", "Null ", "Zero Notes on the Form");
    place(NullBtn, 110, 197, 78, 24);
    DurationBar1 = ui::Slider(this, "DurationBar1", Qt::Vertical, 0, 100, 50, 10, "");
    DurationBar1->setInvertedAppearance(true);  // position 0, the longest duration, at the top
    place(DurationBar1, 10, 233, 24, 150);
    DurationPanel = ui::Panel(this, "DurationPanel", "50", "");
    place(DurationPanel, 40, 233, 44, 24);
}

void TOrchestraForm::buildGrid() {
    QFont font("Arial");
    font.setBold(true);
    font.setPixelSize(13);
    for (int row = 1; row <= accompaniment::kGridRows; ++row)
        for (int column = 1; column <= accompaniment::kGridColumns; ++column) {
            auto* cell = new NoteCell(this);
            cell->setObjectName(QString("Inst%1Button%2").arg(row).arg(column));
            cell->setFont(font);
            cell->setAutoRaise(true);  // a flat speed button
            place(cell, cellLeft(column), cellTop(row), 15, 24);
            connect(cell, &QToolButton::clicked, this, [this, row, column] { InstButtonClick(row, column); });
            cells_[at(GridIndex(row, column))] = cell;
        }
    // Over the steps 25..32 of every bar, which a waltz bar of 24 steps leaves out.
    WaltzPanel = new ui::ColourPanel("WALTZ ", this);
    WaltzPanel->setObjectName("WaltzPanel");
    WaltzPanel->setToolTip("3 / 4 Timing only");
    WaltzPanel->setColour(ui::clPurple);
    place(WaltzPanel, cellLeft(25), kGridTop, cellLeft(32) + 15 - cellLeft(25), cellTop(8) + 24 - kGridTop);
    WaltzPanel->raise();
    WaltzPanel->hide();
}

void TOrchestraForm::buildBelowGrid() {
    constexpr int y1 = 395, y2 = 430, y3 = 470, y4 = 510;
    VolumeBar1 = ui::Slider(this, "VolumeBar1", Qt::Horizontal, 0, 127, 50, 10, "Volume Control per Beat");
    place(VolumeBar1, 202, y1, 300, 24);
    VolumePanel = ui::Panel(this, "VolumePanel", "75 ", "Volume %");
    place(VolumePanel, 506, y1, 44, 24);

    auto* thru = new QLabel("THRU", this);
    place(thru, 560, y1, 40, 24);
    ThruBox = box(this, "ThruBox", channelItems(true), "Select Through Channel");
    place(ThruBox, 600, y1, 56, 24);
    OctaveDown = ui::SpeedButton(this, "OctaveCSpinButtonDown", "-", "Current Octave");
    OctavePanel = ui::Panel(this, "OctavePanel", "0", "Current Octave");
    OctaveUp = ui::SpeedButton(this, "OctaveCSpinButtonUp", "+", "Current Octave");
    place(OctaveDown, 660, y1, 20, 24);
    place(OctavePanel, 682, y1, 30, 24);
    place(OctaveUp, 714, y1, 20, 24);
    SplitDown = ui::SpeedButton(this, "SplitCSpinButton1Down", "-", "Keyboard Split Point");
    Panel6 = ui::Panel(this, "Panel6", "54", "Keyboard Split Point");
    SplitUp = ui::SpeedButton(this, "SplitCSpinButton1Up", "+", "Keyboard Split Point");
    place(SplitDown, 736, y1, 16, 24);
    place(Panel6, 754, y1, 26, 24);
    place(SplitUp, 782, y1, 16, 24);

    UpDown1Down = ui::SpeedButton(this, "UpDown1Down", "<", "SET BAR NUMBER TO COPY OR PASTE");
    Panel5 = ui::Panel(this, "Panel5", "1", "BAR NUMBER FOR COPY OF PASTE");
    UpDown1Up = ui::SpeedButton(this, "UpDown1Up", ">", "SET BAR NUMBER TO COPY OR PASTE");
    place(UpDown1Down, 202, y2, 20, 24);
    place(Panel5, 224, y2, 30, 24);
    place(UpDown1Up, 256, y2, 20, 24);
    COPY = ui::SpeedButton(this, "COPY", "COPY", "SET 'COMPOSE BAR' TO BAR NUMBER TO COPY");
    PASTE1 = ui::SpeedButton(this, "PASTE1", "PASTE", "SET 'COMPOSE BAR' TO BAR NUMBER FOR PASTING");
    CLEAR = ui::SpeedButton(this, "CLEAR", "CLEAR", "SET 'COMPOSE BAR' TO BAR NUMBER TO CLEAR");
    UNDO = ui::SpeedButton(this, "UNDO", "UNDO", "SET 'COMPOSE BAR' TO BAR NUMBER TO UNDO CLEAR");
    int x = 290;
    for (QToolButton* b : {COPY, PASTE1, CLEAR, UNDO}) {
        place(b, x, y2, 56, 24);
        x += 60;
    }

    MainButton = ui::NamedButton(this, "MainButton", "SETUP ", "Return to Main Screen");
    NewAll = ui::NamedButton(this, "NewAll", "NEW ", "Start Again");
    DRUMTAB = ui::NamedButton(this, "DRUMTAB", "DRUM TABS ", "Goto Drum Page");
    MidiExtract = ui::NamedButton(this, "MidiExtract", "Midi Extract ", "Extract from MIDI file");
    MergeDrumsButton = ui::SpeedButton(this, "MergeDrumsButton", "MERGE DRUMS ", "Get Drum File");
    x = 6;
    for (QWidget* w :
         std::initializer_list<QWidget*>{MainButton, NewAll, DRUMTAB, MidiExtract, MergeDrumsButton}) {
        place(w, x, y3, 120, 28);
        x += 126;
    }
    SaveBtn = ui::SpeedButton(this, "SaveBtn", "SAVE FILE ", "Save a Tarn File");
    SpeedButton2 = ui::SpeedButton(this, "SpeedButton2", "OPEN FILE ", "Open a Tarn File");
    OpenBtn = ui::SpeedButton(this, "OpenBtn", "OPEN", "Open|");
    SpeedButton1 = ui::SpeedButton(this, "SpeedButton1", "OPEN", "Open|");
    x = 6;
    for (QWidget* w : std::initializer_list<QWidget*>{SaveBtn, SpeedButton2, OpenBtn, SpeedButton1}) {
        place(w, x, y4, 120, 28);
        x += 126;
    }
}

void TOrchestraForm::connectControls() {
    for (int p = 0; p < 4; ++p) {
        const int voice = p + 1;
        // activated: the user's choices only; a box set from code runs nothing.
        connect(InstBox[at(p)], &QComboBox::activated, this, [this, voice] { InstBoxChange(voice); });
        connect(InstChan[at(p)], &QComboBox::activated, this, [this, voice] { InstChanChange(voice); });
        connect(OctaveBox[at(p)], &QComboBox::activated, this, [this, p] { OctaveBoxChange(p); });
        connect(PanBar[at(p)], &QSlider::valueChanged, this, [this, voice] { PanBarChange(voice); });
        connect(PartVolume[at(p)], &QSpinBox::valueChanged, this, [this, p] { PartVolumeChange(p); });
        PartLabel[at(p)]->onClick = [this, voice] { LabelClick(voice); };
    }
    for (int k = 0; k < 12; ++k)
        connect(KeyBtn[at(k)], &QPushButton::clicked, this, [this, k] { KeyBtnClick(k + 1); });
    connect(KeyRangeUp, &QToolButton::clicked, this, [this] { KeyRangeUpClick(); });
    connect(KeyRangeDown, &QToolButton::clicked, this, [this] { KeyRangeDownClick(); });
    connect(NullBtn, &QPushButton::clicked, this, [this] { NullBtnClick(); });
    connect(VolumeBar1, &QSlider::valueChanged, this, [this] { VolumeBar1Change(); });
    connect(DurationBar1, &QSlider::valueChanged, this, [this] { DurationBar1Change(); });
    connect(ThruBox, &QComboBox::activated, this, [this] { ThruBoxChange(); });
    connect(OctaveUp, &QToolButton::clicked, this, [this] { OctaveCSpinButtonUpClick(); });
    connect(OctaveDown, &QToolButton::clicked, this, [this] { OctaveCSpinButtonDownClick(); });
    connect(SplitUp, &QToolButton::clicked, this, [this] { SplitCSpinButton1UpClick(); });
    connect(SplitDown, &QToolButton::clicked, this, [this] { SplitCSpinButton1DownClick(); });
    connect(UpDown1Up, &QToolButton::clicked, this, [this] { UpDown1Click(+1); });
    connect(UpDown1Down, &QToolButton::clicked, this, [this] { UpDown1Click(-1); });
    connect(COPY, &QToolButton::clicked, this, [this] { COPYClick(); });
    connect(PASTE1, &QToolButton::clicked, this, [this] { PASTE1Click(); });
    connect(CLEAR, &QToolButton::clicked, this, [this] { CLEARClick(); });
    connect(UNDO, &QToolButton::clicked, this, [this] { UNDOClick(); });
    connect(Transposeup, &QPushButton::clicked, this, [this] { TransposeupClick(); });
    connect(Trannsposedown, &QPushButton::clicked, this, [this] { TrannsposedownClick(); });
    connect(DrumStartButton, &QToolButton::clicked, this, [this] { DrumStartButtonClick(); });
    connect(DrumStopButton, &QToolButton::clicked, this, [this] { DrumStopButtonClick(); });
    connect(MainButton, &QPushButton::clicked, this, [this] { MainButtonClick(); });
    connect(NewAll, &QPushButton::clicked, this, [this] { NewAllClick(); });
    connect(DRUMTAB, &QPushButton::clicked, this, [this] { DRUMTABClick(); });
    connect(MidiExtract, &QPushButton::clicked, this, [this] { MidiExtractClick(); });
    connect(MergeDrumsButton, &QToolButton::clicked, this, [this] { MergeDrumsButtonClick(); });
    connect(SaveBtn, &QToolButton::clicked, this, [this] { SaveBtnClick(); });
    for (QToolButton* open : {OpenBtn, SpeedButton1, SpeedButton2})
        connect(open, &QToolButton::clicked, this, [this] { OpenBtnClick(); });
}

}  // namespace accompaniment
