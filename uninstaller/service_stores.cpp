#include "uninstaller/service_stores.h"

#include <string>

#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

// Rewrites the INI file with edit applied; false when it cannot be read or written, or when edit
// changed nothing.
template <typename Edit>
bool editStore(const Folder& dir, std::string_view file, Edit edit) {
    const auto text = dir.read(file);
    if (!text) return false;
    IniFile ini = IniFile::parse(*text);
    if (!edit(ini)) return false;
    return dir.writeAtomically(file, ini.text());
}

}  // namespace

bool UninstallEntries::removeEntry(std::string_view program) const {
    return editStore(dir_, kUninstallStoreName,
                     [program](IniFile& ini) { return ini.removeSections(program) > 0; });
}

bool ComponentRegistrar::unregister(const std::filesystem::path& component) const {
    return editStore(dir_, kRegistrarStoreName,
                     [&component](IniFile& ini) { return ini.removeSection(component.native()); });
}

bool PendingDeletes::schedule(const std::filesystem::path& path) const {
    const std::string& text = path.native();
    if (text.find_first_of(std::string_view("\n\r\0", 3)) != std::string::npos) return false;
    return dir_.append(kPendingListName, text + "\n");
}

}  // namespace kwu
