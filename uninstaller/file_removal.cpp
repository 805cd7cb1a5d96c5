#include "uninstaller/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

namespace kwu {
namespace {

// Deeper trees than this are left standing rather than risk running out of descriptors.
constexpr int kMaxDepth = 200;

// Makes a folder writable by its owner for a retried deletion, at most once, and puts its mode
// back when it goes out of scope.
class RetryWidening {
  public:
    explicit RetryWidening(const Folder& folder) : folder_(folder) {}
    RetryWidening(const RetryWidening&) = delete;
    RetryWidening& operator=(const RetryWidening&) = delete;
    ~RetryWidening() {
        if (old_) ::fchmod(folder_.fd(), *old_);
    }

    // True when the mode was changed now, so that a second attempt may succeed.
    bool widen() {
        if (old_) return false;
        struct stat st {};
        if (::fstat(folder_.fd(), &st) != 0) return false;
        const mode_t mode = st.st_mode & 07777;
        if ((mode & (S_IWUSR | S_IXUSR)) == (S_IWUSR | S_IXUSR)) return false;
        if (::fchmod(folder_.fd(), mode | S_IWUSR | S_IXUSR) != 0) return false;
        old_ = mode;
        return true;
    }

  private:
    const Folder& folder_;
    std::optional<mode_t> old_;
};

bool unlinkEntry(const Folder& folder, RetryWidening& widening, const std::string& name, bool isFolder) {
    const int flags = isFolder ? AT_REMOVEDIR : 0;
    if (::unlinkat(folder.fd(), name.c_str(), flags) == 0 || errno == ENOENT) return true;
    if ((errno != EACCES && errno != EPERM) || !widening.widen()) return false;
    return ::unlinkat(folder.fd(), name.c_str(), flags) == 0 || errno == ENOENT;
}

// Removes everything inside folder, which lies on the tree's mount top; at is its path relative
// to the tree's parent, for the reports.
void removeContents(const Folder& folder, const MountIdentity& top, const std::string& at, int depth,
                    TreeRemoval& result) {
    RetryWidening widening(folder);
    for (const auto& name : folder.list()) {
        if (folder.kind(name) != EntryKind::Folder) {
            unlinkEntry(folder, widening, name, false);
            continue;
        }
        // Opened without following a link, then checked by its descriptor: what is checked is what
        // is entered.
        Reached sub = folder.child(name);
        if (sub.reach != Reach::Ok) continue;
        const std::string below = at + "/" + name;
        if (!sub.folder->mount().sameMountAs(top)) {
            result.otherMounts.push_back(below);
            continue;
        }
        if (depth >= kMaxDepth) {
            result.tooDeep.push_back(below);
            continue;
        }
        removeContents(*sub.folder, top, below, depth + 1, result);
        sub.folder.reset();
        unlinkEntry(folder, widening, name, true);
    }
}

}  // namespace

bool deleteWithAttributes(const Folder& folder, std::string_view name) {
    switch (folder.kind(name)) {
        case EntryKind::Missing:
            return true;
        case EntryKind::Folder:
        case EntryKind::Failed:
            return false;
        default:
            break;
    }
    RetryWidening widening(folder);
    return unlinkEntry(folder, widening, std::string(name), false);
}

TreeRemoval removeTree(const Folder& parent, std::string_view name) {
    TreeRemoval result;
    Reached top = parent.child(name);
    if (top.reach == Reach::Missing) {
        result.gone = true;
        return result;
    }
    if (top.reach != Reach::Ok) return result;
    const std::string at(name);
    const MountIdentity mount = top.folder->mount();
    if (!mount.sameMountAs(parent.mount())) {
        result.otherMounts.push_back(at);
        return result;
    }
    removeContents(*top.folder, mount, at, 0, result);
    top.folder.reset();
    RetryWidening widening(parent);
    result.gone = unlinkEntry(parent, widening, at, true);
    return result;
}

}  // namespace kwu
