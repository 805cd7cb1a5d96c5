#pragma once
// Whether a folder tree may hold another program's files, as the installer logs in it tell: a log
// kwp.ini (any case) anywhere in the tree with a live section for a program other than this one,
// or one that cannot be read (which may have such a section: no permission, an I/O error, a folder,
// a link or a FIFO of that name). A section is live until its program has been removed
// ("Status=Removed"). The tree is searched as
// removeTree walks it (file_removal.h): never through a link, never onto another mount, no deeper
// than the removal goes, so a log it cannot see lies in a part the removal leaves anyway.

#include <optional>
#include <string>
#include <string_view>

#include "uninstaller/folder.h"
#include "uninstaller/ini_file.h"

namespace kwu {

struct ForeignProgram {
    std::string log;         // the log's path relative to the tree's folder ("kwp.ini", "sub/kwp.ini")
    std::string section;     // the other program's section name; empty when the log cannot be read
    std::string unreadable;  // why the log cannot be read (a few words); empty when it was read
};

// Whether the log's section of that name (the first one) belongs to a program still installed.
bool isLiveSection(const IniFile& log, std::string_view section);

// The first live section for a program other than title in a log of the tree, or the first log
// that cannot be read, whichever comes first; nullopt when there is neither.
std::optional<ForeignProgram> findForeignProgram(const Folder& tree, std::string_view title);

}  // namespace kwu
