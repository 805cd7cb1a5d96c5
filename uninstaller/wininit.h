#pragma once
// WININIT.INI in the Windows directory: its [rename] section lists files the system deletes at the
// next start ("NULL = path"). The file is never lost: the new content is written to a temporary file
// in the same folder, the old one is kept as WININIT.BAK, and the new one takes its name by rename.

#include <filesystem>
#include <string>

namespace kwu {

// In place: removes leading and trailing white space and turns every inner run into one blank.
void collapseBlanks(std::string& text);

// Adds "NULL = ownPath" and "NULL = scriptPath" right below the first line that reads "[rename]"
// (any case, any blanks around it), or appends the section with both lines when there is none, or
// creates the file with exactly those three lines. With an existing file, WININIT.BAK afterwards
// holds the previous content; without one, a former WININIT.BAK is deleted. Returns false, with
// WININIT.INI and WININIT.BAK as they were, when any step fails.
bool rewriteWininit(const std::filesystem::path& windowsDir, const std::string& ownPath,
                    const std::string& scriptPath);

}  // namespace kwu
