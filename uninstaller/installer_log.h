#pragma once
// The installer's log kwp.ini in the application directory: one section per installed program.

#include <optional>
#include <string>
#include <string_view>

#include "uninstaller/folder.h"

namespace kwu {

constexpr std::string_view kInstallerLogFile = "kwp.ini";

// The log name in folder. Its text; or nullopt with unreadable empty when there is no log; or
// nullopt with unreadable saying why (a few words for the summary) when something stands at the
// name that cannot be read: no permission, an I/O error, a folder, a link, a FIFO. Only a regular
// file is opened, so a FIFO never blocks the read.
std::optional<std::string> readInstallerLog(const Folder& folder, std::string_view name,
                                            std::string& unreadable);

// When the log in directory holds sections of other programs, the section named title is emptied
// and gets "Status=Removed"; when it holds no other section (or does not exist), the log is deleted.
// Every other line keeps its bytes and its ending. A log that cannot be read is left as it is, and
// why goes to *unreadable when asked. Returns whether the log ended up updated or gone.
bool updateInstallerLog(const Folder& directory, std::string_view title, std::string* unreadable = nullptr);

}  // namespace kwu
