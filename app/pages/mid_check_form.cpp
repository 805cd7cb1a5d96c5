#include "app/pages/mid_check_form.h"

#include "accompaniment/pages/orchestra_form.h"
#include "platform/services.h"

namespace app {

TMidCheckForm::TMidCheckForm(ShellContext& context) : context_(context) {
    setObjectName("MidCheckForm");
    setWindowTitle("0");
    setWindowFlags(Qt::FramelessWindowHint);
    resize(280, 146);
    window_ = platform::services().queue().createWindow(this);
}

TMidCheckForm::~TMidCheckForm() {
    platform::services().queue().destroyWindow(window_);
}

void TMidCheckForm::windowMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (msg == platform::MM_MIM_DATA || msg == MM_MIM_LONGERROR) MidiInMessage(msg, wParam, lParam);
}

void TMidCheckForm::MidiInMessage(std::uint32_t msg, std::uintptr_t, std::intptr_t lParam) {
    // Only short messages are decoded; the accompaniment page decodes them while it exists.
    if (msg == platform::MM_MIM_DATA && context_.pages.OrchestraForm)
        context_.pages.OrchestraForm->HandleMidiInput(static_cast<std::uint32_t>(lParam));
}

}  // namespace app
