#include "drums/bar_clipboard.h"

namespace drums {

namespace {

bool validBar(int bar) {
    return bar >= 1 && bar <= kBars;
}

std::size_t index(int position) {
    return static_cast<std::size_t>(position - 1);
}

}  // namespace

bool CopyBar(BarClipboard& clipboard, int bar, const StepCells& cells) {
    if (!validBar(bar)) return false;
    for (int p = 1; p <= kBarPositions; ++p) clipboard.BarCopyBuffer[index(p)] = cells(BarStep(bar, p));
    clipboard.CopyValid = 1;
    return true;
}

bool PasteBar(const BarClipboard& clipboard, int bar, const StepCells& cells) {
    if (clipboard.CopyValid == 0 || !validBar(bar)) return false;
    for (int p = 1; p <= kBarPositions; ++p) cells(BarStep(bar, p)) = clipboard.BarCopyBuffer[index(p)];
    return true;
}

bool ClearBar(BarClipboard& clipboard, int bar, const StepCells& cells) {
    if (!validBar(bar)) return false;
    for (int p = 1; p <= kBarPositions; ++p) {
        std::int32_t& cell = cells(BarStep(bar, p));
        clipboard.BarUndoBuffer[index(p)] = cell;
        cell = 0;
    }
    clipboard.UndoValid = 1;
    return true;
}

bool RestoreBar(const BarClipboard& clipboard, int bar, const StepCells& cells) {
    if (clipboard.UndoValid == 0 || !validBar(bar)) return false;
    for (int p = 1; p <= kBarPositions; ++p) cells(BarStep(bar, p)) = clipboard.BarUndoBuffer[index(p)];
    return true;
}

void EmptyBufferBox(platform::DialogService& dialogs, const char* text) {
    dialogs.beep(platform::BeepSound::Stop);
    dialogs.messageBox(nullptr, text, "ERROR", platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
}

}  // namespace drums
