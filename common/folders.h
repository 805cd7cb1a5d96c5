#pragma once
// The program folder and its two data folders. Every file access first names its folder in
// FolderRequest and calls GoToFolder; files are then opened by plain relative names.
//
// The program folder is $QUINTORA_HOME, else ${XDG_DATA_HOME:-~/.local/share}/Quintora2, made
// current at start-up; when that folder is itself one of the data folders, its parent is the
// program folder. User-interface thread only (it changes the process's current folder).

#include <filesystem>
#include <string>

#include "common/program_folder_lock.h"
#include "common/program_wide.h"

namespace common {

inline constexpr const char* kProgramFolderRequest = "Quintora2";
inline constexpr const char* kArrangementFolder = "TarnFile";
inline constexpr const char* kMidiFileFolder = "MidiFile";
// The help pages, below the program folder.
inline constexpr const char* kHelpFolder = "help";

// Where the program folder is, from the environment.
std::filesystem::path ProgramFolderFromEnvironment();

// The program folder a folder stands for, as an absolute path: its parent when the folder is
// itself a data folder (by its whole last name), else the folder.
std::filesystem::path ProgramFolderFor(const std::filesystem::path& folder);

// Creates the program folder `folder` stands for, with TarnFile/ and MidiFile/ below it, and
// makes it current. A program folder that is there is used even when its data folders cannot be
// made; `warning` (when given) then says which. False, with a readable reason, when the program
// folder cannot be made or entered: the current folder is then unchanged.
bool EnterProgramFolder(const std::filesystem::path& folder, std::string& error,
                        std::string* warning = nullptr);

// As EnterProgramFolder, with the program folder taken for this program in `lock` as soon as it
// exists, before anything is made in it or it is made current. InUse, with nothing made or
// changed, when another program has it. A folder where no lock can be taken is used all the same
// (a folder nobody may write, where nothing could be overwritten either): `warning` says so.
enum class FolderEntry { Entered, InUse, Failed };
FolderEntry EnterProgramFolder(const std::filesystem::path& folder, ProgramFolderLock& lock,
                               std::string& error, std::string* warning = nullptr);

// Copies every file of the shipped help folder `from` into help/ below the program folder
// that is not there yet; a page already there (the user may have edited it) is never
// replaced. Each copy lands under its final name only once complete. False, with a readable
// reason, when `from` is missing or a page cannot be copied (the pages copied so far stay).
bool InstallHelpPages(const std::filesystem::path& from, const std::filesystem::path& folder,
                      std::string& error);

// Start-up: StartDir := the current folder (StartDrive stays 0: there are no drives here).
void RememberStartFolder(ShellState& shell);

// Returns to StartDir, steps up out of a data folder, then into the requested data folder.
// Failures to change folder are not reported: a missing data folder leaves the program folder
// current. Returns the folder that is current afterwards, or an empty path when StartDir can no
// longer be entered (the current folder is then unchanged and no file should be written).
std::filesystem::path GoToFolder(ShellState& shell);

// FolderRequest := request, then GoToFolder.
std::filesystem::path SelectFolder(ShellState& shell, const char* request);

// Makes the user's home folder current, where a search for the user's own files starts (there is
// no system drive's root here). Without a home folder the current folder stays. Returns the
// folder that is current afterwards.
std::filesystem::path GoToUserFolder();

}  // namespace common
