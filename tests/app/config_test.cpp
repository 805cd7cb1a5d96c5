// The three-byte configuration file: what is written, and how short, damaged and missing files
// are read.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/config_file.h"
#include "tests/app/support/program_fixture.h"
#include "tests/app/support/test_disk.h"

namespace {

using Bytes = std::vector<unsigned char>;

class ConfigFile : public testsupport::ProgramFixture {
  protected:
    Bytes fileBytes() {
        std::ifstream in(folder.path() / common::kConfigFileName, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    using Names = std::vector<std::string>;
    // The program folder's entries, sorted.
    Names entries() {
        Names names;
        for (const auto& e : std::filesystem::directory_iterator(folder.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void writeFile(const Bytes& b) {
        std::ofstream out(folder.path() / common::kConfigFileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
};

TEST_F(ConfigFile, WritesOutputInputAndThruChannelAsThreeBytes) {
    state.Engine.MidiOutDevice = -1;
    state.Engine.MidiInDevice = 2;
    state.live.parts.ThruChannel = 3;
    common::WriteConfig(state, state.live.parts.ThruChannel);
    EXPECT_EQ(fileBytes(), (Bytes{0xFF, 0x02, 0x03}));
    state.Engine.MidiOutDevice = 4;
    common::WriteConfig(state, state.live.parts.ThruChannel);
    EXPECT_EQ(fileBytes(), (Bytes{0x04, 0x02, 0x03})) << "rewritten whole, always three bytes";
}

TEST_F(ConfigFile, WritesIntoTheProgramFolderFromAnyFolder) {
    std::filesystem::current_path(folder.path() / "TarnFile");
    common::WriteConfig(state, state.live.parts.ThruChannel);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / common::kConfigFileName));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path() / "TarnFile"));
    EXPECT_EQ(entries(), (Names{"MidiFile", "Quintora2.cfg", "TarnFile"})) << "no temporary file is left";
}

TEST_F(ConfigFile, AFailedWriteKeepsTheOldFile) {
    writeFile({0xFF, 0x02, 0x03});
    testsupport::TestDisk disk;
    disk.failWrites = true;
    state.Engine.MidiOutDevice = 4;
    common::WriteConfig(state, state.live.parts.ThruChannel, disk);
    EXPECT_EQ(fileBytes(), (Bytes{0xFF, 0x02, 0x03}));
    EXPECT_EQ(entries(), (Names{"MidiFile", "Quintora2.cfg", "TarnFile"}));
}

// The new bytes reach the disk before they take the file's name, and the rename reaches the
// disk with the folder after it: a crash at any moment leaves the old file or the new one whole.
TEST_F(ConfigFile, TheNewFileThenTheFolderReachTheDisk) {
    writeFile({0xFF, 0x02, 0x03});
    testsupport::TestDisk disk;
    disk.watched = folder.path() / common::kConfigFileName;
    state.Engine.MidiOutDevice = 4;
    state.Engine.MidiInDevice = 2;
    common::WriteConfig(state, state.live.parts.ThruChannel, disk);
    EXPECT_EQ(fileBytes(), (Bytes{0x04, 0x02, 0x03}));
    ASSERT_EQ(disk.syncs.size(), 2u);
    const auto& file = disk.syncs[0];
    EXPECT_EQ(file.call, "file");
    EXPECT_FALSE(file.isFolder);
    EXPECT_EQ(file.fileBytes, (Bytes{0x04, 0x02, 0x03})) << "the new file, written whole";
    EXPECT_EQ(file.watchedBytes, (Bytes{0xFF, 0x02, 0x03})) << "before the rename";
    const auto& dir = disk.syncs[1];
    EXPECT_EQ(dir.call, "folder");
    EXPECT_TRUE(dir.isFolder);
    struct stat programFolder {};
    ASSERT_EQ(::stat(folder.path().c_str(), &programFolder), 0);
    EXPECT_EQ(dir.inode, programFolder.st_ino) << "the folder of the file";
    EXPECT_EQ(dir.watchedBytes, (Bytes{0x04, 0x02, 0x03})) << "after the rename";
}

TEST_F(ConfigFile, AFileThatCannotReachTheDiskKeepsTheOldFile) {
    writeFile({0xFF, 0x02, 0x03});
    testsupport::TestDisk disk;
    disk.failSync = "file";
    state.Engine.MidiOutDevice = 4;
    common::WriteConfig(state, state.live.parts.ThruChannel, disk);
    EXPECT_EQ(fileBytes(), (Bytes{0xFF, 0x02, 0x03}));
    EXPECT_EQ(entries(), (Names{"MidiFile", "Quintora2.cfg", "TarnFile"})) << "no temporary file is left";
}

TEST_F(ConfigFile, OnlyARegularFileIsTheConfiguration) {
    std::filesystem::create_directory(folder.path() / common::kConfigFileName);
    common::ProbeConfig(state);
    EXPECT_EQ(state.shell.ConfigFound, 0);
    EXPECT_TRUE(common::ConfigFileBlocked());
    state.Engine.MidiOutDevice = 5;
    state.shell.ConfigFound = 1;
    common::ReadConfig(state, state.live.parts.ThruChannel);
    EXPECT_EQ(state.shell.ConfigFound, 0);
    EXPECT_EQ(state.Engine.MidiOutDevice, 5);
    common::WriteConfig(state, state.live.parts.ThruChannel);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / common::kConfigFileName)) << "the folder stays";
    EXPECT_EQ(entries(), (Names{"MidiFile", "Quintora2.cfg", "TarnFile"}));
}

TEST_F(ConfigFile, NothingIsWrittenWhenTheProgramFolderIsGone) {
    const std::filesystem::path gone = folder.path() / "gone";
    std::filesystem::create_directory(gone);
    state.shell.StartDir = gone.string();
    std::filesystem::remove(gone);
    common::WriteConfig(state, state.live.parts.ThruChannel);
    EXPECT_EQ(entries(), (Names{"MidiFile", "TarnFile"})) << "not in the folder that happened to be current";
}

TEST_F(ConfigFile, MissingFileKeepsTheSettings) {
    state.Engine.MidiOutDevice = 5;
    state.shell.ConfigFound = 1;
    common::ReadConfig(state, state.live.parts.ThruChannel);
    EXPECT_EQ(state.shell.ConfigFound, 0);
    EXPECT_EQ(state.Engine.MidiOutDevice, 5);
    EXPECT_EQ(state.Engine.MidiInDevice, 0);
    EXPECT_EQ(state.live.parts.ThruChannel, 3);
}

TEST_F(ConfigFile, ReadsWhatThereIsAndKeepsTheThruChannelUsable) {
    struct Case {
        Bytes file;
        int out, in, thru;
    };
    // Settings before each read: output 7, input 6, THRU channel 5.
    const Case cases[] = {
        {{0xFF, 0x02, 0x03}, -1, 2, 3},
        {{0x01, 0x00, 0x0F}, 1, 0, 15},
        {{0x01, 0x00, 0x10}, 1, 0, 3},  // channel 16 does not exist
        {{0x01, 0x00, 0xFF}, 1, 0, 3},
        {{0x02, 0x01}, 2, 1, 5},  // short: only the bytes present
        {{0x02}, 2, 6, 5},
        {{}, 7, 6, 5},
        {{0x00, 0x01, 0x02, 0x09}, 0, 1, 2},  // extra bytes are not read
    };
    for (const Case& c : cases) {
        state.Engine.MidiOutDevice = 7;
        state.Engine.MidiInDevice = 6;
        state.live.parts.ThruChannel = 5;
        writeFile(c.file);
        common::ReadConfig(state, state.live.parts.ThruChannel);
        EXPECT_EQ(state.shell.ConfigFound, 1);
        EXPECT_EQ(state.Engine.MidiOutDevice, c.out) << c.file.size() << " bytes";
        EXPECT_EQ(state.Engine.MidiInDevice, c.in) << c.file.size() << " bytes";
        EXPECT_EQ(state.live.parts.ThruChannel, c.thru) << c.file.size() << " bytes";
    }
}

TEST_F(ConfigFile, ProbeLooksInTheCurrentFolder) {
    common::ProbeConfig(state);
    EXPECT_EQ(state.shell.ConfigFound, 0);
    writeFile({0xFF, 0, 3});
    common::ProbeConfig(state);
    EXPECT_EQ(state.shell.ConfigFound, 1);
}

}  // namespace
