#pragma once
// WININIT.INI in the Windows directory: its [rename] section lists files the system deletes at the
// next start ("NULL = path"). The new text is made by a pure function over the old one; the file is
// then written so that it is never lost: the old content is kept as WININIT.BAK, and the new one is
// written to a temporary file in the same folder that takes its name by rename.

#include <optional>
#include <string>
#include <string_view>

#include "uninstaller/folder.h"

namespace kwu {

// In place: removes leading and trailing white space and turns every inner run into one blank.
void collapseBlanks(std::string& text);

// The text of WININIT.INI with "NULL = ownPath" and "NULL = scriptPath" (each ending in "\n")
// right below the first line that reads "[rename]" (any case, any white space around it), or, when
// there is none, "[rename]" and both lines appended at the end; with no file (old is nullopt)
// exactly those three lines. Every other line keeps its bytes and its own ending; a last line
// without one gets "\n" only when something follows it. nullopt when a path holds a line break or a
// NUL byte, which would add lines of its own.
std::optional<std::string> wininitWithRenames(std::optional<std::string_view> old, std::string_view ownPath,
                                              std::string_view scriptPath);

// Rewrites WININIT.INI in windowsDir with wininitWithRenames. With an existing file, WININIT.BAK
// afterwards holds the previous content; without one, a former WININIT.BAK is deleted. Returns false,
// with WININIT.INI and WININIT.BAK as they were, when any step fails.
bool rewriteWininit(const Folder& windowsDir, std::string_view ownPath, std::string_view scriptPath);

}  // namespace kwu
