// Any bytes as an uninstall script: the INI reader, the script's texts and items, the plan of every
// item (names, the root guard, the tree rules; planning touches no file), the INI writer's edits and
// the text shown to the user must neither crash nor read out of bounds. Checked as well: an
// unchanged text writes back byte for byte, a shown refusal holds no control byte, and the guard
// never hands out a part that is not a plain entry name.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "uninstaller/folder.h"
#include "uninstaller/ini_file.h"
#include "uninstaller/item_plan.h"
#include "uninstaller/path_guard.h"
#include "uninstaller/printable.h"
#include "uninstaller/uninstall_script.h"

namespace {

// A root that need not exist: planning and the guard never look at the disk.
const kwu::InstallLayout& layout() {
    static const kwu::InstallLayout l =
        kwu::InstallLayout::under("/nonexistent/kwu-fuzz/root", "/nonexistent/home");
    return l;
}

void check(bool ok) {
    if (!ok) std::abort();
}

void checkShown(std::string_view text) {
    for (const unsigned char c : text) check(c >= 0x20 && c != 0x7F);
}

void checkVerdict(const kwu::Verdict& v) {
    if (!v.ok()) {
        checkShown(v.refusal);
        check(v.parts.empty());
        return;
    }
    check(!v.parts.empty());
    for (const auto& part : v.parts) check(kwu::isEntryName(part));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    kwu::IniFile ini = kwu::IniFile::parse(text);
    check(ini.text() == text);
    const kwu::UninstallScript script(ini, "kwu");
    const kwu::RootGuard guard(layout());
    std::size_t sink =
        script.dialogTitle().size() + script.countLine().size() + script.menuUnreachableMessage().size();
    int index = 0;
    for (const auto& section : script.itemSections()) {
        const kwu::ItemPlan plan = kwu::planItem(script, guard, layout(), section);
        for (const auto& refusal : plan.refusals) checkShown(refusal);
        if (plan.file != kwu::ItemPlan::File::None) checkVerdict(plan.target);
        sink += plan.menuItem.size() + script.progressLine(++index).size();
        checkShown(kwu::printable(section));
    }
    checkVerdict(guard.tree(script.texts().directory));
    checkVerdict(guard.removable(script.texts().directory + "/kwp.ini"));

    // The edits the installer log and the stores make, on whatever section names came in.
    const auto names = ini.sectionNames();
    if (!names.empty()) {
        ini.clearSection(names.front());
        ini.setString(names.back(), "Status", "Removed");
        ini.removeSection(names[names.size() / 2]);
        check(ini.getString(names.back(), "status", "") == "Removed" ||
              kwu::equalsNoCase(names.back(), names[names.size() / 2]));
    }
    const std::string written = ini.text();
    const kwu::IniFile again = kwu::IniFile::parse(written);
    check(again.text() == written);
    sink += again.sectionNames().size();
    return sink == static_cast<std::size_t>(-1) ? 1 : 0;
}
