#include "uninstaller/install_root.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "uninstaller/path_guard.h"
#include "uninstaller/printable.h"

namespace kwu {
namespace fs = std::filesystem;
namespace {

// Far more levels than any real path has; a walk up stops here whatever happens.
constexpr int kMaxLevelsUp = 4096;

std::string homeRefusal(const fs::path& root, const fs::path& home, bool same) {
    return "Refused the installation root " + inQuotes(root.native()) + ": it " + (same ? "is" : "holds") +
           " the home folder " + inQuotes(home.native()) +
           ". Set KWU_ROOT to the folder the program was installed under.";
}

// A descriptor that only names a folder (O_PATH): enough to ask its identity and to go up, without
// the read permission a listing would need.
class PathHandle {
  public:
    explicit PathHandle(int fd) : fd_(fd) {}
    PathHandle(PathHandle&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    PathHandle& operator=(PathHandle&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    PathHandle(const PathHandle&) = delete;
    PathHandle& operator=(const PathHandle&) = delete;
    ~PathHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool valid() const { return fd_ >= 0; }
    PathHandle up() const { return PathHandle(::openat(fd_, "..", O_PATH | O_DIRECTORY | O_CLOEXEC)); }
    FolderIdentity identity() const {
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0) return {};
        return FolderIdentity{st.st_dev, st.st_ino};
    }

  private:
    int fd_;
};

// Whether the folder root is home or one of the folders above it, by identity: the walk goes up
// from home through "..", which no name can redirect. False when home cannot be opened (the check
// by name still holds).
bool isAtOrAbove(const FolderIdentity& root, const fs::path& home, bool* same) {
    PathHandle at(::open(home.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (int level = 0; at.valid() && level < kMaxLevelsUp; ++level) {
        const FolderIdentity id = at.identity();
        if (id == FolderIdentity{}) return false;
        if (id == root) {
            *same = level == 0;
            return true;
        }
        PathHandle up = at.up();
        if (up.identity() == id) return false;  // the top of the file system is its own parent
        at = std::move(up);
    }
    return false;
}

}  // namespace

InstallRoot InstallRoot::open(const InstallLayout& layout) {
    InstallRoot root;
    root.layout_ = layout;
    root.refusal_ = rootRefusal(layout);
    if (!root.refusal_.empty()) return root;
    Reached opened = Folder::open(layout.root);
    if (opened.reach == Reach::Missing) return root;
    if (opened.reach != Reach::Ok) {
        root.refusal_ = "Refused the installation root " + inQuotes(layout.root.native()) +
                        ": it cannot be opened as a folder.";
        return root;
    }
    const FolderIdentity id = opened.folder->identity();
    // Only the top of the file system is its own parent.
    const PathHandle up = PathHandle(::openat(opened.folder->fd(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (id == FolderIdentity{} || up.identity() == FolderIdentity{} || up.identity() == id) {
        root.refusal_ = "Refused the installation root " + inQuotes(layout.root.native()) +
                        ": it is the top of the file system. Set KWU_ROOT to the folder the program "
                        "was installed under.";
        return root;
    }
    for (const fs::path& home : {layout.home, layout.accountHome}) {
        if (home.empty()) continue;
        bool same = false;
        if (isAtOrAbove(id, home, &same)) {
            root.refusal_ = homeRefusal(layout.root, home, same);
            return root;
        }
    }
    root.mount_ = opened.folder->mount();
    root.folder_ = std::move(opened.folder);
    return root;
}

fs::path InstallRoot::currentPath() const {
    if (!folder_) return layout_.root;
    std::error_code ec;
    const fs::path now = fs::read_symlink("/proc/self/fd/" + std::to_string(folder_->fd()), ec);
    // A folder removed since is named with " (deleted)" and is no place to name anything in.
    if (ec || !now.is_absolute() || now.native().ends_with(" (deleted)")) return layout_.root;
    return now;
}

Reached InstallRoot::reach(const std::vector<std::string>& parts) const {
    if (!folder_) return Reached{std::nullopt, Reach::Missing};
    return folder_->descend(parts, mount_);
}

Reached InstallRoot::reachCreating(const std::vector<std::string>& parts) const {
    if (!folder_) return Reached{std::nullopt, Reach::Missing};
    return folder_->descendCreating(parts, mount_);
}

}  // namespace kwu
