#pragma once
// Opening a file for reading when only a regular file will do. A FIFO, a folder, a device or a
// socket under the name is refused. The open never waits: opened plainly, a FIFO without a writer
// would hold the caller (the user-interface thread) until one came. The check is made on what was
// opened, so nothing can put something else under the name between the check and the reading.
// Any thread.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

enum class OpenRefusal {
    None,
    CannotOpen,  // missing, not permitted, or the system refused
    NotRegular,  // there, but a FIFO, a folder, a device or a socket
};

// A stream open for reading in binary mode ("rb"), owned by the caller (std::fclose), or nullptr;
// `refusal`, when given, says why (None with a stream).
inline std::FILE* OpenRegularFile(const char* path, OpenRefusal* refusal = nullptr) {
    const auto refuse = [refusal](OpenRefusal why) -> std::FILE* {
        if (refusal) *refusal = why;
        return nullptr;
    };
    if (refusal) *refusal = OpenRefusal::None;
    struct stat st {};
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        // A socket cannot be opened at all: it is there all the same, and not a file.
        const bool there = ::stat(path, &st) == 0;
        return refuse(there && !S_ISREG(st.st_mode) ? OpenRefusal::NotRegular : OpenRefusal::CannotOpen);
    }
    const bool statted = ::fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse(statted ? OpenRefusal::NotRegular : OpenRefusal::CannotOpen);
    }
    // A regular file never makes a read wait; the stream reads as one from fopen does.
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return refuse(OpenRefusal::CannotOpen);
    }
    return file;
}

}  // namespace platform
