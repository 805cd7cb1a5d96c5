#include <cstdio>

#include "app/pages/program.h"
#include "app/plenwick_link.h"
#include "common/folders.h"
#include "common/program_folder_lock.h"
#include "platform/backends/real_devices.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_launcher.h"
#include "platform/qt/qt_message_pump.h"
#include "platform/services.h"
#include "player/jingles.h"
#include "program/shell.h"

namespace app {

int RunQuintora2(QApplication& application, const std::function<void(QuintoraProgram&)>& ready) {
    platform::backends::InstallRealDevices();
    platform::qt::QtMessagePump pump(platform::services().queue());
    platform::qt::QtDialogs dialogs;
    // Held until the program ends: a second start on the same folder says so and ends.
    common::ProgramFolderLock folderLock;
    if (!EnterProgramFolderOrSayWhy(dialogs, &folderLock)) return 1;
    // The help pages ship beside the program; the program folder gets those it lacks.
    const std::filesystem::path shipped =
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()) / common::kHelpFolder;
    std::string error;
    std::error_code ec;
    if (!common::InstallHelpPages(shipped, std::filesystem::current_path(ec), error))
        std::fprintf(stderr, "Quintora2: %s; help is not available\n", error.c_str());
    // So do the jingles; a jingle still missing afterwards is simply not played.
    if (!player::InstallJingles(QCoreApplication::applicationDirPath().toStdString(),
                                std::filesystem::current_path(ec), error))
        std::fprintf(stderr, "Quintora2: %s\n", error.c_str());
    platform::qt::QtLauncher launcher;
    PlenwickLink engine;
    QuintoraProgram program(application, engine, dialogs, launcher);
    return program.Run(ready);
}

}  // namespace app
