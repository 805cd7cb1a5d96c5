#include "import/import_context.h"

namespace midiimport {

void ImportBox(ImportContext& ctx, const char* text, const char* caption) {
    ctx.dialogs.beep(platform::BeepSound::Stop);
    ctx.dialogs.messageBox(nullptr, text, caption, platform::BoxButtons::Ok, platform::BoxIcon::Exclamation);
}

void AbortWithBox(ImportContext& ctx, const char* text) {
    ImportBox(ctx, text, "ERROR");
    ctx.import.split.ImportAborted = 1;
    ctx.pages.resetImport();
}

}  // namespace midiimport
