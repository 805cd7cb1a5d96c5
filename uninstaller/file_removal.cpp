#include "uninstaller/file_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace kwu {
namespace {

// Deeper trees than this are left standing rather than risk running out of descriptors.
constexpr int kMaxDepth = 200;

// Adds owner write (and search) permission to an open folder so its entries can be removed.
void makeFolderWritable(int dirfd) {
    struct stat st {};
    if (::fstat(dirfd, &st) == 0 && (st.st_mode & (S_IWUSR | S_IXUSR)) != (S_IWUSR | S_IXUSR))
        ::fchmod(dirfd, (st.st_mode & 07777) | S_IWUSR | S_IXUSR);
}

// Makes a regular file readable and writable by its owner, through a descriptor so that a link put
// in its place meanwhile is not followed.
void makeFileNormal(int dirfd, const char* name) {
    const int fd = ::openat(dirfd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd, S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
    ::close(fd);
}

bool unlinkEntry(int dirfd, const char* name, bool folder) {
    const int flags = folder ? AT_REMOVEDIR : 0;
    if (::unlinkat(dirfd, name, flags) == 0) return true;
    if (errno == ENOENT) return true;
    if (!folder) makeFileNormal(dirfd, name);
    makeFolderWritable(dirfd);
    return ::unlinkat(dirfd, name, flags) == 0 || errno == ENOENT;
}

std::vector<std::string> listEntries(int dirfd) {
    std::vector<std::string> names;
    const int copy = ::dup(dirfd);
    if (copy < 0) return names;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

// Removes everything inside the open folder dirfd.
void removeContents(int dirfd, int depth) {
    auto names = listEntries(dirfd);
    if (names.empty()) return;
    makeFolderWritable(dirfd);
    for (const auto& name : names) {
        struct stat st {};
        if (::fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth >= kMaxDepth) continue;
            const int sub = ::openat(dirfd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub < 0) continue;
            removeContents(sub, depth + 1);
            ::close(sub);
            unlinkEntry(dirfd, name.c_str(), true);
        } else {
            unlinkEntry(dirfd, name.c_str(), false);
        }
    }
}

}  // namespace

bool deleteWithAttributes(const std::filesystem::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
    if (S_ISDIR(st.st_mode)) return false;
    const auto parent = path.parent_path().empty() ? std::filesystem::path(".") : path.parent_path();
    const int dirfd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirfd < 0) return false;
    const bool ok = unlinkEntry(dirfd, path.filename().c_str(), false);
    ::close(dirfd);
    return ok;
}

bool removeTree(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    removeContents(fd, 0);
    ::close(fd);
    // rmdir does not follow a link put in the folder's place.
    return ::rmdir(folder.c_str()) == 0 || errno == ENOENT;
}

}  // namespace kwu
