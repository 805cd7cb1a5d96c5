#pragma once
// The installation root, opened once when the program starts. Every check of the root is made on
// that descriptor, and everything the run reads, writes or removes is reached through it, so
// whatever is done to the root's path while the dialog is up (the folder renamed, a link to its
// parent put in its place) changes nothing about where the run works.
//
// The checks: the root is not the top of the file system, and neither a home folder ($HOME or the
// account's, as the user database has it) nor any folder above one, both by name (rootRefusal) and
// by the folders' identities (a bind mount or a link the names do not show). The root's device and
// mount are kept: no walk below the root ever leaves them.

#include <optional>
#include <string>
#include <vector>

#include "uninstaller/folder.h"
#include "uninstaller/install_layout.h"

namespace kwu {

class InstallRoot {
  public:
    // Opens and checks layout.root. A root that does not exist is not refused: nothing is below it.
    static InstallRoot open(const InstallLayout& layout);

    const InstallLayout& layout() const { return layout_; }
    // Why the root may not be used; empty when it may.
    const std::string& refusal() const { return refusal_; }
    bool usable() const { return refusal_.empty(); }
    // Whether the root was there when it was opened.
    bool exists() const { return folder_.has_value(); }
    const MountIdentity& mount() const { return mount_; }
    // Where the opened root is now, as the system names its descriptor: what was checked at start
    // even when its path has been renamed or replaced since (the layout's root when the system
    // cannot tell, or when the root is not there).
    std::filesystem::path currentPath() const;

    // Walks down from the root, never through a link and never onto another mount (Missing when
    // the root is not there or was refused).
    Reached reach(const std::vector<std::string>& parts) const;
    // As reach, creating missing folders on the way.
    Reached reachCreating(const std::vector<std::string>& parts) const;

  private:
    InstallRoot() = default;

    InstallLayout layout_;
    std::optional<Folder> folder_;
    MountIdentity mount_;
    std::string refusal_;
};

}  // namespace kwu
