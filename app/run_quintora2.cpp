#include <cstdio>

#include "app/folders.h"
#include "app/pages/program.h"
#include "app/plenwick_link.h"
#include "app/shell.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_message_pump.h"
#include "platform/services.h"

namespace app {

int RunQuintora2(QApplication& application, const std::function<void(QuintoraProgram&)>& ready) {
    platform::qt::QtMessagePump pump(platform::services().queue());
    platform::qt::QtDialogs dialogs;
    if (!EnterProgramFolderOrSayWhy(dialogs)) return 1;
    PlenwickLink engine;
    QuintoraProgram program(application, engine, dialogs);
    return program.Run(ready);
}

}  // namespace app
