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

// How many levels below a tree's folder the removal goes; deeper folders are left and reported
// rather than risk running out of descriptors.
constexpr int kMaxTreeDepth = 200;

// Deletes the entry name of folder (a link is removed itself). A name that does not exist counts
// as deleted. A folder is not a file: false.
bool deleteWithAttributes(const Folder& folder, std::string_view name);
// As deleteWithAttributes, saying why the entry stays: 0 when it is gone, EISDIR for a folder, else
// the system's error number.
int deleteEntry(const Folder& folder, std::string_view name);

// A folder the walk could not do anything about, with the system's error number.
struct LeftFolder {
    std::string folder;  // relative to the tree's parent, as below
    int error = 0;
    bool operator==(const LeftFolder&) const = default;
};

// A folder in which entries could not be deleted (not counting folders left for a reason of their
// own, which are reported themselves).
struct StuckEntries {
    std::string folder;  // relative to the tree's parent, as below
    std::size_t count = 0;
    int error = 0;  // the first failure's error number
    bool operator==(const StuckEntries&) const = default;
};

struct TreeRemoval {
    bool gone = false;  // the tree's folder no longer exists
    // Folders left standing because they lie on another device or mount (a mount point), as paths
    // relative to the parent: "name/..." ("name" alone when the tree's folder itself is one).
    std::vector<std::string> otherMounts;
    // Folders left standing because they lie deeper than the walk goes, relative as above.
    std::vector<std::string> tooDeep;
    // Folders that could not be opened (no permission to enter or to list them).
    std::vector<LeftFolder> unopened;
    // Folders that kept entries which could not be deleted.
    std::vector<StuckEntries> stuck;

    // Whether anything above was reported: a tree that is not gone always reports why.
    bool reported() const {
        return !otherMounts.empty() || !tooDeep.empty() || !unopened.empty() || !stuck.empty();
    }
};

// Removes the folder name inside parent with everything below it, depth first. Links are removed
// as entries and never entered; a folder on another device or mount than the tree's folder is
// reported and left, and so is a tree whose folder is itself a mount point. Entries that cannot be
// deleted stay, and so does every folder above them; each folder is listed once, so the walk
// always ends. A tree that is not gone reports at least one reason.
TreeRemoval removeTree(const Folder& parent, std::string_view name);

// The summary lines for what a removal left, one a reason, with the folders' paths made from
// parentPath (the tree's parent as the user knows it).
std::vector<std::string> leftInPlace(const TreeRemoval& removal, const std::string& parentPath);

}  // namespace kwu
