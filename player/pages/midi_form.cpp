#include "player/pages/midi_form.h"

#include <QLayout>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>
#include <climits>

#include "common/folders.h"
#include "platform/qt/qt_hold.h"
#include "platform/services.h"
#include "ui/path_label.h"

namespace player {

namespace {

constexpr int kStartJingle = 1;

player::PlayerClock& clockOr(player::PlayerClock* given, std::unique_ptr<player::PlayerClock>& own) {
    if (given) return *given;
    own = std::make_unique<player::SteadyPlayerClock>();
    return *own;
}

int progressValue(std::uint64_t ms) {
    return static_cast<int>(std::min<std::uint64_t>(ms, INT_MAX));
}

}  // namespace

TMidiForm::TMidiForm(ui::ProgramContext& context, QWidget* screen, player::PlayerClock* clock)
    : QWidget(screen),
      context_(context),
      ops_(context.wide, context.engine, context.devices, context.dialogs, platform::services().midiOut(),
           clockOr(clock, ownClock_)) {
    build();
    if (screen && screen->layout()) screen->layout()->addWidget(this);
    // The list shows the MidiFile folder as it is when the page is made.
    const std::filesystem::path program =
        common::SelectFolder(context_.wide.shell, common::kProgramFolderRequest);
    ops_.Files = player::ListMidiFiles(program / common::kMidiFileFolder);
    {
        const QSignalBlocker quiet(MidiFileListBox);
        for (const std::string& name : ops_.Files) MidiFileListBox->addItem(QString::fromStdString(name));
    }

    // While a jingle holds the program, its windows repaint: the splash, the About box, a
    // question just answered.
    ops_.whileJingleHolds = [] { platform::qt::RepaintWhileHeld(); };
    PlayJingle(kStartJingle);  // while the start splash stands
    context_.navigator.CloseStartSplash();
    context_.wide.shell.SetupPageActive = 1;
    context_.navigator.ShowSetupPage();
    show();
    context_.wide.shell.PageCode = "ST";
    ops_.FirstRunHelp(context_.launcher);
    common::SelectFolder(context_.wide.shell, common::kMidiFileFolder);
}

TMidiForm::~TMidiForm() = default;

void TMidiForm::build() {
    setObjectName("MidiForm");
    setWindowTitle(player::kPlayerCaption);
    setFixedSize(378, 419);
    Frame = new QGroupBox(player::kPlayerCaption, this);
    Frame->setObjectName("MidiFormCaption");
    Frame->setGeometry(0, 0, 378, 419);

    Panel1 = new QLabel("Single Play                   ", Frame);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(8, 24, 362, 48);
    Panel1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel1->setIndent(12);

    BitBtn3 = new QToolButton(Panel1);
    BitBtn3->setObjectName("BitBtn3");
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    BitBtn3->setToolTip("Choose MIDI File");
    BitBtn3->setGeometry(230, 8, 56, 32);
    connect(BitBtn3, &QToolButton::clicked, this, [this] { BitBtn3Click(); });

    // The media player shows its Play button only.
    MediaPlayer1 = new QToolButton(Panel1);
    MediaPlayer1->setObjectName("MediaPlayer1");
    MediaPlayer1->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    MediaPlayer1->setToolTip("Start Selected Midi File");
    MediaPlayer1->setGeometry(294, 8, 56, 32);
    MediaPlayer1->setEnabled(false);
    connect(MediaPlayer1, &QToolButton::clicked, this, [this] { MediaPlayer1Click(); });

    ProgressBar1 = new QProgressBar(Frame);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, player::kProgressRange);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setGeometry(8, 80, 362, 18);

    BitBtn1 = new QPushButton("Auto Midi Play ", Frame);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setToolTip("Start Auto Play");
    BitBtn1->setGeometry(8, 106, 177, 32);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });

    BitBtn2 = new QPushButton("STOP Midi Play ", Frame);
    BitBtn2->setObjectName("BitBtn2");
    BitBtn2->setToolTip("Stop All Midi Play");
    BitBtn2->setGeometry(193, 106, 177, 32);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });

    MidiFileListBox = new QListWidget(Frame);
    MidiFileListBox->setObjectName("MidiFileListBox");
    MidiFileListBox->setToolTip("Midi Files");
    MidiFileListBox->setGeometry(8, 146, 362, 265);
    connect(MidiFileListBox, &QListWidget::currentRowChanged, this, [this] { MidiFileListBoxChange(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(player::kProgressIntervalMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer2 = new QTimer(this);
    Timer2->setObjectName("Timer2");
    Timer2->setInterval(player::kAutoPlayPollMs);
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
    showView();  // both timers run from creation
}

void TMidiForm::showView() {
    const player::PlayerView& v = ops_.view;
    // Switching a running timer on leaves its rhythm alone.
    if (v.Timer1On != Timer1->isActive()) v.Timer1On ? Timer1->start() : Timer1->stop();
    if (v.Timer2On != Timer2->isActive()) v.Timer2On ? Timer2->start() : Timer2->stop();
    const QString caption = QString::fromStdString(v.Caption);
    setWindowTitle(caption);
    Frame->setTitle(FrameCaption(caption));
    ProgressBar1->setMaximum(std::max(1, progressValue(v.ProgressMax)));
    ProgressBar1->setValue(std::min(progressValue(v.ProgressPosition), ProgressBar1->maximum()));
    MediaPlayer1->setEnabled(v.PlayEnabled);
}

QString TMidiForm::FrameCaption(const QString& caption) const {
    // "MIDI PLAYER - " and a path: the path gives way from its start, the file name stays.
    const QString prefix = QString(player::kPlayerCaption) + " - ";
    const int width = Frame->width() - kFrameTitleInsets;
    if (!caption.startsWith(prefix)) return caption;
    return ui::ElideCaption(Frame->fontMetrics(), prefix, caption.mid(prefix.size()), width);
}

void TMidiForm::StopPlayer() {
    ops_.StopPlayer();
    showView();
}

void TMidiForm::PlayJingle(int n) {
    ops_.PlayJingle(n);
    showView();
}

void TMidiForm::BitBtn1Click() {
    ops_.BitBtn1Click();
    showView();
}

void TMidiForm::BitBtn2Click() {
    ops_.BitBtn2Click();
    showView();
}

void TMidiForm::BitBtn3Click() {
    ops_.BitBtn3Click();
    showView();
}

void TMidiForm::MediaPlayer1Click() {
    ops_.MediaPlayer1Click();
    showView();
}

void TMidiForm::MidiFileListBoxChange() {
    ops_.MidiFileListBoxChange();
    showView();
}

void TMidiForm::Timer1Timer() {
    ops_.Timer1Timer();
    showView();
}

void TMidiForm::Timer2Timer() {
    ops_.Timer2Timer();
    showView();
}

}  // namespace player
