#include "common/help.h"

#include <system_error>

namespace common {

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

std::string HelpNotShownText(const std::string& page) {
    return "The help page could not be shown:\n" + page + "\nPlease open this file in a web browser.";
}

bool ShowHelpTopic(ShellState& shell, platform::Launcher& launcher, platform::DialogService& dialogs,
                   const char* topic) {
    const std::filesystem::path folder = SelectFolder(shell, kProgramFolderRequest);
    const std::string page = (folder / kHelpFolder / topic).string();
    if (launcher.openDocument(page)) return true;
    dialogs.beep(platform::BeepSound::Stop);
    dialogs.messageBox(nullptr, HelpNotShownText(page), "ERROR", platform::BoxButtons::Ok,
                       platform::BoxIcon::Exclamation);
    return false;
}

bool ReturnToPlayerAfterHelp(ShellState& shell) {
    if (shell.PageCode != "ST") return false;
    SelectFolder(shell, kMidiFileFolder);
    return true;
}

}  // namespace common
