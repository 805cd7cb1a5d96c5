#include "uninstaller/installer_log.h"

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"

namespace kwu {

bool updateInstallerLog(const Folder& directory, std::string_view title) {
    const auto text = directory.read(kInstallerLogFile);
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
