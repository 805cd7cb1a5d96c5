#include "app/pages/quintora_form.h"

#include <QHBoxLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/arrangement_pages.h"
#include "app/pages/splash_screens.h"
#include "common/config_file.h"
#include "common/folders.h"
#include "common/help.h"
#include "drums/pages/drum_tab.h"
#include "platform/services.h"
#include "player/pages/midi_form.h"
#include "program/arrangement_flow.h"
#include "ui/named_button.h"
#include "ui/palette.h"

namespace app {

namespace {

// A glyph button of the button row; its hint is the tool tip (the long hint is empty).
QToolButton* speedButton(QWidget* parent, const char* name, const char* hint, QStyle::StandardPixmap glyph) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(hint);
    b->setToolTip(hint);
    b->setIcon(parent->style()->standardIcon(glyph));
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return b;
}

QAction* menuItem(QMenu* menu, const char* name, const char* caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    return a;
}

}  // namespace

TQuintoraForm::TQuintoraForm(ShellContext& context)
    : context_(context),
      arrangementPages_(std::make_unique<FormArrangementPages>(context)),
      disk_(std::make_unique<common::DiskIo>()),
      arrangement_(std::make_unique<ArrangementFlow>(context.state, context.engine, context.dialogs,
                                                     context.devices, context.drums, context.save,
                                                     *arrangementPages_, *disk_)),
      setup_(context.state, context.state.live.parts.ThruChannel, context.engine, context.devices,
             context.dialogs, platform::services().midiIn(), platform::services().midiOut(), *this) {
    setObjectName("QuintoraForm");
    setWindowTitle("Quintora2");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);  // no border icons
    resize(800, 566);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ui::clRed);
    setPalette(pal);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);

    buildMenu();
    central_ = new QWidget(this);
    auto* column = new QVBoxLayout(central_);
    buildButtons(central_);
    column->addWidget(SpeedPanel);
    buildSetupControls(central_);

    MidiLabel1 = new QLabel(" MIDI ", central_);
    MidiLabel1->setObjectName("MidiLabel1");
    MidiLabel2 = new QLabel(" TARN ", central_);
    MidiLabel2->setObjectName("MidiLabel2");
    QFont title = font();
    title.setPointSize(48);
    title.setItalic(true);
    title.setUnderline(true);
    MidiLabel2->setFont(title);
    QPalette aqua = MidiLabel2->palette();
    aqua.setColor(QPalette::WindowText, ui::clAqua);
    MidiLabel2->setPalette(aqua);
    // The titles stand beside the player page, not above it: stacked, the two would make the
    // page taller than the 800 x 600 screen it is designed for.
    auto* body = new QHBoxLayout();
    auto* titles = new QVBoxLayout();
    titles->addStretch(1);
    titles->addWidget(MidiLabel1, 0, Qt::AlignHCenter);
    titles->addWidget(MidiLabel2, 0, Qt::AlignHCenter);
    titles->addStretch(2);
    body->addLayout(titles, 1);
    playerArea_ = new QWidget(central_);
    auto* playerColumn = new QVBoxLayout(playerArea_);
    playerColumn->setContentsMargins(0, 0, 0, 0);
    body->addWidget(playerArea_, 0, Qt::AlignTop);
    column->addLayout(body, 1);
    setCentralWidget(central_);
    statusBar()->setObjectName("StatusBar");
    for (QObject* o : {static_cast<QObject*>(central_), static_cast<QObject*>(MidiLabel1),
                       static_cast<QObject*>(MidiLabel2)})
        o->installEventFilter(this);

    PANIC1->setShortcut(QKeySequence(Qt::Key_Space));
    Search->setShortcut(QKeySequence(Qt::Key_F1));
    context_.state.shell.SetupPageActive = 1;
    common::SelectFolder(context_.state.shell, common::kMidiFileFolder);
    common::SelectFolder(context_.state.shell, common::kProgramFolderRequest);
}

TQuintoraForm::~TQuintoraForm() = default;

