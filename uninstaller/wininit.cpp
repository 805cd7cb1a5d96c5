#include "uninstaller/wininit.h"

#include "uninstaller/file_removal.h"
#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

constexpr std::string_view kIni = "WININIT.INI";
constexpr std::string_view kBak = "WININIT.BAK";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool readsRename(std::string_view line) {
    std::string probe(line);
    collapseBlanks(probe);
    return equalsNoCase(probe, "[rename]");
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

std::optional<std::string> wininitWithRenames(std::optional<std::string_view> old, std::string_view ownPath,
                                              std::string_view scriptPath) {
    for (const std::string_view path : {ownPath, scriptPath})
        if (path.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos) return std::nullopt;
    std::string entries;
    entries.append("NULL = ").append(ownPath).append("\n").append("NULL = ").append(scriptPath).append("\n");
    if (!old) return "[rename]\n" + entries;

    const std::string_view text = *old;
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto end = text.find('\n', pos);
        const bool lastWithoutEnding = end == std::string_view::npos;
        if (lastWithoutEnding) end = text.size();
        if (readsRename(text.substr(pos, end - pos))) {
            std::string updated(text.substr(0, end));
            updated += '\n';
            updated += entries;
            if (!lastWithoutEnding) updated.append(text.substr(end + 1));
            return updated;
        }
        pos = end + 1;
    }
    std::string updated(text);
    if (!updated.empty() && updated.back() != '\n') updated += '\n';
    return updated + "[rename]\n" + entries;
}

bool rewriteWininit(const Folder& windowsDir, std::string_view ownPath, std::string_view scriptPath) {
    const EntryKind kind = windowsDir.kind(kIni);
    if (kind != EntryKind::Missing && kind != EntryKind::File) return false;
    const std::optional<std::string> old = kind == EntryKind::File ? windowsDir.read(kIni) : std::nullopt;
    if (kind == EntryKind::File && !old) return false;
    const auto updated =
        wininitWithRenames(old ? std::optional<std::string_view>(*old) : std::nullopt, ownPath, scriptPath);
    if (!updated) return false;

    if (!old) {
        if (!windowsDir.writeAtomically(kIni, *updated)) return false;
        deleteWithAttributes(windowsDir, kBak);
        return true;
    }
    // The backup first, then the new file by rename: at every moment WININIT.INI is whole.
    const auto formerBackup = windowsDir.read(kBak);
    if (!windowsDir.writeAtomically(kBak, *old)) return false;
    if (windowsDir.writeAtomically(kIni, *updated)) return true;
    if (formerBackup)
        windowsDir.writeAtomically(kBak, *formerBackup);
    else
        deleteWithAttributes(windowsDir, kBak);
    return false;
}

}  // namespace kwu
