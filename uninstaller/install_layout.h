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
    // The account's home folder as the user database has it, which $HOME may hide; never removed
    // either. Resolved and as spelled; may be empty.
    std::filesystem::path accountHome;
    std::filesystem::path accountHomeAsGiven;
    std::filesystem::path windowsDir;
    std::filesystem::path systemDir;
    std::filesystem::path menuDir;
    std::filesystem::path storeDir;
    std::filesystem::path uninstallStore;
    std::filesystem::path registrarStore;
    std::filesystem::path pendingList;

    // The layout under root (made absolute and resolved as far as it exists). A home that is not
    // absolute is no home and is left empty.
    static InstallLayout under(const std::filesystem::path& root, const std::filesystem::path& home,
                               const std::filesystem::path& accountHome = {});
    // From $KWU_ROOT, else $HOME/.local; nullopt when neither gives an absolute folder. The homes are
    // $HOME and the account's home from the user database. The root is not checked here (see
    // rootRefusal in path_guard.h and install_root.h).
    static std::optional<InstallLayout> fromEnvironment();
    // As fromEnvironment, with the two variables' values (nullptr when unset) and the account's home
    // given.
    static std::optional<InstallLayout> from(const char* kwuRoot, const char* home,
                                             const std::filesystem::path& accountHome);
};

// The home folder of the account the program runs as, from the user database; empty when it has
// none.
std::filesystem::path accountHomeFolder();

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
