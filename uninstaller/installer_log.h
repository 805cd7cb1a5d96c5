#pragma once
// The installer's log kwp.ini in the application directory: one section per installed program.

#include <filesystem>
#include <string_view>

namespace kwu {

// When the log holds sections of other programs, the section named title is emptied and gets
// "Status=Removed"; when it holds no other section (or does not exist), the log is deleted.
// Returns whether the log ended up updated or gone.
bool updateInstallerLog(const std::filesystem::path& log, std::string_view title);

}  // namespace kwu
