#pragma once
// The menu layer over freedesktop menu entries: the menu folder (share/applications under the
// installation root) holds one folder per group, and each item is a .desktop file in it, known by
// its file name without ".desktop" or by the Name of its [Desktop Entry]. Group and item names
// compare case-insensitively, as the old group manager's did. Links are never followed.

#include <filesystem>
#include <optional>
#include <string>

#include "uninstaller/menu_layer.h"

namespace kwu {

class DesktopMenu : public MenuLayer {
  public:
    explicit DesktopMenu(std::filesystem::path menuDir) : menuDir_(std::move(menuDir)) {}

    // Reachable when the menu folder is a real folder.
    bool connect() override;
    // Makes the group current; false (and no current group) when there is no such group.
    bool showGroup(std::string_view group) override;
    // Deletes the first item of the current group with that name.
    bool deleteItem(std::string_view item) override;
    // Deletes the group's folder with all its items.
    bool deleteGroup(std::string_view group) override;
    void disconnect() override;

  private:
    std::optional<std::filesystem::path> findGroup(std::string_view group) const;

    std::filesystem::path menuDir_;
    std::optional<std::filesystem::path> current_;
    bool connected_ = false;
};

}  // namespace kwu
