#include "uninstaller/service_stores.h"

#include <string>

#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

bool removeSectionFrom(const Folder& dir, std::string_view file, std::string_view section) {
    const auto text = dir.read(file);
    if (!text) return false;
    IniFile ini = IniFile::parse(*text);
    if (!ini.removeSection(section)) return false;
    return dir.writeAtomically(file, ini.text());
}

}  // namespace

bool UninstallEntries::removeEntry(std::string_view program) const {
    return removeSectionFrom(dir_, kUninstallStoreName, program);
}

bool ComponentRegistrar::unregister(const std::filesystem::path& component) const {
    return removeSectionFrom(dir_, kRegistrarStoreName, component.native());
}

bool PendingDeletes::schedule(const std::filesystem::path& path) const {
    const std::string& text = path.native();
    if (text.find_first_of(std::string_view("\n\r\0", 3)) != std::string::npos) return false;
    return dir_.append(kPendingListName, text + "\n");
}

}  // namespace kwu
