#pragma once
// The installer's log kwp.ini in the application directory: one section per installed program.

#include <string_view>

#include "uninstaller/folder.h"

namespace kwu {

constexpr std::string_view kInstallerLogFile = "kwp.ini";

// When the log in directory holds sections of other programs, the section named title is emptied
// and gets "Status=Removed"; when it holds no other section (or does not exist), the log is deleted.
// Every other line keeps its bytes and its ending. Returns whether the log ended up updated or gone.
bool updateInstallerLog(const Folder& directory, std::string_view title);

}  // namespace kwu
