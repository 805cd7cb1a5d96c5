#pragma once
// The program's three jingles: short MIDI files in the program folder, played at start-up, at
// exit and by the About box. They ship beside the program and are installed into the program
// folder on start, like the help pages. User-interface thread only.

#include <array>
#include <filesystem>
#include <string>

namespace player {

inline constexpr const char* kStartJingleFile = "Rizori.mid";
inline constexpr const char* kExitJingleFile = "Varoza.mid";
inline constexpr const char* kAboutJingleFile = "ORVX.mid";
inline constexpr std::array<const char*, 3> kJingles = {kStartJingleFile, kExitJingleFile, kAboutJingleFile};

// The file of jingle n (1 start-up, 2 exit, 3 About); nullptr for any other n.
const char* JingleFile(int n);

// Copies each jingle that the program folder `folder` lacks from the folder `from`; a jingle
// already there (the user may have put a tune of their own) is never replaced. Each copy lands
// under its final name only once complete. False, with a readable reason, when a jingle is
// missing in `from` or cannot be copied (the others are still installed).
bool InstallJingles(const std::filesystem::path& from, const std::filesystem::path& folder,
                    std::string& error);

}  // namespace player
