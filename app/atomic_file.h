#pragma once
// Replacing a file whole: the new bytes go to a file of their own beside the target, reach the
// disk, and only then take the target's name, so a failure at any step leaves the old file as
// it was. Any thread; no state of its own.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace app {

// The disk operations a save needs that tests replace to make them fail.
class DiskIo {
  public:
    virtual ~DiskIo() = default;
    // Bytes available to the program in `folder`; empty when the query fails.
    virtual std::optional<std::uintmax_t> freeBytes(const std::filesystem::path& folder);
    // Writes every byte to the open descriptor; false (errno set) on any failure.
    virtual bool writeAll(int fd, std::span<const std::uint8_t> bytes);
};

// Writes `bytes` to a new file beside `target`, flushes it to the disk and renames it over
// `target`, checking each step. On failure the target is as it was, the new file is removed and
// `error` says why.
bool SaveFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, DiskIo& io,
                        std::string& error);

}  // namespace app
