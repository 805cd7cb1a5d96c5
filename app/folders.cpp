#include "app/folders.h"

#include <cstdlib>
#include <system_error>

namespace app {

namespace fs = std::filesystem;

fs::path ProgramFolderFromEnvironment() {
    if (const char* home = std::getenv("QUINTORA_HOME"); home && *home) return fs::path(home);
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "Quintora2";
    const char* user = std::getenv("HOME");
    return fs::path(user && *user ? user : ".") / ".local" / "share" / "Quintora2";
}

bool EnterProgramFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    for (const fs::path& p : {folder, folder / kArrangementFolder, folder / kMidiFileFolder}) {
        fs::create_directories(p, ec);
        if (ec) {
            error = "cannot create " + p.string() + ": " + ec.message();
            return false;
        }
    }
    fs::current_path(folder, ec);
    if (ec) {
        error = "cannot enter " + folder.string() + ": " + ec.message();
        return false;
    }
    return true;
}

void RememberStartFolder(ShellState& shell) {
    std::error_code ec;
    fs::path here = fs::current_path(ec);
    shell.StartDir = ec ? std::string() : here.string();
    shell.StartDrive = 0;
}

fs::path GoToFolder(ShellState& shell) {
    std::error_code ec;
    if (!shell.StartDir.empty()) fs::current_path(shell.StartDir, ec);
    fs::path here = fs::current_path(ec);
    // A data folder is recognised by its whole last component, case and all.
    fs::path last = here.filename();
    if (last.empty()) last = here.parent_path().filename();  // a path with a trailing separator
    if (last == kMidiFileFolder || last == kArrangementFolder) fs::current_path("..", ec);
    if (shell.FolderRequest == kArrangementFolder)
        fs::current_path(kArrangementFolder, ec);
    else if (shell.FolderRequest == kMidiFileFolder)
        fs::current_path(kMidiFileFolder, ec);
    fs::path now = fs::current_path(ec);
    return ec ? fs::path() : now;
}

fs::path SelectFolder(ShellState& shell, const char* request) {
    shell.FolderRequest = request;
    return GoToFolder(shell);
}

}  // namespace app
