#include "common/folders.h"

#include <cstdlib>
#include <system_error>

namespace common {

namespace fs = std::filesystem;

fs::path ProgramFolderFromEnvironment() {
    if (const char* home = std::getenv("QUINTORA_HOME"); home && *home) return fs::path(home);
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return fs::path(data) / "Quintora2";
    const char* user = std::getenv("HOME");
    return fs::path(user && *user ? user : ".") / ".local" / "share" / "Quintora2";
}

namespace {

// The whole last name, a trailing separator aside.
fs::path lastName(const fs::path& p) {
    fs::path last = p.filename();
    return last.empty() ? p.parent_path().filename() : last;
}

bool isDataFolder(const fs::path& p) {
    const fs::path last = lastName(p);
    return last == kMidiFileFolder || last == kArrangementFolder;
}

}  // namespace

fs::path ProgramFolderFor(const fs::path& folder) {
    std::error_code ec;
    fs::path p = fs::absolute(folder, ec);
    if (ec) p = folder;
    p = p.lexically_normal();
    if (p.filename().empty() && p.has_relative_path()) p = p.parent_path();  // "/x/TarnFile/"
    return isDataFolder(p) ? p.parent_path() : p;
}

namespace {

FolderEntry enter(const fs::path& folder, ProgramFolderLock* lock, std::string& error, std::string* warning) {
    const fs::path program = ProgramFolderFor(folder);
    std::error_code ec, probe;
    fs::create_directories(program, ec);
    if (!fs::is_directory(program, probe)) {
        error = "cannot create " + program.string() + ": " + (ec ? ec : probe).message();
        return FolderEntry::Failed;
    }
    if (lock) {
        std::string why;
        switch (lock->Take(program, why)) {
            case ProgramFolderLock::Result::Held:
                break;
            case ProgramFolderLock::Result::InUse:
                return FolderEntry::InUse;
            case ProgramFolderLock::Result::Unlockable:
                if (warning) *warning += (warning->empty() ? "" : "; ") + why;
                break;
        }
    }
    // A folder that is there is used even when a data folder cannot be made in it: without
    // one, the program folder stands in for it.
    for (const char* data : {kArrangementFolder, kMidiFileFolder}) {
        const fs::path p = program / data;
        fs::create_directories(p, ec);
        if (!fs::is_directory(p, probe) && warning)
            *warning +=
                (warning->empty() ? "" : "; ") + ("cannot create " + p.string() + ": " + ec.message());
    }
    fs::current_path(program, ec);
    if (ec) {
        error = "cannot enter " + program.string() + ": " + ec.message();
        return FolderEntry::Failed;
    }
    return FolderEntry::Entered;
}

}  // namespace

bool EnterProgramFolder(const fs::path& folder, std::string& error, std::string* warning) {
    return enter(folder, nullptr, error, warning) == FolderEntry::Entered;
}

FolderEntry EnterProgramFolder(const fs::path& folder, ProgramFolderLock& lock, std::string& error,
                               std::string* warning) {
    return enter(folder, &lock, error, warning);
}

namespace {

// Copies one page under a temporary name, then renames it into place.
bool installPage(const fs::path& page, const fs::path& target, std::string& error) {
    std::error_code ec;
    fs::path partial = target;
    partial += ".part";
    fs::copy_file(page, partial, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::rename(partial, target, ec);
    if (!ec) return true;
    error = "cannot install " + target.string() + ": " + ec.message();
    fs::remove(partial, ec);
    return false;
}

}  // namespace

bool InstallHelpPages(const fs::path& from, const fs::path& folder, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(from, ec)) {
        error = "no help pages at " + from.string();
        return false;
    }
    const fs::path to = folder / kHelpFolder;
    fs::create_directories(to, ec);
    if (ec) {
        error = "cannot create " + to.string() + ": " + ec.message();
        return false;
    }
    fs::directory_iterator it(from, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code ignored;
        if (!it->is_regular_file(ignored)) continue;
        const fs::path target = to / it->path().filename();
        if (fs::exists(fs::symlink_status(target, ignored))) continue;  // the user's copy stays
        if (!installPage(it->path(), target, error)) return false;
    }
    if (ec) {
        error = "cannot read " + from.string() + ": " + ec.message();
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
    if (!shell.StartDir.empty()) {
        fs::current_path(shell.StartDir, ec);
        if (ec) return fs::path();  // the start folder is gone: no folder stands in for it
    }
    fs::path here = fs::current_path(ec);
    // A data folder is recognised by its whole last component, case and all.
    if (isDataFolder(here)) fs::current_path("..", ec);
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

fs::path GoToUserFolder() {
    std::error_code ec;
    if (const char* home = std::getenv("HOME"); home && *home) fs::current_path(home, ec);
    fs::path now = fs::current_path(ec);
    return ec ? fs::path() : now;
}

}  // namespace common
