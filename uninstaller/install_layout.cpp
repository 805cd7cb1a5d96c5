#include "uninstaller/install_layout.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

#include "uninstaller/service_stores.h"

namespace kwu {
namespace fs = std::filesystem;

namespace {

fs::path withoutTrailingSlash(fs::path p) {
    if (!p.has_filename() && p != p.root_path()) p = p.parent_path();
    return p;
}

// A home folder, resolved and as spelled; both empty when it is not absolute.
std::pair<fs::path, fs::path> homeFolder(const fs::path& home) {
    if (home.empty() || !home.is_absolute()) return {};
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(home, ec);
    if (ec || resolved.empty()) resolved = home.lexically_normal();
    return {withoutTrailingSlash(resolved), withoutTrailingSlash(home.lexically_normal())};
}

}  // namespace

fs::path accountHomeFolder() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0) size = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    passwd entry{};
    passwd* found = nullptr;
    while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (!found || !found->pw_dir) return {};
    return fs::path(found->pw_dir);
}

InstallLayout InstallLayout::under(const fs::path& root, const fs::path& home, const fs::path& accountHome) {
    std::error_code ec;
    InstallLayout layout;
    layout.root = fs::weakly_canonical(fs::absolute(root, ec), ec);
    if (ec || layout.root.empty()) layout.root = fs::absolute(root, ec).lexically_normal();
    layout.rootAsGiven = fs::absolute(root, ec).lexically_normal();
    if (layout.root.has_filename() == false && layout.root != layout.root.root_path())
        layout.root = layout.root.parent_path();
    if (layout.rootAsGiven.has_filename() == false && layout.rootAsGiven != layout.rootAsGiven.root_path())
        layout.rootAsGiven = layout.rootAsGiven.parent_path();
    std::tie(layout.home, layout.homeAsGiven) = homeFolder(home);
    std::tie(layout.accountHome, layout.accountHomeAsGiven) = homeFolder(accountHome);
    layout.windowsDir = layout.root / "share";
    layout.systemDir = layout.root / "lib";
    layout.menuDir = layout.windowsDir / "applications";
    layout.storeDir = layout.windowsDir / "kwu";
    layout.uninstallStore = layout.storeDir / kUninstallStoreName;
    layout.registrarStore = layout.storeDir / kRegistrarStoreName;
    layout.pendingList = layout.storeDir / kPendingListName;
    return layout;
}

std::optional<InstallLayout> InstallLayout::fromEnvironment() {
    return from(std::getenv("KWU_ROOT"), std::getenv("HOME"), accountHomeFolder());
}

std::optional<InstallLayout> InstallLayout::from(const char* kwuRoot, const char* home,
                                                 const fs::path& accountHome) {
    const fs::path homePath = (home && *home) ? fs::path(home) : fs::path();
    if (kwuRoot && *kwuRoot) {
        const fs::path rootPath(kwuRoot);
        if (!rootPath.is_absolute()) return std::nullopt;
        return under(rootPath, homePath, accountHome);
    }
    if (homePath.empty() || !homePath.is_absolute()) return std::nullopt;
    return under(homePath / ".local", homePath, accountHome);
}

ProgramNames ProgramNames::of(const fs::path& programPath) {
    ProgramNames names;
    names.ownPath = programPath;
    names.baseName = programPath.stem().string();
    names.scriptPath = programPath.parent_path() / (names.baseName + ".kwu");
    return names;
}

ProgramNames ProgramNames::ofRunningProgram(const char* argv0) {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec || self.empty()) self = fs::absolute(argv0 ? argv0 : "kwu", ec);
    return of(self);
}

}  // namespace kwu
