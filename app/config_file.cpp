#include "app/config_file.h"

#include <cstdio>

#include "app/folders.h"

namespace app {

namespace {
constexpr const char* kTemporaryName = "Quintora2.cfg.new";
}

void ProbeConfig(ProgramState& state) {
    if (std::FILE* f = std::fopen(kConfigFileName, "rb")) {
        state.shell.ConfigFound = 1;
        std::fclose(f);
    }
}

void ReadConfig(ProgramState& state) {
    SelectFolder(state.shell, kProgramFolderRequest);
    state.shell.ConfigFound = 0;
    std::FILE* f = std::fopen(kConfigFileName, "rb");
    if (!f) return;
    unsigned char bytes[3];
    const std::size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (n >= 1) state.Engine.MidiOutDevice = static_cast<std::int8_t>(bytes[0]);
    if (n >= 2) state.Engine.MidiInDevice = bytes[1];
    if (n >= 3) state.live.parts.ThruChannel = bytes[2] <= 15 ? bytes[2] : 3;
    state.shell.ConfigFound = 1;
}

void WriteConfig(ProgramState& state) {
    SelectFolder(state.shell, kProgramFolderRequest);
    std::FILE* f = std::fopen(kTemporaryName, "wb");
    if (!f) return;
    const unsigned char bytes[3] = {static_cast<unsigned char>(state.Engine.MidiOutDevice),
                                    state.Engine.MidiInDevice,
                                    static_cast<unsigned char>(state.live.parts.ThruChannel & 0xFF)};
    const bool written = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    if (std::fclose(f) != 0 || !written || std::rename(kTemporaryName, kConfigFileName) != 0)
        std::remove(kTemporaryName);
}

}  // namespace app