void TQuintoraForm::buildMenu() {
    QMenu* fileMenu = menuBar()->addMenu("&File");
    fileMenu->setObjectName("FileMenu");
    ExitItem = menuItem(fileMenu, "ExitItem", "E&xit");
    ExitItem->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    ExitItem->setStatusTip("Exit application");
    connect(ExitItem, &QAction::triggered, this, [this] { ExitItemClick(); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("Help1");
    Topics1 = menuItem(help, "Topics1", "&Index");
    Topics1->setShortcut(QKeySequence(Qt::Key_F2));
    connect(Topics1, &QAction::triggered, this, [this] { ContentsClick(); });
    Search = menuItem(help, "Search", "&Help");
    connect(Search, &QAction::triggered, this, [this] { SearchClick(); });
    help->addSeparator()->setObjectName("N2");
    About1 = menuItem(help, "About1", "&About...");
    connect(About1, &QAction::triggered, this, [this] { About1Click(); });

    SetupMidiIn = menuBar()->addAction("&Setup Midi Input");
    SetupMidiIn->setObjectName("SetupMidiIn");
    connect(SetupMidiIn, &QAction::triggered, this, [this] { MidiInBtnClick(); });
    SetupMidiOut = menuBar()->addAction("&Setup Midi Output");
    SetupMidiOut->setObjectName("SetupMidiOut");
    connect(SetupMidiOut, &QAction::triggered, this, [this] { MidiOutBtnClick(); });
    PANIC1 = menuBar()->addAction("&PANIC");
    PANIC1->setObjectName("PANIC1");
    connect(PANIC1, &QAction::triggered, this, [this] { PanicBtnClick(); });

    for (QAction* a : {ExitItem, Topics1, Search, PANIC1}) a->setShortcutContext(Qt::ApplicationShortcut);
}

void TQuintoraForm::ShareMenuKeys(QWidget* page) {
    if (page) page->addActions({ExitItem, Topics1, Search, PANIC1});
}

void TQuintoraForm::buildButtons(QWidget* central) {
    SpeedPanel = new QWidget(central);
    SpeedPanel->setObjectName("SpeedPanel");
    auto* row = new QHBoxLayout(SpeedPanel);
    OpenBtn = speedButton(SpeedPanel, "OpenBtn", "Open", QStyle::SP_DialogOpenButton);
    connect(OpenBtn, &QToolButton::clicked, this, [this] { OpenItemClick(); });
    SaveBtn = speedButton(SpeedPanel, "SaveBtn", "Save", QStyle::SP_DialogSaveButton);
    connect(SaveBtn, &QToolButton::clicked, this, [this] { SaveItemClick(); });
    ExitBtn = speedButton(SpeedPanel, "ExitBtn", "Exit", QStyle::SP_DialogCloseButton);
    connect(ExitBtn, &QToolButton::clicked, this, [this] { ExitItemClick(); });
    MidiInBtn = ui::NamedButton(SpeedPanel, "MidiInBtn", "MIDI IN ", "Setup MIDI INPUT DEVICE");
    connect(MidiInBtn, &QPushButton::clicked, this, [this] { MidiInBtnClick(); });
    MidiOutBtn = ui::NamedButton(SpeedPanel, "MidiOutBtn", "MIDI OUT ", "Setup MIDI OUTPUT DEVICE");
    connect(MidiOutBtn, &QPushButton::clicked, this, [this] { MidiOutBtnClick(); });
    PanicBtn = ui::NamedButton(SpeedPanel, "PanicBtn", "PANIC (SPACEBAR)", "All notes off");
    connect(PanicBtn, &QPushButton::clicked, this, [this] { PanicBtnClick(); });
    DRUMTAB = ui::NamedButton(SpeedPanel, "DRUMTAB", "DRUM TABS ", "Drum Page");
    connect(DRUMTAB, &QPushButton::clicked, this, [this] { DRUMTABClick(); });
    ComboButton = ui::NamedButton(SpeedPanel, "ComboButton", "COMBO ", "Accompanyment Page");
    connect(ComboButton, &QPushButton::clicked, this, [this] { ComboButtonClick(); });
    for (QWidget* w : std::initializer_list<QWidget*>{OpenBtn, SaveBtn, ExitBtn, MidiInBtn, MidiOutBtn,
                                                      PanicBtn, DRUMTAB, ComboButton})
        row->addWidget(w);
    row->addStretch();
}

void TQuintoraForm::buildSetupControls(QWidget* central) {
    auto* column = static_cast<QVBoxLayout*>(central->layout());
    auto* inRow = new QHBoxLayout();
    Label1 = new QLabel("Select MIDI IN DEVICE ", central);
    Label1->setObjectName("Label1");
    MidiInBox = new QComboBox(central);
    MidiInBox->setObjectName("MidiInBox");
    MidiInBox->setToolTip("MIDI INPUT");
    MidiInBox->setMinimumContentsLength(24);
    // activated: the user's choices only; the page's own index settings run no handler.
    connect(MidiInBox, &QComboBox::activated, this, [this] { MidiInBoxChange(); });
    OKInBtn = ui::NamedButton(central, "OKInBtn", "OK ", "Click when done");
    connect(OKInBtn, &QPushButton::clicked, this, [this] { OKInBtnClick(); });
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, MidiInBox, OKInBtn}) inRow->addWidget(w);
    inRow->addStretch();
    column->addLayout(inRow);

    auto* outRow = new QHBoxLayout();
    Label2 = new QLabel("SELECT MIDI OUT DEVICE ", central);
    Label2->setObjectName("Label2");
    MidiOutBox = new QComboBox(central);
    MidiOutBox->setObjectName("MidiOutBox");
    MidiOutBox->setToolTip("MIDI OUTPUT");
    MidiOutBox->setMinimumContentsLength(24);
    MidiOutBox->addItem("MIDI mapper");
    connect(MidiOutBox, &QComboBox::activated, this, [this] { MidiOutBoxChange(); });
    ChannelBox = new QComboBox(central);
    ChannelBox->setObjectName("ChannelBox");
    ChannelBox->setToolTip("Choose a Channel");
    ChannelBox->setMaxVisibleItems(3);
    for (int i = 0; i < kChannelItems; ++i) ChannelBox->addItem(QString::fromStdString(ChannelItemText(i)));
    connect(ChannelBox, &QComboBox::activated, this, [this] { ChannelBoxChange(); });
    OutTestBtn = ui::NamedButton(central, "OutTestBtn", "MIDI OUT TEST ", "Play a chord");
    connect(OutTestBtn, &QPushButton::clicked, this, [this] { OutTestBtnClick(); });
    OKOutBtn = ui::NamedButton(central, "OKOutBtn", "OK ", "Click when device is selected");
    connect(OKOutBtn, &QPushButton::clicked, this, [this] { OKOutBtnClick(); });
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, MidiOutBox, ChannelBox, OutTestBtn, OKOutBtn})
        outRow->addWidget(w);
    outRow->addStretch();
    column->addLayout(outRow);

    for (QWidget* w : std::initializer_list<QWidget*>{ChannelBox, OutTestBtn, OKInBtn, OKOutBtn, MidiInBox,
                                                      MidiOutBox, Label1, Label2})
        w->hide();
}

