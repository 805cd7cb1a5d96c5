#pragma once
// The program from start to exit, without the dialog: the script beside the program is found and
// read, the installation root is found and checked, then the dialog runs. Returns the exit code.

#include <functional>

#include "uninstaller/install_layout.h"
#include "uninstaller/prompter.h"
#include "uninstaller/uninstall_script.h"

namespace kwu {

// Exit code 1 with the message "Initialization File Missing" (caption "Aborting") when the script is
// not there; exit code 1 with a message saying why (caption "Aborting") when no installation root
// can be found in the environment or the root is one that is never used ("/", or at or above the
// home folder); otherwise the code runDialog returns.
int startUninstaller(const ProgramNames& names, Prompter& prompter,
                     const std::function<int(const UninstallScript&, const InstallLayout&)>& runDialog);

}  // namespace kwu
