#include "common/config_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/folders.h"
#include "platform/regular_file.h"

namespace common {

namespace {
bool configFilePresent() {
    std::error_code ec;
    return std::filesystem::is_regular_file(kConfigFileName, ec);
}
}  // namespace

void ProbeConfig(ProgramWide& state) {
    if (configFilePresent()) state.shell.ConfigFound = 1;
}

bool ConfigFileBlocked() {
    std::error_code ec;
    const auto status = std::filesystem::status(kConfigFileName, ec);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

void ReadConfig(ProgramWide& state, std::int32_t& thruChannel) {
    SelectFolder(state.shell, kProgramFolderRequest);
    // A write that failed left older settings in the file than the ones in force.
    if (state.shell.ConfigUnsaved) return;
    state.shell.ConfigFound = 0;
    // Only a regular file, checked on what was opened: anything else would hold the start.
    std::FILE* f = platform::OpenRegularFile(kConfigFileName);
    if (!f) return;
    unsigned char bytes[3];
    const std::size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (n >= 1) {
        // A device still missing keeps the one playing in its place.
        const auto chosen = static_cast<std::int8_t>(bytes[0]);
        auto& missing = state.devices.MissingOutDevice;
        if (!missing || *missing != chosen) {
            state.Engine.MidiOutDevice = chosen;
            missing.reset();
        }
    }
    if (n >= 2) state.Engine.MidiInDevice = bytes[1];
    if (n >= 3) thruChannel = bytes[2] <= 15 ? bytes[2] : 3;
    state.shell.ConfigFound = 1;
}

void WriteConfig(ProgramWide& state, std::int32_t thruChannel) {
    DiskIo disk;
    WriteConfig(state, thruChannel, disk);
}

void WriteConfig(ProgramWide& state, std::int32_t thruChannel, DiskIo& disk) {
    // Anywhere but the program folder the file would be lost, or clutter a folder of the user's.
    const std::filesystem::path folder = SelectFolder(state.shell, kProgramFolderRequest);
    std::string error = "the program folder is gone";
    const std::uint8_t bytes[3] = {
        static_cast<std::uint8_t>(state.devices.MissingOutDevice.value_or(state.Engine.MidiOutDevice)),
        state.Engine.MidiInDevice, static_cast<std::uint8_t>(thruChannel & 0xFF)};
    if (!folder.empty() && SaveFileAtomically(kConfigFileName, bytes, disk, error)) {
        state.shell.ConfigUnsaved = 0;
        return;
    }
    state.shell.ConfigUnsaved = 1;
    // Said where a failure the program lives with is said: the choice holds for this run, and a
    // box in the middle of playing (a THRU channel chosen, a stop) would only be in the way.
    if (state.shell.ConfigFailureSaid) return;
    state.shell.ConfigFailureSaid = 1;
    std::fprintf(stderr,
                 "Quintora2: %s cannot be written (%s): the MIDI settings hold until the program ends.\n",
                 (folder / kConfigFileName).string().c_str(), error.c_str());
}

}  // namespace common
