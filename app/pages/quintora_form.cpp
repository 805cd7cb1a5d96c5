#include "app/pages/quintora_form.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QVBoxLayout>

#include "app/arrangement_flow.h"
#include "app/config_file.h"
#include "app/folders.h"
#include "app/pages/arrangement_pages.h"
#include "app/pages/later_pages.h"
#include "drums/pages/drum_tab.h"

namespace app {

TQuintoraForm::TQuintoraForm(ProgramContext& context)
    : context_(context),
      arrangementPages_(std::make_unique<FormArrangementPages>(context)),
      disk_(std::make_unique<DiskIo>()),
      arrangement_(std::make_unique<ArrangementFlow>(context.state, context.engine, context.dialogs,
                                                     context.devices, context.drums, context.save,
                                                     *arrangementPages_, *disk_)) {
    setObjectName("QuintoraForm");
    setWindowTitle("Quintora2");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);  // no border icons
    resize(800, 566);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::red);
    setPalette(pal);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    QMenu* fileMenu = menuBar()->addMenu("&File");
    fileMenu->setObjectName("FileMenu");
    ExitItem = fileMenu->addAction("E&xit");
    ExitItem->setObjectName("ExitItem");
    ExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    ExitItem->setStatusTip("Exit application");
    connect(ExitItem, &QAction::triggered, this, [this] { ExitItemClick(); });
    PANIC1 = menuBar()->addAction("&PANIC");
    PANIC1->setObjectName("PANIC1");
    PANIC1->setShortcut(QKeySequence(Qt::Key_Space));
    connect(PANIC1, &QAction::triggered, this, [this] { PanicBtnClick(); });

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    auto* speedPanel = new QWidget(central);
    speedPanel->setObjectName("SpeedPanel");
    auto* row = new QHBoxLayout(speedPanel);
    ExitBtn = new QToolButton(speedPanel);
    ExitBtn->setObjectName("ExitBtn");
    ExitBtn->setText("Exit");
    ExitBtn->setToolTip("Exit");
    connect(ExitBtn, &QToolButton::clicked, this, [this] { ExitItemClick(); });
    PanicBtn = new QPushButton("PANIC (SPACEBAR)", speedPanel);
    PanicBtn->setObjectName("PanicBtn");
    PanicBtn->setToolTip("All notes off");
    connect(PanicBtn, &QPushButton::clicked, this, [this] { PanicBtnClick(); });
    DRUMTAB = new QPushButton("DRUM TABS ", speedPanel);
    DRUMTAB->setObjectName("DRUMTAB");
    DRUMTAB->setToolTip("Drum Page");
    connect(DRUMTAB, &QPushButton::clicked, this, [this] { DRUMTABClick(); });
    for (QWidget* w :
         {static_cast<QWidget*>(ExitBtn), static_cast<QWidget*>(PanicBtn), static_cast<QWidget*>(DRUMTAB)})
        row->addWidget(w);
    row->addStretch();
    column->addWidget(speedPanel);

    MidiLabel1 = new QLabel(" MIDI ", central);
    MidiLabel1->setObjectName("MidiLabel1");
    MidiLabel2 = new QLabel(" TARN ", central);
    MidiLabel2->setObjectName("MidiLabel2");
    QFont title = font();
    title.setPointSize(48);
    title.setItalic(true);
    title.setUnderline(true);
    MidiLabel2->setFont(title);
    QPalette aqua = MidiLabel2->palette();
    aqua.setColor(QPalette::WindowText, Qt::cyan);
    MidiLabel2->setPalette(aqua);
    column->addWidget(MidiLabel1);
    column->addWidget(MidiLabel2);
    playerArea_ = new QWidget(central);
    playerArea_->setLayout(new QVBoxLayout());
    column->addWidget(playerArea_, 1);
    setCentralWidget(central);
    statusBar()->setObjectName("StatusBar");

    context_.state.shell.SetupPageActive = 1;
    SelectFolder(context_.state.shell, kMidiFileFolder);
    SelectFolder(context_.state.shell, kProgramFolderRequest);
}

TQuintoraForm::~TQuintoraForm() = default;

void TQuintoraForm::ExitItemClick() {
    if (onExit) onExit();
}

void TQuintoraForm::closeEvent(QCloseEvent* event) {
    if (context_.state.shell.Exiting) {
        event->accept();
        return;
    }
    event->ignore();
    ExitItemClick();
}

void TQuintoraForm::closeSetupControls() {
    WriteConfig(context_.state);
    MidiLabel1->show();
    MidiLabel2->show();
    if (isVisible() && !context_.state.shell.Exiting && context_.pages.MidiForm)
        context_.pages.MidiForm->show();
    if (context_.pages.AccompanyForm) context_.pages.AccompanyForm->hide();
}

void TQuintoraForm::OKInBtnClick() {
    closeSetupControls();
}

void TQuintoraForm::OKOutBtnClick() {
    closeSetupControls();
}

void TQuintoraForm::PanicBtnClick() {
    OKInBtnClick();
    OKOutBtnClick();
    context_.engine.MidiPanic();
    if (context_.state.shell.SetupPageActive == 1) {
        OKOutBtnClick();
        OKInBtnClick();
    }
    if (isVisible() && !context_.state.shell.Exiting && context_.pages.MidiForm)
        context_.pages.MidiForm->show();
}

void TQuintoraForm::DRUMTABClick() {
    SelectFolder(context_.state.shell, kProgramFolderRequest);
    context_.state.shell.SetupPageActive = 0;
    if (context_.pages.MidiForm) context_.pages.MidiForm->StopPlayer();
    context_.state.shell.PageCode = "DT";
    context_.devices.OpenMidiOut();
    context_.devices.RestartMidiIn();
    if (context_.pages.DrumTab) context_.pages.DrumTab->show();
    hide();
    if (context_.pages.MidiForm) context_.pages.MidiForm->hide();
    if (context_.pages.DrumTab) context_.pages.DrumTab->ResetBeatLights();
}

bool TQuintoraForm::OpenItemClick() {
    return arrangement_->Open();
}

bool TQuintoraForm::SaveItemClick() {
    return arrangement_->Save();
}

}  // namespace app
