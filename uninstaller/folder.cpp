#include "uninstaller/folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace kwu {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool writeAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const auto n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A short random name for a temporary file, so that even a file name of the longest length gets
// one that fits.
std::string temporaryName() {
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = ".kwu-";
    for (int i = 0; i < 10; ++i) name += kChars[random() % (sizeof kChars - 1)];
    return name;
}

}  // namespace

bool isEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool MountIdentity::sameMountAs(const MountIdentity& other) const {
    if (device != other.device) return false;
    return !(hasMountId && other.hasMountId) || mountId == other.mountId;
}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

Folder::~Folder() {
    if (fd_ >= 0) ::close(fd_);
}

Reached Folder::open(const std::filesystem::path& folder) {
    Reached r;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        r.folder.emplace(Folder(fd));
        r.reach = Reach::Ok;
    } else {
        r.error = errno;
        r.reach = errno == ENOENT ? Reach::Missing : errno == ENOTDIR ? Reach::NotAFolder : Reach::Failed;
    }
    return r;
}

Reached Folder::step(std::string_view name, bool create) const {
    Reached r;
    if (!isEntryName(name)) return r;
    const std::string n(name);
    int fd = ::openat(fd_, n.c_str(), kFolderFlags);
    if (fd < 0 && errno == ENOENT && create) {
        if (::mkdirat(fd_, n.c_str(), 0755) == 0 || errno == EEXIST)
            fd = ::openat(fd_, n.c_str(), kFolderFlags);
    }
    if (fd >= 0) {
        r.folder.emplace(Folder(fd));
        r.reach = Reach::Ok;
        return r;
    }
    const int error = errno;
    r.error = error;
    if (error == ENOENT) {
        r.reach = Reach::Missing;
    } else if (error == ENOTDIR || error == ELOOP) {
        // The open has already refused to follow; the kind only chooses the words of the reason.
        r.reach = kind(name) == EntryKind::Link ? Reach::Link : Reach::NotAFolder;
    }
    return r;
}

Reached Folder::walk(const std::vector<std::string>& parts, bool create, const MountIdentity* mount) const {
    // With no parts: the folder itself, as a descriptor of its own.
    Reached r;
    if (parts.empty()) {
        const int fd = ::openat(fd_, ".", kFolderFlags);
        if (fd >= 0) {
            r.folder.emplace(Folder(fd));
            r.reach = Reach::Ok;
        }
        return r;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Reached next = (i == 0 ? *this : *r.folder).step(parts[i], create);
        if (next.reach == Reach::Ok && mount && !next.folder->mount().sameMountAs(*mount)) {
            next.folder.reset();
            next.reach = Reach::OtherMount;
        }
        if (next.reach != Reach::Ok) {
            next.stoppedAt = i;
            return next;
        }
        r = std::move(next);
    }
    r.stoppedAt = parts.size();
    return r;
}

Reached Folder::child(std::string_view name) const {
    return step(name, false);
}

Reached Folder::descend(const std::vector<std::string>& parts) const {
    return walk(parts, false, nullptr);
}

Reached Folder::descendCreating(const std::vector<std::string>& parts) const {
    return walk(parts, true, nullptr);
}

Reached Folder::descend(const std::vector<std::string>& parts, const MountIdentity& mount) const {
    return walk(parts, false, &mount);
}

Reached Folder::descendCreating(const std::vector<std::string>& parts, const MountIdentity& mount) const {
    return walk(parts, true, &mount);
}

EntryKind Folder::kind(std::string_view name) const {
    if (!isEntryName(name)) return EntryKind::Failed;
    struct stat st {};
    if (::fstatat(fd_, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? EntryKind::Missing : EntryKind::Failed;
    if (S_ISDIR(st.st_mode)) return EntryKind::Folder;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (S_ISLNK(st.st_mode)) return EntryKind::Link;
    return EntryKind::Other;
}

std::vector<std::string> Folder::list() const {
    std::vector<std::string> names;
    const int copy = ::openat(fd_, ".", kFolderFlags);
    if (copy < 0) return names;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<std::string> Folder::read(std::string_view name, ReadFailure* failure) const {
    ReadFailure why;
    const auto fail = [&](EntryKind kind, int error) -> std::optional<std::string> {
        if (failure) *failure = ReadFailure{kind, error};
        return std::nullopt;
    };
    if (!isEntryName(name)) return fail(EntryKind::Failed, EINVAL);
    const std::string n(name);
    struct stat st {};
    if (::fstatat(fd_, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(errno == ENOENT ? EntryKind::Missing : EntryKind::Failed, errno);
    if (S_ISDIR(st.st_mode)) return fail(EntryKind::Folder, 0);
    if (S_ISLNK(st.st_mode)) return fail(EntryKind::Link, 0);
    if (!S_ISREG(st.st_mode)) return fail(EntryKind::Other, 0);
    // Swapped for something else since the look: O_NONBLOCK keeps a FIFO from blocking the open,
    // and the kind is asked again of what was opened.
    const int fd = ::openat(fd_, n.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return fail(errno == ELOOP ? EntryKind::Link : EntryKind::File, errno);
    std::optional<std::string> text;
    if (::fstat(fd, &st) != 0) {
        why = ReadFailure{EntryKind::File, errno};
    } else if (!S_ISREG(st.st_mode)) {
        why = ReadFailure{S_ISDIR(st.st_mode) ? EntryKind::Folder : EntryKind::Other, 0};
    } else {
        text.emplace();
        char buffer[65536];
        for (;;) {
            const auto got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) {
                why = ReadFailure{EntryKind::File, errno};
                text.reset();
            }
            if (got <= 0) break;
            text->append(buffer, static_cast<std::size_t>(got));
        }
    }
    ::close(fd);
    if (!text) return fail(why.kind, why.error);
    return text;
}

bool Folder::writeAtomically(std::string_view name, std::string_view text) const {
    if (!isEntryName(name)) return false;
    const std::string target(name);
    mode_t mode = 0644;
    struct stat old {};
    if (::fstatat(fd_, target.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(old.st_mode)) return false;
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        temporary = temporaryName();
        fd = ::openat(fd_, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::renameat(fd_, temporary.c_str(), fd_, target.c_str()) == 0) return true;
    ::unlinkat(fd_, temporary.c_str(), 0);
    return false;
}

bool Folder::append(std::string_view name, std::string_view text) const {
    ReadFailure failure;
    auto content = read(name, &failure);
    if (!content && failure.kind != EntryKind::Missing) return false;
    if (!content) content.emplace();
    content->append(text);
    return writeAtomically(name, *content);
}

FolderIdentity Folder::identity() const {
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return {};
    return FolderIdentity{st.st_dev, st.st_ino};
}

MountIdentity Folder::mount() const {
    MountIdentity id;
    struct statx sx {};
    if (::statx(fd_, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_MNT_ID, &sx) == 0) {
        id.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        id.hasMountId = (sx.stx_mask & STATX_MNT_ID) != 0;
        id.mountId = sx.stx_mnt_id;
        return id;
    }
    struct stat st {};
    if (::fstat(fd_, &st) == 0) id.device = st.st_dev;
    return id;
}

}  // namespace kwu
