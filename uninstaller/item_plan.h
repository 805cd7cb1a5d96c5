#pragma once
// What one item section of the script asks for, checked against the root guard and the name rules
// and ready to carry out. Planning reads only the script: it touches no file, so a script of any
// size is planned in time proportional to its length, and what is refused is known with its reasons
// before anything is removed.

#include <string>
#include <string_view>
#include <vector>

#include "uninstaller/install_layout.h"
#include "uninstaller/path_guard.h"
#include "uninstaller/uninstall_script.h"

namespace kwu {

struct ItemPlan {
    enum class File { None, Ordinary, System };

    bool updatesLog = false;  // the section orders the installer log update, and nothing else
    File file = File::None;   // which file, if any, is to be deleted
    Verdict target;           // that file, below the root
    bool unregister = false;  // unregister the file first
    // The file's path as the installer spelled it, when it differs from target.path (a root reached
    // through a link): registrations may be under either.
    std::string spelledPath;
    std::string menuItem;               // the menu item to delete; empty for none
    std::vector<std::string> refusals;  // what was refused, with the reason, for the user
};

ItemPlan planItem(const UninstallScript& script, const RootGuard& guard, const InstallLayout& layout,
                  std::string_view section);

}  // namespace kwu
