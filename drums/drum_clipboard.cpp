#include "drums/drum_clipboard.h"

namespace drums {

namespace {

bool editableDrum(int drum) {
    return drum >= 0 && drum < kEditableDrums;
}

}  // namespace

DrumClipboard::DrumClipboard(DrumState& drums, DrumOps& ops, platform::DialogService& dialogs)
    : drums_(drums), ops_(ops), dialogs_(dialogs) {}

StepCells DrumClipboard::column(int drum) {
    return [this, drum](int step) -> std::int32_t& {
        return drums_.DrumPattern[static_cast<std::size_t>(step)][static_cast<std::size_t>(drum)];
    };
}

void DrumClipboard::sendBar(int bar, int drum) {
    for (int p = 1; p <= kBarPositions; ++p) ops_.SendCell(BarStep(bar, p), drum);
}

void DrumClipboard::Copy() {
    DrumState& d = drums_;
    dialogs_.beep(platform::BeepSound::Default);
    // A drum no editor can reach is not copied: PASTE would otherwise write beyond the
    // drums the engine and the file keep.
    if (!editableDrum(d.EditDrum)) return;
    d.CopyDrum = d.EditDrum;
    CopyBar(d.Clipboard, d.Bars, column(d.CopyDrum));
}

bool DrumClipboard::Paste() {
    DrumState& d = drums_;
    if (d.Clipboard.CopyValid == 0) {
        EmptyBufferBox(dialogs_, kCopyBufferEmpty);
        return false;
    }
    if (!editableDrum(d.CopyDrum) || !PasteBar(d.Clipboard, d.Bars, column(d.CopyDrum))) return false;
    sendBar(d.Bars, d.CopyDrum);
    d.Modified = 1;
    return true;
}

bool DrumClipboard::Clear() {
    DrumState& d = drums_;
    const int drum = d.EditDrum;
    if (!editableDrum(drum)) return false;
    const std::array<std::int32_t, 3> at = {d.EditStep, drum, d.Bars};
    if (!ClearBar(d.Clipboard, d.Bars, column(drum))) return false;
    d.UndoCell = at;
    sendBar(d.Bars, drum);
    d.Modified = 1;
    return true;
}

bool DrumClipboard::Undo() {
    DrumState& d = drums_;
    if (d.Clipboard.UndoValid == 0) {
        EmptyBufferBox(dialogs_, kUndoBufferEmpty);
        return false;
    }
    const int drum = d.UndoCell[1];
    const int bar = d.UndoCell[2];
    if (!editableDrum(drum) || !RestoreBar(d.Clipboard, bar, column(drum))) return false;
    d.EditStep = d.UndoCell[0];
    d.Bars = static_cast<std::int8_t>(bar);
    sendBar(bar, drum);
    d.Modified = 1;
    return true;
}

}  // namespace drums
