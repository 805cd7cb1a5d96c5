#pragma once
// The configuration file "Quintora2.cfg" in the program folder: three bytes, the output device
// (signed, -1 the built-in synth), the input device and the THRU channel. What the user chose
// holds for the run whether or not the file could be written; a file that cannot be written is
// said once a run, on standard error. User-interface thread only.

#include "common/atomic_file.h"
#include "common/program_wide.h"

namespace common {

inline constexpr const char* kConfigFileName = "Quintora2.cfg";

// Start-up's probe in the current folder: ConfigFound := 1 when the file is there. Only a
// regular file counts.
void ProbeConfig(ProgramWide& state);

// True when something other than a regular file (a folder, say) holds the file's name in the
// current folder: no configuration can be read or kept there until it is moved away.
bool ConfigFileBlocked();

// Reads the file into MidiOutDevice, MidiInDevice and ThruChannel. Only the bytes present are
// taken; a THRU channel outside 0..15 becomes 3. A missing file (or anything there that is not
// a regular file) leaves the settings as they are, and so does a file the last write could not
// replace (ConfigUnsaved): the settings in force are newer than it. While the file names the
// output device that is missing (MissingOutDevice), the device playing in its place stays.
void ReadConfig(ProgramWide& state, std::int32_t& thruChannel);

// Writes the three bytes to a new file that reaches the disk before it replaces the old one, so
// a failed or interrupted write never leaves a damaged file; the output byte is the user's own
// choice, a missing device included. A file that cannot be written (or a program folder that
// cannot be made current) sets ConfigUnsaved until a write succeeds, and is said once a run on
// standard error; the next write tries again.
void WriteConfig(ProgramWide& state, std::int32_t thruChannel);
void WriteConfig(ProgramWide& state, std::int32_t thruChannel, DiskIo& disk);

}  // namespace common
