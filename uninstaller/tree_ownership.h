#pragma once
// Whether a folder tree may hold another program's files, as the installer logs in it tell: a log
// kwp.ini (any case) anywhere in the tree with a live section for a program other than this one.
// A section is live until its program has been removed ("Status=Removed"). The tree is searched as
// removeTree walks it (file_removal.h): never through a link, never onto another mount, no deeper
// than the removal goes, so a log it cannot see lies in a part the removal leaves anyway.

#include <optional>
#include <string>
#include <string_view>

#include "uninstaller/folder.h"
#include "uninstaller/ini_file.h"

namespace kwu {

struct ForeignProgram {
    std::string log;      // the log's path relative to the tree's folder ("kwp.ini", "sub/kwp.ini")
    std::string section;  // the other program's section name
};

// Whether the log's section of that name (the first one) belongs to a program still installed.
bool isLiveSection(const IniFile& log, std::string_view section);

// The first live section for a program other than title in a log of the tree, or nullopt.
std::optional<ForeignProgram> findForeignProgram(const Folder& tree, std::string_view title);

}  // namespace kwu
