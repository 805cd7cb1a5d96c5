#pragma once
// A disk for save tests: writes that fail part-way, a free space the test chooses, and the
// sync calls recorded (or failed) with what they were given.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/atomic_file.h"

namespace testsupport {

class TestDisk final : public common::DiskIo {
  public:
    bool failWrites = false;
    bool freeQueryFails = false;
    std::optional<std::uintmax_t> free;  // unset: the real free space

    std::optional<std::uintmax_t> freeBytes(const std::filesystem::path& folder) override {
        if (freeQueryFails) return std::nullopt;
        return free ? free : common::DiskIo::freeBytes(folder);
    }
    bool writeAll(int fd, std::span<const std::uint8_t> bytes) override {
        if (!failWrites) return common::DiskIo::writeAll(fd, bytes);
        (void)common::DiskIo::writeAll(fd,
                                       bytes.first(bytes.size() / 2));  // half written, then the disk fails
        errno = EIO;
        return false;
    }

    // One sync call: "file" or "folder", what the descriptor was, and the bytes of `watched`
    // (the save's target) at that moment.
    struct Sync {
        std::string call;
        bool isFolder = false;
        ino_t inode = 0;
        std::vector<std::uint8_t> fileBytes;  // the descriptor's own bytes (a file's)
        std::vector<std::uint8_t> watchedBytes;
    };
    std::vector<Sync> syncs;
    std::filesystem::path watched;
    std::string failSync;  // "file" or "folder": that call fails with EIO

    bool syncFile(int fd) override { return record("file", fd) && common::DiskIo::syncFile(fd); }
    bool syncFolder(int fd) override { return record("folder", fd) && common::DiskIo::syncFolder(fd); }

  private:
    bool record(const std::string& call, int fd) {
        Sync s;
        s.call = call;
        struct stat st {};
        if (::fstat(fd, &st) == 0) {
            s.isFolder = S_ISDIR(st.st_mode);
            s.inode = st.st_ino;
            if (S_ISREG(st.st_mode)) {  // the descriptor is write-only: read the file through it
                std::ifstream file("/proc/self/fd/" + std::to_string(fd), std::ios::binary);
                s.fileBytes.assign(std::istreambuf_iterator<char>(file), {});
            }
        }
        std::ifstream in(watched, std::ios::binary);
        s.watchedBytes.assign(std::istreambuf_iterator<char>(in), {});
        syncs.push_back(std::move(s));
        if (failSync != call) return true;
        errno = EIO;
        return false;
    }
};

}  // namespace testsupport
