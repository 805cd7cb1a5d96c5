#pragma once
// Replacing a file whole: the new bytes go to a file of their own beside the target, reach the
// disk, and only then take the target's name, so a failure at any step leaves the old file as
// it was. Any thread; no state of its own.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

struct stat;

namespace common {

// The disk operations a save needs that tests replace to make them fail.
class DiskIo {
  public:
    virtual ~DiskIo() = default;
    // Bytes available to the program in `folder`; empty when the query fails.
    virtual std::optional<std::uintmax_t> freeBytes(const std::filesystem::path& folder);
    // Writes every byte to the open descriptor; false (errno set) on any failure.
    virtual bool writeAll(int fd, std::span<const std::uint8_t> bytes);
    // Flushes the open file's bytes to the disk; false (errno set) on failure.
    virtual bool syncFile(int fd);
    // Flushes the open folder, and with it a rename done in it, to the disk; false (errno set)
    // on failure. A file system that cannot sync folders is no failure.
    virtual bool syncFolder(int fd);
};

// The file a save of `target` replaces: `target` itself, or, when it is a symbolic link, the
// file the chain of links ends at (which need not exist yet). Empty when the chain does not end
// (a loop, or more links than the system follows).
std::optional<std::filesystem::path> ResolveSaveTarget(const std::filesystem::path& target);

// Whether the user may replace the existing file of status `st` at `path`: the system must grant
// write access, and a file without any write permission bit counts as protected even for the
// super-user, who is granted everything.
bool MayReplaceFile(const std::filesystem::path& path, const struct stat& st);

// Writes `bytes` to a new file beside the file `target` names (through any symbolic link, so a
// link stays a link), flushes it to the disk and renames it over that file, checking each step.
// An existing file keeps its permissions; one the user may not write is refused before anything
// is written. On failure the target is as it was, the new file is removed and `error` says why.
bool SaveFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes, DiskIo& io,
                        std::string& error);

}  // namespace common
