#pragma once
// Small file-backed stores standing in for system services, all in kwu's store folder (share/kwu
// under the root): the list of uninstallable programs, the component registrar and the list of
// files to delete at the next start. Each store works through the open store folder.

#include <filesystem>
#include <string_view>

#include "uninstaller/folder.h"

namespace kwu {

constexpr std::string_view kUninstallStoreName = "uninstall.ini";
constexpr std::string_view kRegistrarStoreName = "registrar.ini";
constexpr std::string_view kPendingListName = "pending-deletes";

// An INI file with one section per uninstallable program.
class UninstallEntries {
  public:
    explicit UninstallEntries(const Folder& storeDir) : dir_(storeDir) {}
    // Deletes every section of the program (names compare in any case, so "[kwu]" and "[KWU]" both
    // go). False when the store cannot be read or written or holds none.
    bool removeEntry(std::string_view program) const;

  private:
    const Folder& dir_;
};

// An INI file with one section per registered component, named by the component's full path.
class ComponentRegistrar {
  public:
    explicit ComponentRegistrar(const Folder& storeDir) : dir_(storeDir) {}
    // Drops the component's registration; nothing of the component itself is loaded or run.
    bool unregister(const std::filesystem::path& component) const;

  private:
    const Folder& dir_;
};

// A text file of absolute paths, one a line, that are to be deleted at the next start.
class PendingDeletes {
  public:
    explicit PendingDeletes(const Folder& storeDir) : dir_(storeDir) {}
    // Appends path. False when it cannot be recorded; a path holding a line break or NUL is never
    // recorded.
    bool schedule(const std::filesystem::path& path) const;

  private:
    const Folder& dir_;
};

}  // namespace kwu
