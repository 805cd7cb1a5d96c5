#include "uninstaller/wininit.h"

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

void collapseBlanks(std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool pending = false;
    for (const char c : text) {
        if (isBlank(c)) {
            pending = !out.empty();
            continue;
        }
        if (pending) out += ' ';
        pending = false;
        out += c;
    }
    text = std::move(out);
}

bool rewriteWininit(const std::filesystem::path& windowsDir, const std::string& ownPath,
                    const std::string& scriptPath) {
    const auto ini = windowsDir / "WININIT.INI";
    const auto bak = windowsDir / "WININIT.BAK";
    const std::string entries = "NULL = " + ownPath + "\n" + "NULL = " + scriptPath + "\n";

    std::error_code ec;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(ini, ec));
    if (!existed) {
        if (!writeFileAtomically(ini, "[rename]\n" + entries)) return false;
        deleteWithAttributes(bak);
        return true;
    }

    const auto old = readWholeFile(ini);
    if (!old) return false;
    std::string updated;
    bool inserted = false;
    std::size_t pos = 0;
    while (pos < old->size()) {
        auto end = old->find('\n', pos);
        const bool lastWithoutEnd = end == std::string::npos;
        if (lastWithoutEnd) end = old->size();
        const std::string line = old->substr(pos, end - pos);
        updated += line;
        updated += '\n';
        if (!inserted) {
            std::string probe = line;
            collapseBlanks(probe);
            if (equalsNoCase(probe, "[rename]")) {
                updated += entries;
                inserted = true;
            }
        }
        pos = end + 1;
    }
    if (!inserted) updated += "[rename]\n" + entries;

    // The backup first, then the new file by rename: at every moment WININIT.INI is whole.
    const auto formerBackup = readWholeFile(bak);
    if (!writeFileAtomically(bak, *old)) return false;
    if (writeFileAtomically(ini, updated)) return true;
    if (formerBackup)
        writeFileAtomically(bak, *formerBackup);
    else
        deleteWithAttributes(bak);
    return false;
}

}  // namespace kwu
