#pragma once
// Deleting files and folder trees below an open folder (folder.h), never through a symbolic link
// and never onto another mount. Callers check names against the installation root first
// (path_guard.h).
//
// Modes: a file's own mode never governs whether it can be deleted on Linux, so it is never
// changed (a hard link shares it with a file elsewhere). When a deletion is refused because its
// folder is not writable by its owner, the folder is made writable for a second attempt and its
// mode is put back as soon as the folder is done with.

#include <string>
#include <string_view>
#include <vector>

#include "uninstaller/folder.h"

namespace kwu {

// Deletes the entry name of folder (a link is removed itself). A name that does not exist counts
// as deleted. A folder is not a file: false.
bool deleteWithAttributes(const Folder& folder, std::string_view name);

struct TreeRemoval {
    bool gone = false;  // the tree's folder no longer exists
    // Folders left standing because they lie on another device or mount (a mount point), as paths
    // relative to the parent: "name/..." ("name" alone when the tree's folder itself is one).
    std::vector<std::string> otherMounts;
    // Folders left standing because they lie deeper than the walk goes, relative as above.
    std::vector<std::string> tooDeep;
};

// Removes the folder name inside parent with everything below it, depth first. Links are removed
// as entries and never entered; a folder on another device or mount than the tree's folder is
// reported and left, and so is a tree whose folder is itself a mount point. Entries that cannot be
// deleted stay, and so does every folder above them; each folder is listed once, so the walk
// always ends.
TreeRemoval removeTree(const Folder& parent, std::string_view name);

}  // namespace kwu
