#include "uninstaller/item_plan.h"

namespace kwu {

ItemPlan planItem(const UninstallScript& script, const RootGuard& guard, const InstallLayout& layout,
                  std::string_view section) {
    ItemPlan plan;
    if (isInstallerLogSection(section)) {
        plan.updatesLog = true;
        return plan;
    }
    const ItemEntry item = script.item(section);
    if (!item.location.empty()) {
        const bool system = equalsNoCase(item.location, "S");
        const bool windows = equalsNoCase(item.location, "W");
        std::string path;
        if (system || windows)
            path = ((system ? layout.systemDir : layout.windowsDir) / item.name).native();
        else
            path = item.location + "/" + item.name;
        if (auto refusal = plainNameRefusal(item.name); !refusal.empty()) {
            plan.refusals.push_back(std::move(refusal));
        } else if (Verdict target = guard.item(path); !target.ok()) {
            plan.refusals.push_back(std::move(target.refusal));
        } else {
            plan.file = (system || windows) ? ItemPlan::File::System : ItemPlan::File::Ordinary;
            plan.unregister = item.unregister;
            if (plan.unregister && plan.file == ItemPlan::File::Ordinary) {
                std::string spelled = std::filesystem::path(path).lexically_normal().native();
                if (spelled != target.path) plan.spelledPath = std::move(spelled);
            }
            plan.target = std::move(target);
        }
    }
    if (!item.menuItem.empty()) {
        if (auto refusal = menuNameRefusal(item.menuItem); !refusal.empty())
            plan.refusals.push_back(std::move(refusal));
        else
            plan.menuItem = item.menuItem;
    }
    return plan;
}

}  // namespace kwu
