#pragma once
// The menu layer over freedesktop menu entries: the menu folder (share/applications under the
// installation root) holds one folder per group, and each item is a .desktop file in it, known by
// its file name without ".desktop" or by the Name of its [Desktop Entry]. Group and item names
// compare case-insensitively, as the old group manager's did. Everything is reached from the root's
// descriptor; links are never followed.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "uninstaller/folder.h"
#include "uninstaller/install_layout.h"
#include "uninstaller/menu_layer.h"

namespace kwu {

class DesktopMenu : public MenuLayer {
  public:
    explicit DesktopMenu(const InstallLayout& layout);

    // Reachable when the menu folder is a real folder, or when it does not exist (a menu with no
    // groups); not when a link, a file or anything unreadable stands in its place.
    bool connect() override;
    // Makes the group current; false (and no current group) when there is no such group.
    bool showGroup(std::string_view group) override;
    // Deletes the first item of the current group with that name.
    bool deleteItem(std::string_view item) override;
    // Deletes the group's folder with all its items.
    bool deleteGroup(std::string_view group) override;
    void disconnect() override;

  private:
    // The name of the group's folder as it is spelled on disk.
    std::optional<std::string> findGroup(std::string_view group) const;

    std::filesystem::path root_;
    std::vector<std::string> menuParts_;  // the menu folder below the root
    std::optional<Folder> menu_;          // empty while not connected or when there is no menu folder
    std::optional<Folder> current_;
    std::string currentName_;
    bool connected_ = false;
};

}  // namespace kwu
