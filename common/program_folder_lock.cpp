#include "common/program_folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace common {

ProgramFolderLock::~ProgramFolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

ProgramFolderLock::Result ProgramFolderLock::Take(const std::filesystem::path& folder, std::string& error) {
    if (fd_ >= 0) return Result::Held;
    const std::filesystem::path file = folder / kLockFileName;
    // Read-only: a file that is there is never changed; a link is not followed out of the folder.
    // flock, not fcntl: its lock belongs to this open file, so that no other open or close of the
    // file in the process can drop it.
    int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW, 0644);
    if (fd < 0) {
        error = "cannot open " + file.string() + ": " + std::strerror(errno);
        return Result::Unlockable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK) return Result::InUse;
        error = "cannot lock " + file.string() + ": " + std::strerror(why);
        return Result::Unlockable;
    }
    fd_ = fd;
    return Result::Held;
}

}  // namespace common
