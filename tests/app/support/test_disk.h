#pragma once
// A disk for save tests: writes that fail part-way, and a free space the test chooses.

#include <cerrno>
#include <optional>

#include "app/atomic_file.h"

namespace testsupport {

class TestDisk final : public app::DiskIo {
  public:
    bool failWrites = false;
    bool freeQueryFails = false;
    std::optional<std::uintmax_t> free;  // unset: the real free space

    std::optional<std::uintmax_t> freeBytes(const std::filesystem::path& folder) override {
        if (freeQueryFails) return std::nullopt;
        return free ? free : DiskIo::freeBytes(folder);
    }
    bool writeAll(int fd, std::span<const std::uint8_t> bytes) override {
        if (!failWrites) return DiskIo::writeAll(fd, bytes);
        (void)DiskIo::writeAll(fd, bytes.first(bytes.size() / 2));  // half written, then the disk fails
        errno = EIO;
        return false;
    }
};

}  // namespace testsupport
