#pragma once
// The program from start to exit, without the dialog: the script beside the program is found and
// read, then the dialog runs. Returns the exit code.

#include <functional>

#include "uninstaller/install_layout.h"
#include "uninstaller/prompter.h"
#include "uninstaller/uninstall_script.h"

namespace kwu {

// Exit code 1 with the message "Initialization File Missing" (caption "Aborting") when the script is
// not there; otherwise the code runDialog returns.
int startUninstaller(const ProgramNames& names, Prompter& prompter,
                     const std::function<int(const UninstallScript&)>& runDialog);

}  // namespace kwu
