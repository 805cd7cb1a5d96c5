#include "accompaniment/pages/orchestra_form.h"

#include <QShowEvent>

#include "midifile/InstrumentNames.h"
#include "ui/palette.h"

namespace accompaniment {

namespace {

using accompaniment::GridIndex;

constexpr std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

QColor inkColour(accompaniment::Ink ink) {
    switch (ink) {
        case accompaniment::Ink::Red:
            return ui::clRed;
        case accompaniment::Ink::Blue:
            return ui::clBlue;
        case accompaniment::Ink::Yellow:
            return ui::clYellow;
        case accompaniment::Ink::Navy:
            return ui::clNavy;
        case accompaniment::Ink::Shadow:
            break;
    }
    return ui::clBtnShadow;
}

// A button's caption colour, set only when it changes (a palette change restyles the button).
void setFontColour(QWidget* w, accompaniment::Ink ink) {
    const QColor c = inkColour(ink);
    if (w->palette().color(QPalette::ButtonText) == c) return;
    QPalette p = w->palette();
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

void setIndex(QComboBox* b, int index) {
    if (b->currentIndex() != index) b->setCurrentIndex(index);
}

void setCaption(QLabel* l, const std::string& text) {
    const QString t = QString::fromStdString(text);
    if (l->text() != t) l->setText(t);
}

}  // namespace

TOrchestraForm::TOrchestraForm(OrchestraPageContext& context)
    : context_(context),
      live_(context.state.live, *this, context.wide.Engine.DrumChannel, context.state.drums.WaltzMode),
      ops_(context.wide, context.state, context.engine, context.drums, context.transport, context.dialogs,
           live_.players) {
    setObjectName("OrchestraForm");
    setWindowTitle("Quintora2");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(800, 581);

    buildParts();
    buildPen();
    buildGrid();
    buildBelowGrid();
    static const char* const kTimerNames[4] = {"PianoTimer", "StringsTimer", "BrassTimer", "BassTimer"};
    for (int p = 0; p < 4; ++p) {
        auto* t = new QTimer(this);
        t->setObjectName(kTimerNames[p]);
        t->setSingleShot(true);  // each fires once per note
        t->setTimerType(Qt::PreciseTimer);
        connect(t, &QTimer::timeout, this, [this, p] { PartTimerTimer(p); });
        PartTimer[at(p)] = t;
    }
    connectControls();

    ops_.OpenArrangement = [this] { return context_.navigator.OpenArrangement(); };
    ops_.SaveArrangement = [this] { return context_.navigator.SaveArrangement(); };
    ops_.pageStopped = [this] { WhichBar->setText("0"); };

    context_.devices.OpenMidiIn();
    context_.devices.StartMidiIn();
    context_.devices.ResetMidiIn();
    context_.devices.OpenMidiOut();
    // The THRU voice plays on the THRU channel that the configuration gave (read by the
    // device opens above), never on a fixed one.
    accompaniment::PartData& d = context_.state.live.parts;
    d.PartChannels[0] = d.ThruChannel;
    ops_.ResetOrchestra();
    ops_.controls.ThruBox = d.ThruChannel & 0x0F;
    d.ThruTranspose = 0;
    context_.state.orchestra.ClipboardBar = static_cast<std::int8_t>(ops_.controls.UpDown1);
    d.PartOctaveOffsets.fill(0);
    paint();
}

void TOrchestraForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    paint();
}

QToolButton* TOrchestraForm::InstButton(int row, int column) const {
    const int i = GridIndex(row, column);
    return i == accompaniment::kNoCell ? nullptr : cells_[at(i)];
}

// --- Painting ---------------------------------------------------------------------------------

void TOrchestraForm::paint() {
    paintControls();
    paintGrid();
}

void TOrchestraForm::paintControls() {
    painting_ = true;
    const accompaniment::OrchestraControls& c = ops_.controls;
    for (std::size_t p = 0; p < 4; ++p) {
        setIndex(InstBox[p], c.InstBox[p]);
        setIndex(InstChan[p], c.InstChan[p]);
        setIndex(OctaveBox[p], c.OctaveBox[p]);
        PanBar[p]->setValue(c.PanBars[p]);
        PartVolume[p]->setValue(c.PartVolume[p]);
        PartLabel[p]->setColour(inkColour(c.LabelInk[p]));
    }
    for (std::size_t k = 0; k < 12; ++k) setFontColour(KeyBtn[k], c.KeyInk[k]);
    setFontColour(NullBtn, c.NullInk);
    setCaption(RangeNumber, c.RangeNumber);
    VolumeBar1->setValue(c.VolumeBar1);
    setCaption(VolumePanel, c.VolumePanel);
    DurationBar1->setValue(c.DurationBar1);
    setCaption(DurationPanel, c.DurationPanel);
    setIndex(ThruBox, c.ThruBox);
    setCaption(OctavePanel, c.OctavePanel);
    setCaption(Panel6, c.Panel6);
    setCaption(Panel5, c.Panel5);
    setCaption(CurrentInstrument, c.CurrentInstrument);
    WaltzPanel->setVisible(c.WaltzPanelVisible);
    painting_ = false;
}

void TOrchestraForm::paintCell(int index) {
    if (index < 0 || index >= accompaniment::kSteps) return;
    QToolButton* cell = cells_[at(index)];
    const std::int32_t note = context_.state.live.parts.GridNotes[at(index)];
    const QString caption = QString::fromStdString(accompaniment::CellCaption(note));
    if (cell->text() != caption) cell->setText(caption);
    cell->setToolTip(QString::fromStdString(accompaniment::CellHint(note)));
    setFontColour(cell, accompaniment::CellInk(note));
}

void TOrchestraForm::paintGrid() {
    // The cells always show the edit grid, the notes that the next cell click commits.
    for (int i = 0; i < accompaniment::kSteps; ++i) paintCell(i);
}

// --- Parts, refresh, NEW ----------------------------------------------------------------------

void TOrchestraForm::ResetOrchestra() {
    ops_.ResetOrchestra();
    paint();
}

void TOrchestraForm::RefreshOrchestraForm() {
    ops_.RefreshOrchestraData();
    paint();
}

void TOrchestraForm::ResetNoteButtonColours() {
    ops_.ResetNoteButtonColours();
    paintControls();
}

void TOrchestraForm::ResetPartLabelColours() {
    ops_.ResetPartLabelColours();
    paintControls();
}

void TOrchestraForm::ReselectCurrentPart() {
    ops_.ReselectCurrentPart();
    paint();
}

void TOrchestraForm::DrumStartButtonClick() {
    context_.navigator.StartDrums();
}

void TOrchestraForm::DrumStopButtonClick() {
    ops_.StopAccompaniment();
    paintControls();
}

void TOrchestraForm::StopPlaying() {
    DrumStopButtonClick();
    context_.navigator.StopDrums();
}

void TOrchestraForm::NewAllClick() {
    ResetPartLabelColours();
    if (context_.save.Offer(this)) ops_.NewAllData();
    paint();
}

void TOrchestraForm::InstBoxChange(int voice) {
    if (painting_ || voice < 1 || voice > 4) return;
    ops_.InstBoxChange(voice, InstBox[at(voice - 1)]->currentIndex());
    paint();
}

void TOrchestraForm::LabelClick(int voice) {
    ops_.LabelClick(voice);
    paint();
}

void TOrchestraForm::InstChanChange(int voice) {
    if (painting_ || voice < 1 || voice > 4) return;
    ops_.InstChanChange(voice, InstChan[at(voice - 1)]->currentIndex());
    paintControls();
}

void TOrchestraForm::OctaveBoxChange(int part) {
    if (painting_ || part < 0 || part > 3) return;
    ops_.OctaveBoxChange(part, OctaveBox[at(part)]->currentIndex());
    paintControls();
}

void TOrchestraForm::PanBarChange(int voice) {
    if (painting_ || voice < 1 || voice > 4) return;
    ops_.PanBarChange(voice, PanBar[at(voice - 1)]->value());
}

void TOrchestraForm::PartVolumeChange(int part) {
    if (painting_ || part < 0 || part > 3) return;
    ops_.PartVolumeChange(part, PartVolume[at(part)]->value());
    paint();
}

void TOrchestraForm::ThruBoxChange() {
    if (painting_) return;
    ops_.ThruBoxChange(ThruBox->currentIndex());
    paintControls();
}

void TOrchestraForm::OctaveCSpinButtonUpClick() {
    ops_.OctaveUpClick();
    paintControls();
}
void TOrchestraForm::OctaveCSpinButtonDownClick() {
    ops_.OctaveDownClick();
    paintControls();
}
void TOrchestraForm::SplitCSpinButton1UpClick() {
    ops_.SplitUpClick();
    paintControls();
}
void TOrchestraForm::SplitCSpinButton1DownClick() {
    ops_.SplitDownClick();
    paintControls();
}

// --- Pen and grid -----------------------------------------------------------------------------

void TOrchestraForm::KeyBtnClick(int key) {
    ops_.KeyClick(key);
    paintControls();
}
void TOrchestraForm::KeyRangeUpClick() {
    ops_.KeyRangeUpClick();
    paintControls();
}
void TOrchestraForm::KeyRangeDownClick() {
    ops_.KeyRangeDownClick();
    paintControls();
}
void TOrchestraForm::NullBtnClick() {
    ops_.NullBtnClick();
    paintControls();
}

void TOrchestraForm::VolumeBar1Change() {
    if (painting_) return;
    ops_.VolumeBar1Change(VolumeBar1->value());
    paintControls();
}

void TOrchestraForm::DurationBar1Change() {
    if (painting_) return;
    ops_.DurationBar1Change(DurationBar1->value());
    paintControls();
}

void TOrchestraForm::InstButtonClick(int row, int column) {
    paintCell(ops_.GridCellClick(row, column));
}

// --- Clipboard, transposition ------------------------------------------------------------------

void TOrchestraForm::UpDown1Click(int by) {
    ops_.UpDown1Click(by);
    paintControls();
}
void TOrchestraForm::COPYClick() {
    ops_.CopyClick();
}
void TOrchestraForm::PASTE1Click() {
    if (ops_.PasteClick()) paint();
}
void TOrchestraForm::CLEARClick() {
    ops_.ClearClick();
    paint();
}
void TOrchestraForm::UNDOClick() {
    if (ops_.UndoClick()) paint();
}
void TOrchestraForm::TransposeupClick() {
    if (ops_.TransposeClick(+1)) paint();
}
void TOrchestraForm::TrannsposedownClick() {
    if (ops_.TransposeClick(-1)) paint();
}

// --- Files and pages --------------------------------------------------------------------------

void TOrchestraForm::SaveBtnClick() {
    ops_.SaveBtnClick();
    paintControls();
}

void TOrchestraForm::OpenBtnClick() {
    ops_.OpenBtnClick();
    paint();
}

void TOrchestraForm::MergeDrumsButtonClick() {
    ops_.MergeDrumsClick();
    paint();
}

void TOrchestraForm::MainButtonClick() {
    // Nothing may play on while the setup page is shown: the page's and the transport's stops
    // run first.
    StopPlaying();
    context_.wide.shell.PageCode = "ST";
    context_.navigator.ShowSetupPage();
    context_.navigator.ShowPlayerPage();
    hide();
    for (int i = 0; i < 3; ++i) context_.drums.StopAndPanic();
    // THRU keys go on sounding on the setup page: the output is opened again at once.
    context_.devices.ReopenMidiOut();
}

void TOrchestraForm::DRUMTABClick() {
    StopPlaying();
    context_.wide.shell.PageCode = "DT";
    context_.navigator.ShowDrumTab();
    hide();
}

void TOrchestraForm::MidiExtractClick() {
    StopPlaying();
    context_.navigator.ImportFromMidi();
}

// --- The accompaniment's host -------------------------------------------------------------------

int TOrchestraForm::ShortMidiMsg(int first, int data1, int data2) {
    return context_.engine.ShortMidiMsg(first, data1, data2);
}

void TOrchestraForm::Panic() {
    context_.navigator.Panic();
}

void TOrchestraForm::ShowBeat(bool blue) {
    BeatIndicator->setColour(blue ? ui::clBlue : ui::clYellow);
}

void TOrchestraForm::ErrorBox(const char* text) {
    context_.dialogs.beep(platform::BeepSound::Stop);
    context_.dialogs.messageBox(nullptr, text, "ERROR", platform::BoxButtons::Ok,
                                platform::BoxIcon::Exclamation);
}

void TOrchestraForm::ArmPartTimer(int part, std::int32_t ms) {
    if (part >= 0 && part < 4) PartTimer[at(part)]->start(ms);
}

void TOrchestraForm::DisarmPartTimer(int part) {
    if (part >= 0 && part < 4) PartTimer[at(part)]->stop();
}

void TOrchestraForm::ShowPlayedNote(int key, int pitchClass, int velocity, int channel) {
    context_.navigator.ShowPlayedNote(key, pitchClass, velocity, channel);
}

void TOrchestraForm::ShowCurrentInstrument(int program) {
    if (program >= 0 && program < 128) {
        ops_.controls.CurrentInstrument = midifile::GMInstrumentNames[program];
        CurrentInstrument->setText(midifile::GMInstrumentNames[program]);
    }
}

}  // namespace accompaniment
