// The accompaniment page's editing: the pen, the note grid, the bar clipboard of notes and
// transposition.

#include <algorithm>

#include "accompaniment/orchestra/orchestra_ops.h"
#include "live/transposition.h"

namespace accompaniment {

namespace {

constexpr int kKeyC = 4, kKeyE = 8, kKeyG = 11;

}  // namespace

void OrchestraOps::ResetNoteButtonColours() {
    controls.KeyInk.fill(Ink::Red);
    for (int key : {kKeyC, kKeyE, kKeyG}) controls.KeyInk[static_cast<std::size_t>(key - 1)] = Ink::Blue;
}

void OrchestraOps::ResetPartLabelColours() {
    controls.LabelInk.fill(Ink::Shadow);
}

void OrchestraOps::KeyClick(int key) {
    if (key < 1 || key > 12) return;
    accompaniment::PenState& pen = state_.orchestra.pen;
    if (pen.NullMode) NullBtnClick();
    ResetNoteButtonColours();
    controls.KeyInk[static_cast<std::size_t>(key - 1)] = Ink::Yellow;
    pen.PenKey = static_cast<std::int8_t>(key);
    accompaniment::UpdatePenNote(pen);
}

void OrchestraOps::changeKeyRange(int by) {
    accompaniment::PenState& pen = state_.orchestra.pen;
    pen.PenOctave = std::clamp(pen.PenOctave + by, 1, 7);
    controls.RangeNumber = std::to_string(pen.PenOctave);
    accompaniment::UpdatePenNote(pen);
}

void OrchestraOps::KeyRangeUpClick() {
    changeKeyRange(+1);
}
void OrchestraOps::KeyRangeDownClick() {
    changeKeyRange(-1);
}

void OrchestraOps::NullBtnClick() {
    accompaniment::PenState& pen = state_.orchestra.pen;
    pen.NullMode = !pen.NullMode;
    ResetNoteButtonColours();
    controls.NullInk = pen.NullMode ? Ink::Yellow : Ink::Red;
    accompaniment::UpdatePenNote(pen);
}

void OrchestraOps::VolumeBar1Change(int position) {
    controls.VolumeBar1 = std::clamp(position, 0, 127);
    controls.VolumePanel = std::to_string(controls.VolumeBar1 * 100 / 127);
    accompaniment::CommitGridToPart(state_.live.parts, state_.LoadingArrangement != 0);
}

void OrchestraOps::DurationBar1Change(int position) {
    controls.DurationBar1 = std::clamp(position, 0, 100);
    controls.DurationPanel = std::to_string(100 - controls.DurationBar1);
}

int OrchestraOps::GridCellClick(int row, int column) {
    if (accompaniment::GridIndex(row, column) == accompaniment::kNoCell) return accompaniment::kNoCell;
    state_.drums.Modified = 1;
    state_.orchestra.GridCellCode = accompaniment::GridCellCode(row, column);
    return UpdateGridCell();
}

int OrchestraOps::UpdateGridCell() {
    const OrchestraPageState& o = state_.orchestra;
    return accompaniment::UpdateGridCell(state_.live.parts, o.GridCellCode, o.pen.PenNote,
                                         controls.VolumeBar1, controls.DurationBar1,
                                         state_.LoadingArrangement != 0);
}

void OrchestraOps::UpDown1Click(int by) {
    int position = controls.UpDown1 + by;
    if (position > drums::kBars) position = 1;
    if (position < 1) position = drums::kBars;
    controls.UpDown1 = position;
    controls.Panel5 = std::to_string(position);
    state_.orchestra.ClipboardBar = static_cast<std::int8_t>(position);
}

drums::StepCells OrchestraOps::barCells() {
    // Only the notes move; a bar's step 0 (the last cell of bar 8) is grid index 0.
    return [this](int step) -> std::int32_t& {
        return state_.live.parts.GridNotes[static_cast<std::size_t>(step)];
    };
}

void OrchestraOps::emptyBuffer(const char* text) {
    drums::EmptyBufferBox(dialogs_, text);
}

void OrchestraOps::CopyClick() {
    dialogs_.beep(platform::BeepSound::Default);
    drums::CopyBar(state_.orchestra.NoteClipboard, state_.orchestra.ClipboardBar, barCells());
    accompaniment::CommitGridToPart(state_.live.parts, state_.LoadingArrangement != 0);
}

bool OrchestraOps::PasteClick() {
    OrchestraPageState& o = state_.orchestra;
    if (o.NoteClipboard.CopyValid == 0) {
        emptyBuffer(drums::kCopyBufferEmpty);
        return false;
    }
    drums::PasteBar(o.NoteClipboard, o.ClipboardBar, barCells());
    RefreshOrchestraData();
    state_.drums.Modified = 1;
    accompaniment::CommitGridToPart(state_.live.parts, state_.LoadingArrangement != 0);
    return true;
}

void OrchestraOps::ClearClick() {
    OrchestraPageState& o = state_.orchestra;
    drums::ClearBar(o.NoteClipboard, o.ClipboardBar, barCells());
    RefreshOrchestraData();
    state_.drums.Modified = 1;
    accompaniment::CommitGridToPart(state_.live.parts, state_.LoadingArrangement != 0);
}

bool OrchestraOps::UndoClick() {
    OrchestraPageState& o = state_.orchestra;
    if (o.NoteClipboard.UndoValid == 0) {
        emptyBuffer(drums::kUndoBufferEmpty);
        return false;
    }
    drums::RestoreBar(o.NoteClipboard, o.ClipboardBar, barCells());
    RefreshOrchestraData();
    state_.drums.Modified = 1;
    accompaniment::CommitGridToPart(state_.live.parts, state_.LoadingArrangement != 0);
    return true;
}

bool OrchestraOps::TransposeClick(int by) {
    if (!live::TransposeParts(state_.live.parts, state_.live.transposition, by)) {
        dialogs_.beep(platform::BeepSound::Stop);
        return false;
    }
    OrchestraPageState& o = state_.orchestra;
    o.KeepPlaying = 1;
    ReselectCurrentPart();
    o.KeepPlaying = 0;  // also when no part was selected
    return true;
}

}  // namespace accompaniment
