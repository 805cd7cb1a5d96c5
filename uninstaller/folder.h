#pragma once
// An open folder, and every file operation the uninstaller makes below its installation root. Each
// step down opens the next folder relative to the one above with O_NOFOLLOW | O_DIRECTORY, so a
// symbolic link anywhere below the root stops the walk instead of leading elsewhere, and the folder
// that was reached is the folder that is used: nothing is looked up by its path name a second time.
// Names are bytes as the file system keeps them; a name that is empty, "." or "..", or holds "/" or
// a NUL byte is never passed to the system (every call treats it as absent or fails).
//
// Not thread-safe; one owner. Folders close when they go out of scope.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kwu {

// How far a walk down got.
enum class Reach {
    Ok,          // the folder is open
    Missing,     // a part does not exist
    Link,        // a part is a symbolic link
    NotAFolder,  // a part is a file or another kind of entry
    OtherMount,  // a part lies on another device or mount than the one the walk must stay on
    Failed,      // anything else (no permission, an unusable name, out of descriptors)
};

// Which file system and which mount a folder lies on. Two folders on one file system reached
// through different mounts (a bind mount) differ in mountId.
struct MountIdentity {
    dev_t device = 0;
    std::uint64_t mountId = 0;
    bool hasMountId = false;  // kernels before 5.8 do not tell the mount

    bool sameMountAs(const MountIdentity& other) const;
};

// Which folder an open descriptor is, whatever path led to it.
struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

struct Reached;

// What kind of entry a name is, without following a link.
enum class EntryKind { Missing, Folder, File, Link, Other, Failed };

// Why a read gave no text: the kind of entry that stands at the name (File when a regular file
// could not be read, Failed when not even its kind could be asked) and the system's error number
// for those two (0 when unknown).
struct ReadFailure {
    EntryKind kind = EntryKind::Failed;
    int error = 0;
};

class Folder {
  public:
    Folder(Folder&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // Opens a folder by its absolute path; links above it are followed, as the root is what the
    // user named. Missing when it is not there.
    static Reached open(const std::filesystem::path& folder);

    // The folder name inside this one, never through a link.
    Reached child(std::string_view name) const;
    // Walks down the parts one by one, as child does.
    Reached descend(const std::vector<std::string>& parts) const;
    // As descend, creating missing folders on the way (mode 0755 before the umask).
    Reached descendCreating(const std::vector<std::string>& parts) const;
    // As descend and descendCreating, and every folder on the way must lie on mount: one that does
    // not (a mount point) stops the walk with OtherMount.
    Reached descend(const std::vector<std::string>& parts, const MountIdentity& mount) const;
    Reached descendCreating(const std::vector<std::string>& parts, const MountIdentity& mount) const;

    EntryKind kind(std::string_view name) const;
    // The names of the entries, "." and ".." left out, in the order the system lists them; empty
    // when the folder cannot be listed.
    std::vector<std::string> list() const;
    // The whole content of the regular file name (not through a link); nullopt otherwise, with why
    // in *failure when asked. Only a regular file is ever opened, so a FIFO or a device in its place
    // neither blocks the read nor learns of it.
    std::optional<std::string> read(std::string_view name, ReadFailure* failure = nullptr) const;
    // Replaces (or creates) the regular file name with text through a temporary file in this folder
    // and a rename, so a reader sees the old or the new content, and a file the name shares with
    // another folder (a hard link) keeps its content there. The file keeps its mode (0644 when new).
    // False, with the old file untouched, on any failure or when name is not a regular file.
    bool writeAtomically(std::string_view name, std::string_view text) const;
    // Appends text to the regular file name, creating it when missing. Written as writeAtomically
    // writes, never into the file in place: false when the file cannot be read.
    bool append(std::string_view name, std::string_view text) const;

    MountIdentity mount() const;
    // Zero device and inode when the descriptor cannot be asked.
    FolderIdentity identity() const;
    int fd() const { return fd_; }

  private:
    explicit Folder(int fd) : fd_(fd) {}
    Reached step(std::string_view name, bool create) const;
    Reached walk(const std::vector<std::string>& parts, bool create, const MountIdentity* mount) const;

    int fd_ = -1;
};

struct Reached {
    std::optional<Folder> folder;  // open when reach is Ok
    Reach reach = Reach::Failed;
    std::size_t stoppedAt = 0;  // for a walk down several parts: the index of the part that stopped it
    int error = 0;              // the system's error number when reach is Failed (0 when unknown)
};

// A name the system can be given as one entry of a folder: not empty, not "." or "..", without "/"
// and without NUL.
bool isEntryName(std::string_view name);

}  // namespace kwu
