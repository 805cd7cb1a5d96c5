#include "uninstaller/startup.h"

namespace kwu {

int startUninstaller(const ProgramNames& names, Prompter& prompter,
                     const std::function<int(const UninstallScript&, const InstallRoot&)>& runDialog) {
    auto ini = IniFile::load(names.scriptPath);
    if (!ini) {
        prompter.tell(Message{"Initialization File Missing", "Aborting", false, false, false});
        return 1;
    }
    const UninstallScript script(std::move(*ini), names.baseName);
    const auto layout = InstallLayout::fromEnvironment();
    if (!layout) {
        prompter.tell(
            Message{"Cannot find the installation root: set KWU_ROOT to an absolute folder, or HOME.",
                    "Aborting", true});
        return 1;
    }
    const InstallRoot root = InstallRoot::open(*layout);
    if (!root.usable()) {
        prompter.tell(Message{root.refusal(), "Aborting", true});
        return 1;
    }
    return runDialog(script, root);
}

}  // namespace kwu