void TQuintoraForm::ExitItemClick() {
    if (onExit) onExit();
}

bool TQuintoraForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease) return QMainWindow::eventFilter(watched, event);
    if (watched == MidiLabel1 || watched == MidiLabel2) {
        About1Click();
        return true;
    }
    // The page's own background, not a control or the player page on it.
    if (watched == central_ && !central_->childAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        About1Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TQuintoraForm::About1Click() {
    ShowAboutBox(context_, this);
}

void TQuintoraForm::stopPlayer() {
    if (context_.pages.MidiForm) context_.pages.MidiForm->StopPlayer();
}

void TQuintoraForm::showPlayerPage() {
    if (context_.pages.MidiForm) context_.pages.MidiForm->show();
}

void TQuintoraForm::showPlayer() {
    if (isVisible()) showPlayerPage();
}

void TQuintoraForm::hidePlayer() {
    if (context_.pages.MidiForm) context_.pages.MidiForm->hide();
}

void TQuintoraForm::showInputWindow(bool shown) {
    if (context_.pages.AccompanyForm) context_.pages.AccompanyForm->setVisible(shown);
}

void TQuintoraForm::showDeviceChoices() {
    const SetupView& v = setup_.view;
    for (QWidget* w : std::initializer_list<QWidget*>{OKInBtn, Label1, MidiInBox})
        w->setVisible(v.InputChoiceShown);
    for (QWidget* w : std::initializer_list<QWidget*>{ChannelBox, OKOutBtn, OutTestBtn, MidiOutBox, Label2})
        w->setVisible(v.OutputChoiceShown);
    const bool titles = !v.InputChoiceShown && !v.OutputChoiceShown;
    MidiLabel1->setVisible(titles);
    MidiLabel2->setVisible(titles);
}

namespace {

void fillBox(QComboBox* box, const DeviceItems& items, int selected) {
    box->clear();
    for (const std::string& name : items.names()) box->addItem(QString::fromStdString(name));
    if (items.size() > 0) box->setCurrentIndex(selected);
}

}  // namespace

void TQuintoraForm::showInputDevices() {
    fillBox(MidiInBox, setup_.midiInItems(), setup_.view.MidiInItem);
}

void TQuintoraForm::showOutputDevices() {
    fillBox(MidiOutBox, setup_.midiOutItems(), setup_.view.MidiOutItem);
}

void TQuintoraForm::MidiInBtnClick() {
    setup_.MidiInBtnClick();
}

void TQuintoraForm::MidiOutBtnClick() {
    if (setup_.MidiOutBtnClick()) ChannelBox->setCurrentIndex(0);  // display only: the engine's channel stays
}

void TQuintoraForm::MidiInBoxChange() {
    if (!ChooseMidiIn(context_.state, context_.engine, setup_.midiInItems(), MidiInBox->currentIndex()))
        return;
    if (context_.pages.AccompanyForm) {
        context_.pages.AccompanyForm->ClearPlayedNotes();
        context_.pages.AccompanyForm->show();
    }
}

void TQuintoraForm::MidiOutBoxChange() {
    ChooseMidiOut(context_.state, context_.engine, setup_.midiOutItems(), MidiOutBox->currentIndex());
}

void TQuintoraForm::ChannelBoxChange() {
    ChooseChannel(context_.state, context_.engine, ChannelBox->currentIndex());
}

void TQuintoraForm::OutTestBtnClick() {
    context_.engine.MidiOutTest();
    WaitMs(1000);
    context_.engine.MidiPanic();
}

void TQuintoraForm::OKInBtnClick() {
    setup_.CloseDeviceChoices();
}

void TQuintoraForm::OKOutBtnClick() {
    setup_.CloseDeviceChoices();
}

void TQuintoraForm::PanicBtnClick() {
    setup_.PanicBtnClick();
}

void TQuintoraForm::DRUMTABClick() {
    setup_.DRUMTABClick();
    if (context_.pages.DrumTab) context_.pages.DrumTab->show();
    hide();
    hidePlayer();
    if (context_.pages.DrumTab) context_.pages.DrumTab->ResetBeatLights();
}

void TQuintoraForm::ComboButtonClick() {
    setup_.ComboButtonClick();
    if (context_.pages.OrchestraForm) context_.pages.OrchestraForm->show();
    hide();
    hidePlayer();
}

void TQuintoraForm::ContentsClick() {
    common::ShowHelpTopic(context_.state.shell, context_.launcher, context_.dialogs, common::kIndexTopic);
    if (common::ReturnToPlayerAfterHelp(context_.state.shell)) showPlayerPage();
}

void TQuintoraForm::SearchClick() {
    common::ShowHelpTopic(context_.state.shell, context_.launcher, context_.dialogs,
                          common::SearchTopic(context_.state.shell.PageCode));
    if (common::ReturnToPlayerAfterHelp(context_.state.shell)) showPlayerPage();
}

bool TQuintoraForm::OpenItemClick() {
    return arrangement_->Open();
}

bool TQuintoraForm::SaveItemClick() {
    return arrangement_->Save();
}

}  // namespace app
