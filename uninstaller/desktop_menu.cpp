#include "uninstaller/desktop_menu.h"

#include <algorithm>
#include <cstring>

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/path_guard.h"
#include "uninstaller/printable.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kExtension = ".desktop";

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::vector<std::string> sortedNames(const Folder& folder) {
    auto names = folder.list();
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

DesktopMenu::DesktopMenu(const InstallRoot& root) : root_(root) {
    const InstallLayout& layout = root.layout();
    for (const auto& part : layout.menuDir.lexically_relative(layout.root))
        menuParts_.push_back(part.native());
}

void DesktopMenu::leave(std::string reason) {
    if (std::find(left_.begin(), left_.end(), reason) == left_.end()) left_.push_back(std::move(reason));
}

bool DesktopMenu::connect() {
    disconnect();
    left_.clear();
    if (!root_.usable()) return false;
    Reached menu = root_.reach(menuParts_);
    if (menu.reach == Reach::Ok) menu_ = std::move(menu.folder);
    if (menu.reach == Reach::OtherMount) {
        fs::path at = root_.layout().root;
        for (std::size_t i = 0; i <= menu.stoppedAt && i < menuParts_.size(); ++i) at /= menuParts_[i];
        leave("Left the menu " + inQuotes(root_.layout().menuDir.native()) + ": " + inQuotes(at.native()) +
              " lies on another device or mount, which the uninstaller never enters.");
    }
    connected_ = menu.reach == Reach::Ok || menu.reach == Reach::Missing || menu.reach == Reach::OtherMount;
    return connected_;
}

std::optional<std::string> DesktopMenu::findGroup(std::string_view group) {
    if (!menu_ || !menuNameRefusal(group).empty()) return std::nullopt;
    std::optional<std::string> found;
    for (const auto& name : sortedNames(*menu_)) {
        if (!equalsNoCase(name, group)) continue;
        const EntryKind kind = menu_->kind(name);
        if (kind == EntryKind::Folder) {
            if (!found) found = name;
            continue;
        }
        // Something else stands under the group's name: it is left, and the user told why.
        const std::string shown = inQuotes((root_.layout().menuDir / name).native());
        if (kind == EntryKind::Link)
            leave("Left the menu group " + shown +
                  " with its items: it is a symbolic link, which the uninstaller never follows.");
        else if (kind != EntryKind::Missing)
            leave("Left " + shown + ", which stands under the menu group's name: it is not a folder.");
    }
    return found;
}

std::optional<Folder> DesktopMenu::openGroup(const std::string& name) {
    Reached folder = menu_->child(name);
    if (folder.reach == Reach::Failed)
        leave("Left the menu group " + inQuotes((root_.layout().menuDir / name).native()) +
              " with its items: it cannot be opened" +
              (folder.error != 0 ? " (" + std::string(std::strerror(folder.error)) + ")" : std::string()) +
              ".");
    if (folder.reach != Reach::Ok) return std::nullopt;
    if (!folder.folder->mount().sameMountAs(root_.mount())) {
        leave("Left the menu group " + inQuotes((root_.layout().menuDir / name).native()) +
              " with its items: it lies on another device or mount, which the uninstaller never enters.");
        return std::nullopt;
    }
    return std::move(folder.folder);
}

bool DesktopMenu::showGroup(std::string_view group) {
    current_.reset();
    currentName_.clear();
    const auto name = findGroup(group);
    if (!name) return false;
    auto folder = openGroup(*name);
    if (!folder) return false;
    if (!groups_.contains(*name)) {
        GroupItems items;
        for (auto& file : sortedNames(*folder)) {
            if (file.size() <= kExtension.size() || !file.ends_with(kExtension)) continue;
            if (folder->kind(file) != EntryKind::File) continue;
            const std::size_t index = items.files.size();
            const std::string stem =
                lowered(std::string_view(file).substr(0, file.size() - kExtension.size()));
            items.byName[stem].files.push_back(index);
            const auto text = folder->read(file);
            if (text) {
                const std::string title =
                    lowered(IniFile::parse(*text).getString("Desktop Entry", "Name", ""));
                if (title != stem) items.byName[title].files.push_back(index);
            }
            items.files.push_back(std::move(file));
        }
        items.deleted.assign(items.files.size(), false);
        groups_.emplace(*name, std::move(items));
    }
    current_ = std::move(folder);
    currentName_ = *name;
    return true;
}

bool DesktopMenu::deleteItem(std::string_view item) {
    if (!current_ || !menuNameRefusal(item).empty()) return false;
    GroupItems& items = groups_.at(currentName_);
    const auto found = items.byName.find(lowered(item));
    if (found == items.byName.end()) return false;
    // Items already deleted are skipped once and for all, so each costs one step in all.
    Candidates& candidates = found->second;
    while (candidates.next < candidates.files.size() && items.deleted[candidates.files[candidates.next]])
        ++candidates.next;
    if (candidates.next == candidates.files.size()) return false;
    const std::size_t index = candidates.files[candidates.next];
    items.deleted[index] = true;
    const int error = deleteEntry(*current_, items.files[index]);
    // One line an item, so not through leave, whose look for a line already there would cost a
    // scan of all of them for each.
    if (error != 0)
        left_.push_back("Left the menu item " +
                        inQuotes((root_.layout().menuDir / currentName_ / items.files[index]).native()) +
                        ": it could not be deleted (" + std::strerror(error) + ").");
    return error == 0;
}

bool DesktopMenu::deleteGroup(std::string_view group) {
    const auto name = findGroup(group);
    if (!name) return false;
    if (*name == currentName_) {
        current_.reset();
        currentName_.clear();
    }
    groups_.erase(*name);
    if (!openGroup(*name)) return false;
    const TreeRemoval removal = removeTree(*menu_, *name);
    for (auto& line : kwu::leftInPlace(removal, root_.layout().menuDir.native())) leave(std::move(line));
    return removal.gone;
}

void DesktopMenu::disconnect() {
    connected_ = false;
    menu_.reset();
    current_.reset();
    currentName_.clear();
    groups_.clear();
}

}  // namespace kwu
