#include "uninstaller/tree_ownership.h"

#include "uninstaller/file_removal.h"
#include "uninstaller/installer_log.h"

namespace kwu {
namespace {

std::optional<ForeignProgram> search(const Folder& folder, const MountIdentity& top, std::string_view title,
                                     const std::string& at, int depth) {
    const auto names = folder.list();
    for (const auto& name : names) {
        if (!equalsNoCase(name, kInstallerLogFile)) continue;
        const std::string path = at.empty() ? name : at + "/" + name;
        std::string unreadable;
        const auto text = readInstallerLog(folder, name, unreadable);
        if (!unreadable.empty()) return ForeignProgram{path, {}, std::move(unreadable)};
        if (!text) continue;
        const IniFile log = IniFile::parse(*text);
        for (const auto& section : log.sectionNames())
            if (!equalsNoCase(section, title) && isLiveSection(log, section))
                return ForeignProgram{path, section, {}};
    }
    if (depth >= kMaxTreeDepth) return std::nullopt;
    for (const auto& name : names) {
        if (folder.kind(name) != EntryKind::Folder) continue;
        Reached sub = folder.child(name);
        if (sub.reach != Reach::Ok || !sub.folder->mount().sameMountAs(top)) continue;
        if (auto found = search(*sub.folder, top, title, at.empty() ? name : at + "/" + name, depth + 1))
            return found;
    }
    return std::nullopt;
}

}  // namespace

bool isLiveSection(const IniFile& log, std::string_view section) {
    return !equalsNoCase(log.getString(section, "Status", ""), "Removed");
}

std::optional<ForeignProgram> findForeignProgram(const Folder& tree, std::string_view title) {
    return search(tree, tree.mount(), title, "", 0);
}

}  // namespace kwu
