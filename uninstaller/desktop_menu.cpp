#include "uninstaller/desktop_menu.h"

#include <algorithm>
#include <vector>

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/path_guard.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

std::vector<fs::directory_entry> sortedEntries(const fs::path& folder) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return entries;
}

bool isRealFolder(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() == fs::file_type::directory;
}

}  // namespace

bool DesktopMenu::connect() {
    connected_ = isRealFolder(menuDir_);
    current_.reset();
    return connected_;
}

std::optional<fs::path> DesktopMenu::findGroup(std::string_view group) const {
    if (!connected_ || !menuNameRefusal(group).empty()) return std::nullopt;
    for (const auto& entry : sortedEntries(menuDir_)) {
        if (equalsNoCase(entry.path().filename().string(), group) && isRealFolder(entry.path()))
            return entry.path();
    }
    return std::nullopt;
}

bool DesktopMenu::showGroup(std::string_view group) {
    current_ = findGroup(group);
    return current_.has_value();
}

bool DesktopMenu::deleteItem(std::string_view item) {
    if (!current_ || !menuNameRefusal(item).empty()) return false;
    for (const auto& entry : sortedEntries(*current_)) {
        std::error_code ec;
        if (!entry.is_regular_file(ec) || entry.is_symlink(ec) || entry.path().extension() != ".desktop")
            continue;
        bool match = equalsNoCase(entry.path().stem().string(), item);
        if (!match) {
            const auto desktop = IniFile::load(entry.path());
            match = desktop && equalsNoCase(desktop->getString("Desktop Entry", "Name", ""), item);
        }
        if (match) return deleteWithAttributes(entry.path());
    }
    return false;
}

bool DesktopMenu::deleteGroup(std::string_view group) {
    const auto folder = findGroup(group);
    if (!folder) return false;
    if (current_ == folder) current_.reset();
    return removeTree(*folder);
}

void DesktopMenu::disconnect() {
    connected_ = false;
    current_.reset();
}

}  // namespace kwu
