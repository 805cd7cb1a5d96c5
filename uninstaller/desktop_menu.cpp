#include "uninstaller/desktop_menu.h"

#include <algorithm>

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/path_guard.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

std::vector<std::string> sortedNames(const Folder& folder) {
    auto names = folder.list();
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

DesktopMenu::DesktopMenu(const InstallLayout& layout) : root_(layout.root) {
    const fs::path below = layout.menuDir.lexically_relative(layout.root);
    for (const auto& part : below) menuParts_.push_back(part.native());
}

bool DesktopMenu::connect() {
    disconnect();
    Reached root = Folder::open(root_);
    if (root.reach == Reach::Missing) {
        connected_ = true;
        return true;
    }
    if (root.reach != Reach::Ok) return false;
    Reached menu = root.folder->descend(menuParts_);
    if (menu.reach == Reach::Ok) menu_ = std::move(menu.folder);
    connected_ = menu.reach == Reach::Ok || menu.reach == Reach::Missing;
    return connected_;
}

std::optional<std::string> DesktopMenu::findGroup(std::string_view group) const {
    if (!menu_ || !menuNameRefusal(group).empty()) return std::nullopt;
    for (const auto& name : sortedNames(*menu_))
        if (equalsNoCase(name, group) && menu_->kind(name) == EntryKind::Folder) return name;
    return std::nullopt;
}

bool DesktopMenu::showGroup(std::string_view group) {
    current_.reset();
    currentName_.clear();
    const auto name = findGroup(group);
    if (!name) return false;
    Reached folder = menu_->child(*name);
    if (folder.reach != Reach::Ok) return false;
    current_ = std::move(folder.folder);
    currentName_ = *name;
    return true;
}

bool DesktopMenu::deleteItem(std::string_view item) {
    if (!current_ || !menuNameRefusal(item).empty()) return false;
    constexpr std::string_view kExtension = ".desktop";
    for (const auto& name : sortedNames(*current_)) {
        if (name.size() <= kExtension.size() || !name.ends_with(kExtension)) continue;
        if (current_->kind(name) != EntryKind::File) continue;
        bool match = equalsNoCase(std::string_view(name).substr(0, name.size() - kExtension.size()), item);
        if (!match) {
            const auto text = current_->read(name);
            match = text && equalsNoCase(IniFile::parse(*text).getString("Desktop Entry", "Name", ""), item);
        }
        if (match) return deleteWithAttributes(*current_, name);
    }
    return false;
}

bool DesktopMenu::deleteGroup(std::string_view group) {
    const auto name = findGroup(group);
    if (!name) return false;
    if (*name == currentName_) {
        current_.reset();
        currentName_.clear();
    }
    return removeTree(*menu_, *name).gone;
}

void DesktopMenu::disconnect() {
    connected_ = false;
    menu_.reset();
    current_.reset();
    currentName_.clear();
}

}  // namespace kwu
