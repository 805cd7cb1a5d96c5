#include "uninstaller/install_layout.h"

#include <cstdlib>

#include "uninstaller/service_stores.h"

namespace kwu {
namespace fs = std::filesystem;

InstallLayout InstallLayout::under(const fs::path& root, const fs::path& home) {
    std::error_code ec;
    InstallLayout layout;
    layout.root = fs::weakly_canonical(fs::absolute(root, ec), ec);
    if (ec || layout.root.empty()) layout.root = fs::absolute(root, ec).lexically_normal();
    layout.rootAsGiven = fs::absolute(root, ec).lexically_normal();
    if (layout.root.has_filename() == false && layout.root != layout.root.root_path())
        layout.root = layout.root.parent_path();
    if (layout.rootAsGiven.has_filename() == false && layout.rootAsGiven != layout.rootAsGiven.root_path())
        layout.rootAsGiven = layout.rootAsGiven.parent_path();
    if (!home.empty()) {
        layout.home = fs::weakly_canonical(home, ec);
        if (ec) layout.home = home.lexically_normal();
        layout.homeAsGiven = fs::absolute(home, ec).lexically_normal();
        if (layout.homeAsGiven.has_filename() == false &&
            layout.homeAsGiven != layout.homeAsGiven.root_path())
            layout.homeAsGiven = layout.homeAsGiven.parent_path();
    }
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
    const char* home = std::getenv("HOME");
    const fs::path homePath = (home && *home) ? fs::path(home) : fs::path();
    if (const char* root = std::getenv("KWU_ROOT"); root && *root) {
        const fs::path rootPath(root);
        if (!rootPath.is_absolute()) return std::nullopt;
        return under(rootPath, homePath);
    }
    if (homePath.empty() || !homePath.is_absolute()) return std::nullopt;
    return under(homePath / ".local", homePath);
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
