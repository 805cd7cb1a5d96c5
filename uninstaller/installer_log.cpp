#include "uninstaller/installer_log.h"

#include <cerrno>
#include <cstring>

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"

namespace kwu {

std::optional<std::string> readInstallerLog(const Folder& folder, std::string_view name,
                                            std::string& unreadable) {
    unreadable.clear();
    ReadFailure failure;
    auto text = folder.read(name, &failure);
    if (text) return text;
    switch (failure.kind) {
        case EntryKind::Missing:
            break;
        case EntryKind::Folder:
            unreadable = "it is a folder";
            break;
        case EntryKind::Link:
            unreadable = "it is a symbolic link, which the uninstaller never follows";
            break;
        case EntryKind::Other:
            unreadable = "it is not a regular file";
            break;
        default:
            unreadable = std::strerror(failure.error != 0 ? failure.error : EIO);
            break;
    }
    return std::nullopt;
}

bool updateInstallerLog(const Folder& directory, std::string_view title, std::string* unreadable) {
    std::string why;
    const auto text = readInstallerLog(directory, kInstallerLogFile, why);
    if (!why.empty()) {
        if (unreadable) *unreadable = std::move(why);
        return false;
    }
    IniFile log = text ? IniFile::parse(*text) : IniFile{};
    int others = 0;
    for (const auto& name : log.sectionNames())
        if (!equalsNoCase(name, title)) ++others;
    if (others == 0) return deleteWithAttributes(directory, kInstallerLogFile);
    log.clearSection(title);
    log.setString(title, "Status", "Removed");
    return directory.writeAtomically(kInstallerLogFile, log.text());
}

}  // namespace kwu
