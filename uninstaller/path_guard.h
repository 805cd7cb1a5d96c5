#pragma once
// The uninstaller's safety rules for names and paths taken from a script. Nothing outside the
// installation root is removed, no symbolic link is followed, and no name reaches the menu layer
// carrying characters that could read as a menu command. Every check answers with a refusal text
// the user can read, or an empty text when the value may be used.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "uninstaller/install_layout.h"

namespace kwu {

struct Verdict {
    std::filesystem::path path;  // the path to use (rebased onto the resolved root); empty if refused
    std::string refusal;         // why the value was refused; empty when it may be used
    bool ok() const { return refusal.empty(); }
};

class RootGuard {
  public:
    explicit RootGuard(const InstallLayout& layout);

    // A file (or a link, which is removed itself) that may be deleted: an absolute path without "."
    // or ".." parts, strictly inside the root, and with no symbolic link among its folders.
    Verdict removable(std::string_view path) const;
    // A folder that may be removed with everything below it: removable, not itself a link, and
    // neither equal to nor above the home folder, the folders of the layout, or the shared folders
    // of the prefix (bin, etc, include, lib, lib64, libexec, opt, sbin, share, state, var).
    Verdict tree(std::string_view folder) const;

    const std::filesystem::path& root() const { return root_; }

  private:
    std::filesystem::path root_;
    std::filesystem::path rootAsGiven_;
    std::vector<std::filesystem::path> kept_;
};

// A file name without folder: not empty, not "." or "..", no "/" or "\", no control characters.
std::string plainNameRefusal(std::string_view name);
// A menu group or item name: a plain name that also carries none of the characters that build
// menu commands ("[", "]", "(", ")", ",", '"').
std::string menuNameRefusal(std::string_view name);

}  // namespace kwu
