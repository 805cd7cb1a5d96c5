#include "app/help.h"

#include <system_error>

namespace app {

const char* SearchTopic(const std::string& pageCode) {
    switch (pageCode.empty() ? '\0' : pageCode.front()) {
        case 'H':
            return kIntroTopic;
        case 'C':
            return kComboTopic;
        case 'D':
            return kDrumTabTopic;
        case 'S':
            return kSetupTopic;
        default:
            return kIndexTopic;
    }
}

bool HelpPagesPresent(const std::filesystem::path& folder) {
    std::error_code ec;
    for (const char* topic : kHelpTopics)
        if (!std::filesystem::is_regular_file(folder / kHelpFolder / topic, ec)) return false;
    return true;
}

void ShowHelpTopic(ShellState& shell, platform::Launcher& launcher, const char* topic) {
    const std::filesystem::path folder = SelectFolder(shell, kProgramFolderRequest);
    launcher.openDocument((folder / kHelpFolder / topic).string());
}

bool ReturnToPlayerAfterHelp(ShellState& shell) {
    if (shell.PageCode != "ST") return false;
    SelectFolder(shell, kMidiFileFolder);
    return true;
}

}  // namespace app
