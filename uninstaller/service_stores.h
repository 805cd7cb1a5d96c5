#pragma once
// Small file-backed stores standing in for system services: the list of uninstallable programs,
// the component registrar and the list of files to delete at the next start.

#include <filesystem>
#include <string_view>

namespace kwu {

// An INI file with one section per uninstallable program.
class UninstallEntries {
  public:
    explicit UninstallEntries(std::filesystem::path file) : file_(std::move(file)) {}
    // Deletes the program's section. False when the store cannot be read or written or holds none.
    bool removeEntry(std::string_view program) const;

  private:
    std::filesystem::path file_;
};

// An INI file with one section per registered component, named by the component's full path.
class ComponentRegistrar {
  public:
    explicit ComponentRegistrar(std::filesystem::path file) : file_(std::move(file)) {}
    // Drops the component's registration; nothing of the component itself is loaded or run.
    bool unregister(const std::filesystem::path& component) const;

  private:
    std::filesystem::path file_;
};

// A text file of absolute paths, one a line, that are to be deleted at the next start.
class PendingDeletes {
  public:
    explicit PendingDeletes(std::filesystem::path file) : file_(std::move(file)) {}
    // Appends path (its folder is created when missing). False when it cannot be recorded; a path
    // holding a line break is never recorded.
    bool schedule(const std::filesystem::path& path) const;

  private:
    std::filesystem::path file_;
};

}  // namespace kwu
