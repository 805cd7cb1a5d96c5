#pragma once
// The menu layer over freedesktop menu entries: the menu folder (share/applications under the
// installation root) holds one folder per group, and each item is a .desktop file in it, known by
// its file name without ".desktop" or by the Name of its [Desktop Entry]. Group and item names
// compare case-insensitively, as the old group manager's did. Everything is reached through the
// root opened at start (install_root.h); links are never followed, and a menu folder or group on
// another mount, a group that is a link or cannot be opened, and an item that cannot be deleted are
// left and reported.
//
// A group's items are read once, when the group is first shown in a conversation: a script of a
// million items deletes them in time proportional to its length.

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "uninstaller/folder.h"
#include "uninstaller/install_root.h"
#include "uninstaller/menu_layer.h"

namespace kwu {

class DesktopMenu : public MenuLayer {
  public:
    explicit DesktopMenu(const InstallRoot& root);

    // Reachable when the menu folder is a real folder, or when it does not exist (a menu with no
    // groups), or when it lies on another mount (a menu that is left, and reported); not when a
    // link, a file or anything unreadable stands in its place.
    bool connect() override;
    // Makes the group current; false (and no current group) when there is no such group.
    bool showGroup(std::string_view group) override;
    // Deletes the first item of the current group with that name.
    bool deleteItem(std::string_view item) override;
    // Deletes the group's folder with all its items.
    bool deleteGroup(std::string_view group) override;
    void disconnect() override;
    std::vector<std::string> leftInPlace() const override { return left_; }

  private:
    // One group's .desktop files as read when it was first shown, in name order, and where each
    // item name (file name stem or Name, in lower case) first appears among them.
    struct Candidates {
        std::vector<std::size_t> files;  // indexes into GroupItems::files, ascending
        std::size_t next = 0;            // the ones before it are deleted
    };
    struct GroupItems {
        std::vector<std::string> files;
        std::vector<bool> deleted;
        std::unordered_map<std::string, Candidates> byName;
    };

    // The name of the group's folder as it is spelled on disk. Anything else under the group's name
    // (a link, a file) is noted as left.
    std::optional<std::string> findGroup(std::string_view group);
    // The group's folder inside the menu, if it lies on the root's mount and can be opened (else
    // noted as left).
    std::optional<Folder> openGroup(const std::string& name);
    void leave(std::string reason);

    const InstallRoot& root_;
    std::vector<std::string> menuParts_;  // the menu folder below the root
    std::optional<Folder> menu_;          // empty while not connected or when there is no menu folder
    std::optional<Folder> current_;
    std::string currentName_;
    std::map<std::string, GroupItems> groups_;  // by folder name, for this conversation
    std::vector<std::string> left_;
    bool connected_ = false;
};

}  // namespace kwu
