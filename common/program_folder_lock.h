#pragma once
// One program at a time on a program folder. Two programs on one folder would both write the
// configuration and the import's working files "$$$$" and "$$$" there, each overwriting what the
// other had half read. The first start holds an exclusive lock on a file in the folder for as
// long as it runs; the system lets go of it when the process ends, however it ends, so a program
// that crashed leaves nothing that blocks the next start.
//
// The lock file is made on the first start and stays, empty: its lock, not its content, says the
// folder is in use (removing it at exit would let a later start lock a new file while a program
// still holds the old one). It is opened so that no program the process starts (a browser for
// the help, a sound server) inherits the lock. Any thread; one object per program.

#include <filesystem>
#include <string>

namespace common {

inline constexpr const char* kLockFileName = "Quintora2.lock";

class ProgramFolderLock {
  public:
    enum class Result {
        Held,        // this program has the folder
        InUse,       // another program has it; nothing in the folder was changed
        Unlockable,  // no lock file can be opened there (`error` says why)
    };

    ProgramFolderLock() = default;
    ~ProgramFolderLock();
    ProgramFolderLock(const ProgramFolderLock&) = delete;
    ProgramFolderLock& operator=(const ProgramFolderLock&) = delete;

    // Takes the lock of the existing program folder `folder`, without waiting.
    Result Take(const std::filesystem::path& folder, std::string& error);
    bool held() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

}  // namespace common
