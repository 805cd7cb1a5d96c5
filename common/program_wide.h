#pragma once
// The state every subsystem shares: the engine block, start-up and page bookkeeping, the open
// devices. The program's whole state extends it; units that need only this much take it alone.
// User-interface thread only.

#include <cstdint>
#include <optional>
#include <string>

#include "common/engine_link.h"
#include "platform/midi_in.h"

namespace common {

// Start-up, shutdown, pages, configuration and folders.
struct ShellState {
    std::uint8_t Exiting = 0;
    std::uint8_t HelpViewerFound = 0;
    std::string StartDir;         // the program folder's full path, as made current at start-up
    std::int32_t StartDrive = 0;  // no drive letters here: always 0
    std::string PageCode = "ST";  // compared as text
    std::uint8_t SetupPageActive = 0;
    std::uint8_t ConfigFound = 0;
    std::string FolderRequest;  // "Quintora2", "TarnFile" or "MidiFile"
    // 1 while the configuration file lacks what the program chose: the last write failed. The
    // settings in memory then stay in force, and the file is not read over them.
    std::uint8_t ConfigUnsaved = 0;
    std::uint8_t ConfigFailureSaid = 0;  // a configuration that cannot be kept is said once a run
};

struct DeviceState {
    std::uint8_t MidiInIsOpen = 0;
    std::uint8_t MidiOutIsOpen = 0;  // the program sent CmdOpenOut and not yet CmdCloseOut
    platform::HMIDIIN MidiInHandle = nullptr;
    // The output device the configuration names while it is not there: MidiOutDevice then holds
    // the device that plays in its place. The configuration keeps this one until the user picks
    // another.
    std::optional<std::int8_t> MissingOutDevice;
};

struct ProgramWide {
    EngineParams Engine;
    ShellState shell;
    DeviceState devices;
};

}  // namespace common
