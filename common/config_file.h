#pragma once
// The configuration file "Quintora2.cfg" in the program folder: three bytes, the output device
// (signed, -1 the built-in synth), the input device and the THRU channel. Neither operation
// reports anything. User-interface thread only.

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
// a regular file) leaves the settings as they are.
void ReadConfig(ProgramWide& state, std::int32_t& thruChannel);

// Writes the three bytes to a new file that reaches the disk before it replaces the old one, so
// a failed or interrupted write never leaves a damaged file; a file that cannot be written is
// skipped (the next write tries again). Nothing is written when the program folder cannot be
// made current.
void WriteConfig(ProgramWide& state, std::int32_t thruChannel);
void WriteConfig(ProgramWide& state, std::int32_t thruChannel, DiskIo& disk);

}  // namespace common
