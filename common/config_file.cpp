#include "common/config_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/folders.h"

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
    state.shell.ConfigFound = 0;
    if (!configFilePresent()) return;
    std::FILE* f = std::fopen(kConfigFileName, "rb");
    if (!f) return;
    unsigned char bytes[3];
    const std::size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (n >= 1) state.Engine.MidiOutDevice = static_cast<std::int8_t>(bytes[0]);
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
    if (SelectFolder(state.shell, kProgramFolderRequest).empty()) return;
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(state.Engine.MidiOutDevice),
                                   state.Engine.MidiInDevice, static_cast<std::uint8_t>(thruChannel & 0xFF)};
    std::string error;
    (void)SaveFileAtomically(kConfigFileName, bytes, disk, error);
}

}  // namespace common
