#include "uninstaller/startup.h"

namespace kwu {

int startUninstaller(const ProgramNames& names, Prompter& prompter,
                     const std::function<int(const UninstallScript&)>& runDialog) {
    auto ini = IniFile::load(names.scriptPath);
    if (!ini) {
        prompter.tell(Message{"Initialization File Missing", "Aborting", false, false, false});
        return 1;
    }
    const UninstallScript script(std::move(*ini), names.baseName);
    return runDialog(script);
}

}  // namespace kwu
