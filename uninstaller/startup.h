#pragma once
// The program from start to exit, without the dialog: the script beside the program is found and
// read, the installation root is found and checked, then the dialog runs. Returns the exit code.

#include <functional>

#include "uninstaller/install_layout.h"
#include "uninstaller/install_root.h"
#include "uninstaller/prompter.h"
#include "uninstaller/uninstall_script.h"

namespace kwu {

// Exit code 1 with the message "Initialization File Missing" (caption "Aborting") when the script is
// not there; exit code 1 with a message saying why (caption "Aborting") when no installation root
// can be found in the environment or the root is one that is never used ("/", or at or above a
// home folder); otherwise the code runDialog returns. The root is opened here, once, and the
// dialog and the removal work through it (install_root.h).
int startUninstaller(const ProgramNames& names, Prompter& prompter,
                     const std::function<int(const UninstallScript&, const InstallRoot&)>& runDialog);

}  // namespace kwu
