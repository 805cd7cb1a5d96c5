#include "import/pages/converting.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyleOptionSpinBox>
#include <algorithm>

#include "import/pages/inst_list_form.h"
#include "program/arrangement_flow.h"
#include "ui/colour_panel.h"
#include "ui/named_button.h"
#include "ui/palette.h"

namespace midiimport {

namespace {

constexpr const char* kProgressTexts[] = {"MIDI",       "Extracting",      "Extracting 100%",
                                          "Converting", "Converting 100%", "READY"};
constexpr const char* kTryBarText = "Try Bar";
constexpr int kWhichBarSmallFont = 19;

// The colour of an enabled control's text; a disabled one keeps the desktop's greyed text, so
// that it looks disabled.
void setTextColour(QWidget* w, const QColor& colour) {
    QPalette p = w->palette();
    if (p.color(QPalette::Active, QPalette::ButtonText) == colour &&
        p.color(QPalette::Active, QPalette::WindowText) == colour)
        return;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
            p.setColor(group, role, colour);
    w->setPalette(p);
}

void setFontSize(QWidget* w, int pixels, bool bold = false) {
    QFont f = w->font();
    if (f.pixelSize() == pixels && f.bold() == bold) return;
    f.setPixelSize(pixels);
    f.setBold(bold);
    w->setFont(f);
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, const char* hint) {
    auto* b = ui::NamedButton(parent, name, caption, hint);
    b->setFont(QFont("Comic Sans MS"));
    setTextColour(b, ui::clRed);
    return b;
}

}  // namespace

BarSpin::BarSpin(QWidget* parent) : QSpinBox(parent) {
    lineEdit()->setReadOnly(true);  // stepped, never typed
}

void BarSpin::showText(const QString& text, int min, int max) {
    const QSignalBlocker quiet(this);
    text_ = text;
    bool number = false;
    const int value = text.toInt(&number);
    setRange(min, number ? std::max(max, value) : max);
    setValue(number ? value : min);
    lineEdit()->setText(text);
}

QString BarSpin::textFromValue(int value) const {
    bool number = false;
    text_.toInt(&number);
    return number || text_.isNull() ? QString::number(value) : text_;
}

TConverting::TConverting(ImportPagesContext& context, ImportPagePair& pages)
    : context_(context),
      pages_(pages),
      flow_(context.state.import, {context.wide, context.state.drums, context.state.live}, context.engine,
            context.drums, context.dialogs, *this) {
    setObjectName("Converting");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(3);
    ExtractDrums = button(this, "ExtractDrums", "Drums", "Extract Drums");
    ExtractInstruments = button(this, "ExtractInstruments", "Instruments", "Extract Intruments");
    Panel4 = new QLabel(this);
    Panel4->setObjectName("Panel4");
    Panel4->setToolTip("Progress Indicator");
    Panel4->setAlignment(Qt::AlignCenter);
    Panel4->setFrameShape(QFrame::Panel);
    setTextColour(Panel4, ui::clRed);
    setFontSize(Panel4, 23, true);
    // Wide enough for the longest progress text, so the page keeps its size while it works.
    int progressWidth = 0;
    for (const char* text : kProgressTexts)
        progressWidth = std::max(progressWidth, Panel4->fontMetrics().horizontalAdvance(text));
    Panel4->setMinimumWidth(progressWidth + 2 * Panel4->frameWidth() +
                            Panel4->fontMetrics().horizontalAdvance(QLatin1Char('x')));
    WhichBar = new BarSpin(this);
    WhichBar->setObjectName("WhichBar");
    WhichBar->setToolTip("Select begining Bar");
    setTextColour(WhichBar, ui::clRed);
    {
        // Wide enough for its widest text, "Try Bar" in its smallest font, beside its arrows.
        QFont small = WhichBar->font();
        small.setPixelSize(kWhichBarSmallFont);
        QStyleOptionSpinBox opt;
        opt.initFrom(WhichBar);
        const int arrows = WhichBar->style()
                               ->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxUp, WhichBar)
                               .width();
        WhichBar->setMinimumWidth(QFontMetrics(small).horizontalAdvance(kTryBarText) + arrows + 16);
    }
    DontKillBtn = button(this, "DontKillBtn", "MANUAL", "");
    TryMidiImport = button(this, "TryMidiImport", " TRY  ", "Test the selected Bar");
    ExitMidiExtract = button(this, "ExitMidiExtract", "OK ", "Click when done");
    ABORTIMPORT = button(this, "ABORTIMPORT", "NEW", "Stop and start again");
    for (QWidget* w :
         std::initializer_list<QWidget*>{ExtractDrums, ExtractInstruments, Panel4, WhichBar, DontKillBtn,
                                         TryMidiImport, ExitMidiExtract, ABORTIMPORT})
        row->addWidget(w);
    // Each button as wide as its caption needs, and no wider than that (the style's usual
    // least button width would not leave the page its size); MANUAL is the wider of its two
    // captions.
    for (QPushButton* b :
         {ExtractDrums, ExtractInstruments, DontKillBtn, TryMidiImport, ExitMidiExtract, ABORTIMPORT}) {
        const int margins = 2 * (b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                                 b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b));
        b->setMinimumWidth(std::max(40, b->fontMetrics().horizontalAdvance(b->text()) + margins + 4));
    }

    connect(ExtractDrums, &QPushButton::clicked, this, [this] { ExtractDrumsClick(); });
    connect(ExtractInstruments, &QPushButton::clicked, this, [this] { ExtractInstrumentsClick(); });
    connect(WhichBar, &QSpinBox::valueChanged, this, [this] { WhichBarChange(); });
    connect(DontKillBtn, &QPushButton::clicked, this, [this] { DontKillBtnClick(); });
    connect(TryMidiImport, &QPushButton::clicked, this, [this] { TryMidiImportClick(); });
    connect(ExitMidiExtract, &QPushButton::clicked, this, [this] { ExitMidiExtractClick(); });
    connect(ABORTIMPORT, &QPushButton::clicked, this, [this] { ABORTIMPORTClick(); });

    paint();
    // The designed 575 x 74, or wider where the desktop's fonts need it.
    setFixedSize(row->minimumSize().expandedTo(QSize(575, 74)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void TConverting::WhichBarChange() {
    flow_.WhichBarChange(QString::number(WhichBar->value()).toStdString());
    paint();
}

// --- What the flow asks of the pages ------------------------------------------------------------

// The long steps let the program's windows repaint and its timers run, but take no input: a
// click meanwhile waits until the step is over.
void TConverting::processMessages() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TConverting::showProgress() {
    constexpr qint64 kRepaintMs = 40;  // a figure a frame or two; more would only slow the step
    if (sinceProgress_.isValid() && sinceProgress_.elapsed() < kRepaintMs) return;
    sinceProgress_.start();
    paint();
    processMessages();
}

void TConverting::toggleTimeSignature() {
    context_.navigator.ToggleTimeSignature();
}

void TConverting::applyBars() {
    context_.navigator.Arrangement().applyBars();
}

void TConverting::showTempo(int tempo) {
    context_.navigator.Arrangement().showTempo(tempo);
}

void TConverting::paint() {
    const midiimport::ConvertingControls& c = flow_.controls;
    const QString caption = QString::fromStdString(c.Caption);
    if (windowTitle() != caption) setWindowTitle(caption);
    setEnabled(!c.Busy);
    ExtractDrums->setEnabled(c.ExtractDrumsEnabled);
    ExtractInstruments->setEnabled(c.ExtractInstrumentsEnabled);
    const QString progress = QString::fromStdString(c.Panel4);
    if (Panel4->text() != progress) Panel4->setText(progress);
    setFontSize(WhichBar, c.WhichBarFontSize);
    WhichBar->showText(QString::fromStdString(c.WhichBarText), c.WhichBarMin, c.WhichBarMax);
    WhichBar->setEnabled(c.WhichBarEnabled);
    TryMidiImport->setEnabled(c.TryEnabled);
    DontKillBtn->setEnabled(c.DontKillEnabled);
    ExitMidiExtract->setEnabled(c.ExitEnabled);
    DontKillBtn->setText(QString::fromStdString(c.DontKillCaption));
    setTextColour(DontKillBtn, c.DontKillRed ? ui::clRed : ui::clBlack);
    repaint();
}

void TConverting::stopPlaying() {
    context_.navigator.StopPlaying();
}

void TConverting::startPlaying() {
    context_.navigator.StartPlaying();
}

void TConverting::newDrums() {
    context_.navigator.Arrangement().newDrums();
}

void TConverting::newAll() {
    context_.navigator.NewAll();
}

void TConverting::resetOrchestra() {
    context_.navigator.Arrangement().resetOrchestra();
}

void TConverting::reselectCurrentPart() {
    context_.navigator.ReselectCurrentPart();
}

void TConverting::showFileName(const std::string& path) {
    context_.navigator.Arrangement().showFileName(path);
}

bool TConverting::saveArrangement() {
    return context_.navigator.SaveArrangement();
}

void TConverting::showChooser(const std::vector<std::string>& items) {
    if (!pages_.InstListForm) return;
    pages_.InstListForm->SetItems(items);
    showChooserAgain();
}

void TConverting::showChooserAgain() {
    if (!pages_.InstListForm) return;
    pages_.InstListForm->show();
    pages_.InstListForm->raise();
}

void TConverting::hideChooser() {
    if (pages_.InstListForm) pages_.InstListForm->hide();
}

void TConverting::releasePages() {
    for (QWidget* w : {static_cast<QWidget*>(pages_.InstListForm), static_cast<QWidget*>(this)})
        if (w) {
            w->hide();
            w->deleteLater();
        }
}

}  // namespace midiimport
