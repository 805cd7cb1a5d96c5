#pragma once
// The program folder and its two data folders. Every file access first names its folder in
// FolderRequest and calls GoToFolder; files are then opened by plain relative names.
//
// The program folder is $QUINTORA_HOME, else ${XDG_DATA_HOME:-~/.local/share}/Quintora2, made
// current at start-up; when that folder is itself one of the data folders, its parent is the
// program folder. User-interface thread only (it changes the process's current folder).

#include <filesystem>
#include <string>

#include "app/program_state.h"

namespace app {

inline constexpr const char* kProgramFolderRequest = "Quintora2";
inline constexpr const char* kArrangementFolder = "TarnFile";
inline constexpr const char* kMidiFileFolder = "MidiFile";

// Where the program folder is, from the environment.
std::filesystem::path ProgramFolderFromEnvironment();

// Creates the folder with TarnFile/ and MidiFile/ below it and makes it current. False, with a
// readable reason, when it cannot be made or entered (the current folder is then unchanged).
bool EnterProgramFolder(const std::filesystem::path& folder, std::string& error);

// Start-up: StartDir := the current folder (StartDrive stays 0: there are no drives here).
void RememberStartFolder(ShellState& shell);

// Returns to StartDir, steps up out of a data folder, then into the requested data folder.
// Failures to change folder are not reported: a missing data folder leaves the program folder
// current. Returns the folder that is current afterwards.
std::filesystem::path GoToFolder(ShellState& shell);

// FolderRequest := request, then GoToFolder.
std::filesystem::path SelectFolder(ShellState& shell, const char* request);

}  // namespace app
