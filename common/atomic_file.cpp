#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace common {

std::optional<std::uintmax_t> DiskIo::freeBytes(const std::filesystem::path& folder) {
    std::error_code ec;
    const auto info = std::filesystem::space(folder, ec);
    if (ec) return std::nullopt;
    return info.available;
}

bool DiskIo::writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

bool DiskIo::syncFile(int fd) {
    return ::fsync(fd) == 0;
}

bool DiskIo::syncFolder(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync folders
}

std::optional<std::filesystem::path> ResolveSaveTarget(const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    constexpr int kMostLinks = 40;  // what the kernel itself follows before ELOOP
    fs::path file = target;
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(file, ec))) return file;
        const fs::path named = fs::read_symlink(file, ec);
        if (ec) return std::nullopt;
        file = named.is_absolute() ? named : file.parent_path() / named;
    }
    return std::nullopt;
}

bool MayReplaceFile(const std::filesystem::path& path, const struct stat& st) {
    return (st.st_mode & 0222) != 0 && ::access(path.c_str(), W_OK) == 0;
}

bool SaveFileAtomically(const std::filesystem::path& chosen, std::span<const std::uint8_t> bytes, DiskIo& io,
                        std::string& error) {
    namespace fs = std::filesystem;
    auto fail = [&](const char* step) {
        error = std::string(step) + ": " + std::strerror(errno);
        return false;
    };
    const std::optional<fs::path> resolved = ResolveSaveTarget(chosen);
    if (!resolved) {
        errno = ELOOP;
        return fail("cannot follow the link");
    }
    const fs::path& target = *resolved;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && !MayReplaceFile(target, old)) {
        error = "the file is write-protected";
        return false;
    }
    // A name of our own beside the target, so that the rename never crosses file systems.
    fs::path temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                              std::to_string(attempt) + ".tmp");
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return fail("cannot create a file in the folder");
    }
    if (fd < 0) return fail("cannot create a file in the folder");
    auto abandon = [&](const char* step) {
        const int saved = errno;
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.c_str());
        errno = saved;
        return fail(step);
    };
    if (exists && S_ISREG(old.st_mode)) {
        // The new file takes the old one's place with its permissions (and, where the system
        // lets us, its owner), so a save does not make a file more or less open than it was.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) errno = 0;
        if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon("cannot keep the file's permissions");
    }
    if (!io.writeAll(fd, bytes)) return abandon("cannot write the file");
    if (!io.syncFile(fd)) return abandon("cannot write the file to the disk");
    const int closing = ::close(fd);
    fd = -1;
    if (closing != 0) return abandon("cannot close the file");
    if (::rename(temporary.c_str(), target.c_str()) != 0) return abandon("cannot replace the file");
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return fail("cannot open the folder");
    const bool synced = io.syncFolder(dir);
    const int saved = errno;
    ::close(dir);
    errno = saved;
    return synced || fail("cannot write the folder to the disk");
}

}  // namespace common
