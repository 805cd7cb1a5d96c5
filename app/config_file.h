#pragma once
// The configuration file "Quintora2.cfg" in the program folder: three bytes, the output device
// (signed, -1 the built-in synth), the input device and the THRU channel. Neither operation
// reports anything. User-interface thread only.

#include "app/program_state.h"

namespace app {

inline constexpr const char* kConfigFileName = "Quintora2.cfg";

// Start-up's probe in the current folder: ConfigFound := 1 when the file opens.
void ProbeConfig(ProgramState& state);

// Reads the file into MidiOutDevice, MidiInDevice and ThruChannel. Only the bytes present are
// taken; a THRU channel outside 0..15 becomes 3. A missing file leaves the settings as they are.
void ReadConfig(ProgramState& state);

// Writes the three bytes through a temporary file and a rename, so a failed write never leaves
// a damaged file; a file that cannot be written is skipped (the next write tries again).
void WriteConfig(ProgramState& state);

}  // namespace app
