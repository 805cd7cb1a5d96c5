#pragma once
// The help: HTML pages in help/ below the program folder, one per topic, opened in the
// desktop's browser. F1 opens the topic of the page the user is on or came from (PageCode),
// F2 the index. User-interface thread only.

#include <array>
#include <filesystem>
#include <string>

#include "common/folders.h"
#include "common/program_wide.h"
#include "platform/dialogs.h"
#include "platform/launcher.h"

namespace common {

inline constexpr const char* kIntroTopic = "Intro.htm";
inline constexpr const char* kSetupTopic = "Setup.htm";
inline constexpr const char* kDrumTabTopic = "DrumTab.htm";
inline constexpr const char* kComboTopic = "Combo.htm";
inline constexpr const char* kIndexTopic = "Index.htm";
inline constexpr std::array<const char*, 5> kHelpTopics = {kIntroTopic, kSetupTopic, kDrumTabTopic,
                                                           kComboTopic, kIndexTopic};

// F1's topic by the first letter of the page code: H the introduction, C the accompaniment
// page, D the drum tab and the drum grid, S the setup page, anything else the index.
const char* SearchTopic(const std::string& pageCode);

// True when every topic's page is in help/ below folder.
bool HelpPagesPresent(const std::filesystem::path& folder);

// Makes the program folder current and asks the launcher to open the topic's page there. When
// the desktop cannot open it (no browser, no launcher) a box after a beep names the page's file,
// so the user can open it by hand. True when the launcher took the page.
bool ShowHelpTopic(ShellState& shell, platform::Launcher& launcher, platform::DialogService& dialogs,
                   const char* topic);

// The box text for a help page the desktop could not open.
std::string HelpNotShownText(const std::string& page);

// After either help command: on the setup page ("ST") the MIDI file folder becomes current
// again and the caller shows the player page (returns true).
bool ReturnToPlayerAfterHelp(ShellState& shell);

}  // namespace common
