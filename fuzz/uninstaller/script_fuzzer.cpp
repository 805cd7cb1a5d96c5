// Any bytes as an uninstall script: the INI reader, the script's texts and items, the name checks,
// the INI writer's edits and the [rename] matching must neither crash nor read out of bounds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "uninstaller/ini_file.h"
#include "uninstaller/path_guard.h"
#include "uninstaller/uninstall_script.h"
#include "uninstaller/wininit.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kwu::IniFile ini = kwu::IniFile::parse(text);
    const kwu::UninstallScript script(ini, "kwu");
    std::size_t sink =
        script.dialogTitle().size() + script.countLine().size() + script.menuUnreachableMessage().size();
    int index = 0;
    for (const auto& section : script.itemSections()) {
        const kwu::ItemEntry item = script.item(section);
        sink += kwu::plainNameRefusal(item.name).size() + kwu::menuNameRefusal(item.menuItem).size();
        sink += script.progressLine(++index).size() + kwu::isInstallerLogSection(section);
    }
    // The edits the installer log and the stores make, on whatever section names came in.
    const auto names = ini.sectionNames();
    if (!names.empty()) {
        ini.clearSection(names.front());
        ini.setString(names.back(), "Status", "Removed");
        ini.removeSection(names[names.size() / 2]);
    }
    const std::string written = ini.text();
    const kwu::IniFile again = kwu::IniFile::parse(written);
    sink += again.sectionNames().size();
    std::string line(text.substr(0, 300));
    kwu::collapseBlanks(line);
    sink += line.size();
    return sink == static_cast<std::size_t>(-1) ? 1 : 0;
}
