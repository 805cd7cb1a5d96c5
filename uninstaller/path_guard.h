#pragma once
// The uninstaller's safety rules for names and paths taken from a script. Nothing outside the
// installation root is removed, no tree that other programs share is removed, and no name reaches
// the menu layer carrying characters that could read as a menu command. Every check answers with a
// refusal text the user can read (values shown with printable()), or an empty text when the value
// may be used.
//
// The checks here are lexical: they turn a path into its parts below the root. Links and mount
// points are met where the parts are walked (folder.h, file_removal.h), so a link swapped in after
// the check is refused all the same.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "uninstaller/install_layout.h"

namespace kwu {

struct Verdict {
    std::vector<std::string> parts;  // the entry's path below the root, one name a part
    std::string path;                // the resolved root joined with parts (bytes); empty when refused
    std::string refusal;             // why the value was refused; empty when it may be used
    bool ok() const { return refusal.empty(); }
};

class RootGuard {
  public:
    // A root that rootRefusal refuses makes every check below refuse with that reason.
    explicit RootGuard(const InstallLayout& layout);

    // A file (or a link, which is removed itself) that may be deleted: an absolute path without "."
    // or ".." parts and without control bytes, strictly inside the root (as resolved or as spelled).
    Verdict removable(std::string_view path) const;
    // A file a script's item may delete: removable, and not at or inside kwu's store folder, whose
    // files stand for the system's own lists (uninstallable programs, registered components,
    // deletions at the next start), which no item of a script could reach.
    Verdict item(std::string_view path) const;
    // A folder that may be removed with everything below it: removable, and neither at nor above a
    // folder that must stay (the folders of the layout, the top folders of the
    // prefix: bin, etc, include, lib, lib64, libexec, opt, sbin, share, state, var), nor at or inside
    // a well-known folder that programs share (the menu and kwu's stores, share/icons, share/mime,
    // lib/python3.x, ...). Whether the tree holds this installation's own files is for the caller to
    // ask (it needs the disk).
    Verdict tree(std::string_view folder) const;

    const std::filesystem::path& root() const { return root_; }

  private:
    std::filesystem::path root_;
    std::vector<std::string> rootParts_;
    std::vector<std::string> givenParts_;
    std::string rootRefusal_;
    std::vector<std::string> storeParts_;           // below the root
    std::vector<std::vector<std::string>> kept_;    // below the root
    std::vector<std::vector<std::string>> shared_;  // below the root; a last part "x*" is a prefix
};

// Why the layout's root may not be used: it is "/" or lies at or above a home folder ($HOME or the
// account's, each as resolved or as spelled). Empty when it may be used. This is the check by
// name; install_root.h checks the open root itself.
std::string rootRefusal(const InstallLayout& layout);

// A file name without folder: not empty, not "." or "..", no "/" or "\", no control bytes.
std::string plainNameRefusal(std::string_view name);
// A menu group or item name: as a file name, and also without the characters that build menu
// commands ("[", "]", "(", ")", ",", '"').
std::string menuNameRefusal(std::string_view name);

}  // namespace kwu
