#pragma once
// Where the uninstaller's world lives. Everything it may change lies under one installation root:
// by default the per-user prefix ~/.local, or $KWU_ROOT when set (tests point it at a temporary
// folder). Below the root:
//   share/                 the Windows directory ("W" items, WININIT.INI)
//   lib/                   the system directory ("S" items)
//   share/applications/    the menu: one folder per group holding the items' .desktop files
//   share/kwu/uninstall.ini   the list of uninstallable programs (one section per program)
//   share/kwu/registrar.ini   registered components (one section per component path)
//   share/kwu/pending-deletes files to delete at the next start, one absolute path a line

#include <filesystem>
#include <optional>
#include <string>

namespace kwu {

struct InstallLayout {
    std::filesystem::path root;         // resolved (links in the prefix followed once, here)
    std::filesystem::path rootAsGiven;  // as spelled in the environment, made lexically normal
    std::filesystem::path home;         // the user's home folder (resolved), never removed; may be empty
    std::filesystem::path homeAsGiven;  // as spelled in the environment, made lexically normal
    std::filesystem::path windowsDir;
    std::filesystem::path systemDir;
    std::filesystem::path menuDir;
    std::filesystem::path storeDir;
    std::filesystem::path uninstallStore;
    std::filesystem::path registrarStore;
    std::filesystem::path pendingList;

    // The layout under root (made absolute and resolved as far as it exists).
    static InstallLayout under(const std::filesystem::path& root, const std::filesystem::path& home);
    // From $KWU_ROOT, else $HOME/.local; nullopt when neither gives an absolute folder. The root is
    // not checked here (see rootRefusal in path_guard.h).
    static std::optional<InstallLayout> fromEnvironment();
};

// The names the uninstaller derives from its own path.
struct ProgramNames {
    std::filesystem::path ownPath;     // the running program
    std::string baseName;              // its file name without folder and extension
    std::filesystem::path scriptPath;  // beside it: baseName + ".kwu"

    static ProgramNames of(const std::filesystem::path& programPath);
    // From /proc/self/exe, falling back to argv0.
    static ProgramNames ofRunningProgram(const char* argv0);
};

}  // namespace kwu
