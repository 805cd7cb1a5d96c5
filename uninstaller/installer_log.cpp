#include "uninstaller/installer_log.h"

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"

namespace kwu {

bool updateInstallerLog(const std::filesystem::path& log, std::string_view title) {
    const auto ini = IniFile::load(log);
    int others = 0;
    if (ini)
        for (const auto& name : ini->sectionNames())
            if (!equalsNoCase(name, title)) ++others;
    if (others == 0) return deleteWithAttributes(log);
    IniFile updated = *ini;
    updated.clearSection(title);
    updated.setString(title, "Status", "Removed");
    return updated.save(log);
}

}  // namespace kwu
