#include "uninstaller/file_removal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "uninstaller/printable.h"

namespace kwu {
namespace {

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

// 0 when the entry is gone, else the error number of the (last) attempt.
int unlinkEntry(const Folder& folder, RetryWidening& widening, const std::string& name, bool isFolder) {
    const int flags = isFolder ? AT_REMOVEDIR : 0;
    if (::unlinkat(folder.fd(), name.c_str(), flags) == 0 || errno == ENOENT) return 0;
    const int first = errno;
    if ((first != EACCES && first != EPERM) || !widening.widen()) return first;
    if (::unlinkat(folder.fd(), name.c_str(), flags) == 0 || errno == ENOENT) return 0;
    return errno;
}

std::size_t reports(const TreeRemoval& r) {
    return r.otherMounts.size() + r.tooDeep.size() + r.unopened.size() + r.stuck.size();
}

// Removes everything inside folder, which lies on the tree's mount top; at is its path relative
// to the tree's parent, for the reports.
void removeContents(const Folder& folder, const MountIdentity& top, const std::string& at, int depth,
                    TreeRemoval& result) {
    RetryWidening widening(folder);
    StuckEntries stuck{at, 0, 0};
    const auto failed = [&stuck](int error) {
        if (stuck.count++ == 0) stuck.error = error;
    };
    for (const auto& name : folder.list()) {
        if (folder.kind(name) != EntryKind::Folder) {
            if (const int error = unlinkEntry(folder, widening, name, false)) failed(error);
            continue;
        }
        // Opened without following a link, then checked by its descriptor: what is checked is what
        // is entered.
        Reached sub = folder.child(name);
        const std::string below = at + "/" + name;
        if (sub.reach == Reach::Missing) continue;
        if (sub.reach != Reach::Ok) {
            // Replaced by something else since the listing, or a folder that cannot be entered.
            if (sub.reach == Reach::Failed)
                result.unopened.push_back({below, sub.error});
            else if (const int error = unlinkEntry(folder, widening, name, false))
                failed(error);
            continue;
        }
        if (!sub.folder->mount().sameMountAs(top)) {
            result.otherMounts.push_back(below);
            continue;
        }
        if (depth >= kMaxTreeDepth) {
            result.tooDeep.push_back(below);
            continue;
        }
        const std::size_t before = reports(result);
        removeContents(*sub.folder, top, below, depth + 1, result);
        sub.folder.reset();
        const int error = unlinkEntry(folder, widening, name, true);
        // A folder kept because of something below it has been reported already.
        if (error && reports(result) == before) failed(error);
    }
    if (stuck.count > 0) result.stuck.push_back(std::move(stuck));
}

}  // namespace

bool deleteWithAttributes(const Folder& folder, std::string_view name) {
    return deleteEntry(folder, name) == 0;
}

int deleteEntry(const Folder& folder, std::string_view name) {
    if (!isEntryName(name)) return EINVAL;
    const std::string entry(name);
    struct stat st {};
    if (::fstatat(folder.fd(), entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    RetryWidening widening(folder);
    return unlinkEntry(folder, widening, entry, false);
}

TreeRemoval removeTree(const Folder& parent, std::string_view name) {
    TreeRemoval result;
    Reached top = parent.child(name);
    if (top.reach == Reach::Missing) {
        result.gone = true;
        return result;
    }
    const std::string at(name);
    if (top.reach != Reach::Ok) {
        result.unopened.push_back({at, top.error != 0 ? top.error : ENOTDIR});
        return result;
    }
    const MountIdentity mount = top.folder->mount();
    if (!mount.sameMountAs(parent.mount())) {
        result.otherMounts.push_back(at);
        return result;
    }
    removeContents(*top.folder, mount, at, 0, result);
    top.folder.reset();
    RetryWidening widening(parent);
    // A tree kept because of something below its folder has been reported already.
    const int error = unlinkEntry(parent, widening, at, true);
    result.gone = error == 0;
    if (error && reports(result) == 0) result.stuck.push_back({at, 1, error});
    return result;
}

std::vector<std::string> leftInPlace(const TreeRemoval& removal, const std::string& parentPath) {
    const auto shown = [&parentPath](const std::string& folder) {
        std::string path = parentPath;
        if (path.empty() || path.back() != '/') path += '/';
        return inQuotes(path + folder);
    };
    const auto reason = [](int error) { return std::string(std::strerror(error)); };
    std::vector<std::string> lines;
    for (const auto& folder : removal.otherMounts)
        lines.push_back("Left the folder " + shown(folder) +
                        ": it lies on another device or mount, which the uninstaller never enters.");
    for (const auto& folder : removal.tooDeep)
        lines.push_back("Left the folder " + shown(folder) + ": it lies too deep to remove.");
    for (const auto& left : removal.unopened)
        lines.push_back("Left the folder " + shown(left.folder) +
                        " with everything in it: it cannot be opened (" + reason(left.error) + ").");
    for (const auto& left : removal.stuck)
        lines.push_back("Left the folder " + shown(left.folder) + ": " + std::to_string(left.count) +
                        (left.count == 1 ? " entry" : " entries") + " in it could not be deleted (" +
                        reason(left.error) + ").");
    return lines;
}

}  // namespace kwu
