#pragma once
// Deleting files and folder trees without following symbolic links. Callers check paths against
// the installation root first (path_guard.h); these functions only refuse to walk through links.

#include <filesystem>

namespace kwu {

// Deletes one file (a link is removed itself). A path that does not exist counts as deleted. When
// the first attempt fails the file is made writable and its folder writable by its owner (the
// counterpart of clearing the read-only attribute), and the result of a second attempt counts.
// A folder is not a file: false.
bool deleteWithAttributes(const std::filesystem::path& path);

// Removes folder and everything below it, depth first, never entering a link (links are removed as
// entries). Entries that cannot be deleted stay, and so does every folder above them; the walk
// visits each entry once, so it always ends. Returns whether folder is gone.
bool removeTree(const std::filesystem::path& folder);

}  // namespace kwu
