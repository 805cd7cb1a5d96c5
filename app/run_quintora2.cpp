#include <cstdio>

#include "app/folders.h"
#include "app/pages/program.h"
#include "app/plenwick_link.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_message_pump.h"
#include "platform/services.h"

namespace app {

int RunQuintora2(QApplication& application, const std::function<void(QuintoraProgram&)>& ready) {
    std::string error;
    const auto folder = ProgramFolderFromEnvironment();
    if (!EnterProgramFolder(folder, error))
        std::fprintf(stderr, "Quintora2: %s; working in the current folder\n", error.c_str());
    platform::qt::QtMessagePump pump(platform::services().queue());
    platform::qt::QtDialogs dialogs;
    PlenwickLink engine;
    QuintoraProgram program(application, engine, dialogs);
    return program.Run(ready);
}

}  // namespace app
