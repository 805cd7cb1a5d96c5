#include "app/pages/orchestra_form.h"

#include <QGridLayout>
#include <QHBoxLayout>

#include "app/pages/quintora_form.h"
#include "drums/pages/drum_tab.h"
#include "midifile/InstrumentNames.h"

namespace app {

namespace {

QLabel* panel(QWidget* parent, const char* name, const QString& caption, const char* hint) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setToolTip(hint);
    l->setFrameShape(QFrame::Panel);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

QToolButton* tool(QWidget* parent, const char* name, const QString& caption, const char* hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(hint);
    return b;
}

QSlider* slider(QWidget* parent, const char* name, Qt::Orientation o, int max, int value, const char* hint) {
    auto* s = new QSlider(o, parent);
    s->setObjectName(name);
    s->setRange(0, max);
    s->setValue(value);
    s->setToolTip(hint);
    return s;
}

}  // namespace

TOrchestraForm::TOrchestraForm(ProgramContext& context)
    : context_(context),
      live_(context.state.live, *this, context.state.Engine.DrumChannel, context.state.drums.WaltzMode),
      ops_(context.state, context.engine, context.drums, live_.players) {
    setObjectName("OrchestraForm");
    setWindowTitle("Quintora2");
    resize(800, 581);

    WhichBar = panel(this, "WhichBar", "0", "Current BAR");
    BeatIndicator = new ColourPanel(QString(), this);
    BeatIndicator->setObjectName("BeatIndicator");
    BeatIndicator->setToolTip("Beat Indicator");
    BeatIndicator->setFixedSize(24, 24);
    CurrentInstrument = panel(this, "CurrentInstrument", QString(), "Current Instrument");
    FileNamePanel = panel(this, "FileNamePanel", QString(), "Active File Name");
    Panel6 = panel(this, "Panel6", "54", "Keyboard Split Point");
    SplitUp = tool(this, "SplitCSpinButton1Up", "+", "Keyboard Split Point");
    SplitDown = tool(this, "SplitCSpinButton1Down", "-", "Keyboard Split Point");
    OctavePanel = panel(this, "OctavePanel", "0", "Current Octave");
    OctaveUp = tool(this, "OctaveCSpinButtonUp", "+", "Current Octave");
    OctaveDown = tool(this, "OctaveCSpinButtonDown", "-", "Current Octave");
    VolumeBar1 = slider(this, "VolumeBar1", Qt::Horizontal, 127, 50, "Volume Control per Beat");
    VolumePanel = panel(this, "VolumePanel", "75 ", "Volume %");
    DurationBar1 = slider(this, "DurationBar1", Qt::Vertical, 100, 50, "");
    DurationBar1->setInvertedAppearance(true);  // position 0 at the top
    DurationPanel = panel(this, "DurationPanel", "50", "");
    for (int v = 0; v < 4; ++v) {
        const QByteArray name = "PanBar" + QByteArray::number(v + 1);
        PanBar[static_cast<std::size_t>(v)] =
            slider(this, name.constData(), Qt::Horizontal, 127, 64, "Instrument Position");
    }
    DrumStartButton = tool(this, "DrumStartButton", QString::fromUtf8("\u25B6"), "Start Playing");
    DrumStopButton = tool(this, "DrumStopButton", QString::fromUtf8("\u25A0"), "Stop Playing");
    NewAll = new QPushButton("NEW ", this);
    NewAll->setObjectName("NewAll");
    NewAll->setToolTip("Start Again");
    static const char* const kTimerNames[4] = {"PianoTimer", "StringsTimer", "BrassTimer", "BassTimer"};
    for (int p = 0; p < 4; ++p) {
        auto* t = new QTimer(this);
        t->setObjectName(kTimerNames[p]);
        t->setSingleShot(true);  // each fires once per note
        t->setTimerType(Qt::PreciseTimer);
        connect(t, &QTimer::timeout, this, [this, p] { PartTimerTimer(p); });
        PartTimer[static_cast<std::size_t>(p)] = t;
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("PIANO PART ", this), 0, 0);
    grid->addWidget(PanBar[0], 0, 1);
    grid->addWidget(new QLabel("STRINGS PART ", this), 1, 0);
    grid->addWidget(PanBar[1], 1, 1);
    grid->addWidget(new QLabel("BRASS PART ", this), 2, 0);
    grid->addWidget(PanBar[2], 2, 1);
    grid->addWidget(new QLabel("BASS PART ", this), 3, 0);
    grid->addWidget(PanBar[3], 3, 1);
    auto* row = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{DrumStartButton, DrumStopButton, BeatIndicator,
                                                      WhichBar, CurrentInstrument, SplitDown, Panel6, SplitUp,
                                                      OctaveDown, OctavePanel, OctaveUp, NewAll})
        row->addWidget(w);
    grid->addLayout(row, 4, 0, 1, 3);
    grid->addWidget(FileNamePanel, 6, 0, 1, 3);
    grid->addWidget(VolumeBar1, 5, 0, 1, 2);
    grid->addWidget(VolumePanel, 5, 2);
    grid->addWidget(DurationBar1, 0, 2, 4, 1);
    grid->addWidget(DurationPanel, 0, 3);

    connect(DrumStartButton, &QToolButton::clicked, this, [this] { DrumStartButtonClick(); });
    connect(DrumStopButton, &QToolButton::clicked, this, [this] { DrumStopButtonClick(); });
    connect(NewAll, &QPushButton::clicked, this, [this] { NewAllClick(); });
    connect(SplitUp, &QToolButton::clicked, this, [this] { SplitCSpinButton1UpClick(); });
    connect(SplitDown, &QToolButton::clicked, this, [this] { SplitCSpinButton1DownClick(); });
    connect(OctaveUp, &QToolButton::clicked, this, [this] { OctaveCSpinButtonUpClick(); });
    connect(OctaveDown, &QToolButton::clicked, this, [this] { OctaveCSpinButtonDownClick(); });
    connect(VolumeBar1, &QSlider::valueChanged, this, [this] { VolumeBar1Change(); });
    connect(DurationBar1, &QSlider::valueChanged, this, [this] {
        if (painting_) return;
        ops_.controls.DurationBar1 = DurationBar1->value();
        DurationPanel->setText(QString::number(100 - DurationBar1->value()));
    });
    for (int v = 0; v < 4; ++v)
        connect(PanBar[static_cast<std::size_t>(v)], &QSlider::valueChanged, this,
                [this, v] { PanBarChange(v + 1); });

    context_.state.live.parts.PartChannels[0] = 3;
    context_.devices.OpenMidiIn();
    context_.devices.StartMidiIn();
    context_.devices.ResetMidiIn();
    context_.devices.OpenMidiOut();
    ops_.ResetOrchestra();
    context_.state.live.parts.ThruTranspose = 0;
    context_.state.live.parts.PartOctaveOffsets.fill(0);
    RefreshOrchestraForm();
}

void TOrchestraForm::showControls() {
    painting_ = true;
    const OrchestraControls& c = ops_.controls;
    VolumeBar1->setValue(c.VolumeBar1);
    VolumePanel->setText(QString::fromStdString(c.VolumePanel));
    DurationBar1->setValue(c.DurationBar1);
    DurationPanel->setText(QString::number(100 - c.DurationBar1));
    for (std::size_t v = 0; v < 4; ++v) PanBar[v]->setValue(c.PanBars[v]);
    Panel6->setText(QString::fromStdString(c.Panel6));
    OctavePanel->setText(QString::fromStdString(c.OctavePanel));
    WhichBar->setText(QString::fromStdString(c.WhichBar));
    painting_ = false;
}

void TOrchestraForm::RefreshOrchestraForm() {
    ShowCurrentInstrument(static_cast<std::uint8_t>(context_.state.live.parts.ThruProgram) & 0x7F);
    showControls();
}

void TOrchestraForm::DrumStartButtonClick() {
    if (context_.pages.DrumTab) context_.pages.DrumTab->DrumStartButtonClick();
}

void TOrchestraForm::DrumStopButtonClick() {
    ResetNoteButtonColours();
    ops_.StopAccompaniment();
    WhichBar->setText("0");
}

void TOrchestraForm::StopPlaying() {
    DrumStopButtonClick();
    if (context_.pages.DrumTab) context_.pages.DrumTab->DrumStopButtonClick();
}

void TOrchestraForm::NewAllClick() {
    ResetPartLabelColours();
    if (context_.save.Offer(this)) {
        ops_.NewAllData();
        RefreshOrchestraForm();
    }
}

void TOrchestraForm::OctaveCSpinButtonUpClick() {
    ops_.OctaveUpClick();
    showControls();
}
void TOrchestraForm::OctaveCSpinButtonDownClick() {
    ops_.OctaveDownClick();
    showControls();
}
void TOrchestraForm::SplitCSpinButton1UpClick() {
    ops_.SplitUpClick();
    showControls();
}
void TOrchestraForm::SplitCSpinButton1DownClick() {
    ops_.SplitDownClick();
    showControls();
}

void TOrchestraForm::PanBarChange(int voice) {
    if (painting_ || voice < 1 || voice > 4) return;
    ops_.PanBarChange(voice, PanBar[static_cast<std::size_t>(voice - 1)]->value());
}

void TOrchestraForm::VolumeBar1Change() {
    if (painting_) return;
    ops_.VolumeBar1Change(VolumeBar1->value());
    VolumePanel->setText(QString::fromStdString(ops_.controls.VolumePanel));
}

int TOrchestraForm::ShortMidiMsg(int first, int data1, int data2) {
    return context_.engine.ShortMidiMsg(first, data1, data2);
}

void TOrchestraForm::Panic() {
    if (context_.pages.QuintoraForm) context_.pages.QuintoraForm->PanicBtnClick();
}

void TOrchestraForm::ShowBeat(bool blue) {
    BeatIndicator->setColour(blue ? clBlue : clYellow);
}

void TOrchestraForm::ErrorBox(const char* text) {
    context_.dialogs.beep(platform::BeepSound::Stop);
    context_.dialogs.messageBox(nullptr, text, "ERROR", platform::BoxButtons::Ok,
                                platform::BoxIcon::Exclamation);
}

void TOrchestraForm::ArmPartTimer(int part, std::int32_t ms) {
    if (part >= 0 && part < 4) PartTimer[static_cast<std::size_t>(part)]->start(ms);
}

void TOrchestraForm::DisarmPartTimer(int part) {
    if (part >= 0 && part < 4) PartTimer[static_cast<std::size_t>(part)]->stop();
}

// The played-note display is a page of its own that comes later; nothing lights yet.
void TOrchestraForm::ShowPlayedNote(int, int, int, int) {}

void TOrchestraForm::ShowCurrentInstrument(int program) {
    if (program >= 0 && program < 128) CurrentInstrument->setText(midifile::GMInstrumentNames[program]);
}

}  // namespace app
