// The folder rule: back to the start folder, out of a data folder, into the requested one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "common/folders.h"
#include "tests/app/support/program_fixture.h"

namespace {

namespace fs = std::filesystem;

TEST(Folders, EnteringTheProgramFolderMakesItsDataFolders) {
    testsupport::TempProgramFolder tmp;
    const fs::path home = tmp.path() / "new" / "Quintora2";
    std::string error;
    ASSERT_TRUE(common::EnterProgramFolder(home, error)) << error;
    EXPECT_EQ(fs::current_path(), home);
    EXPECT_TRUE(fs::is_directory(home / "TarnFile"));
    EXPECT_TRUE(fs::is_directory(home / "MidiFile"));
}

TEST(Folders, AFolderThatCannotBeMadeIsReported) {
    testsupport::TempProgramFolder tmp;
    { std::ofstream(tmp.path() / "plain"); }
    std::string error;
    EXPECT_FALSE(common::EnterProgramFolder(tmp.path() / "plain" / "home", error));
    EXPECT_NE(error.find("cannot create"), std::string::npos);
    EXPECT_EQ(fs::current_path(), tmp.path());
}

TEST(Folders, AnExistingFolderIsUsedEvenWhenItsDataFoldersCannotBeMade) {
    testsupport::TempProgramFolder tmp;
    const fs::path home = tmp.path() / "home";
    fs::create_directories(home);
    { std::ofstream(home / "TarnFile"); }  // a file where the data folder belongs
    std::string error, warning;
    ASSERT_TRUE(common::EnterProgramFolder(home, error, &warning)) << error;
    EXPECT_EQ(fs::current_path(), home);
    EXPECT_TRUE(fs::is_directory(home / "MidiFile"));
    EXPECT_NE(warning.find("TarnFile"), std::string::npos) << warning;
}

TEST(Folders, AFolderNamedLikeADataFolderStandsForItsParent) {
    struct Case {
        const char* given;    // relative to the temporary folder
        const char* program;  // the folder made and entered
    };
    const Case cases[] = {
        {"x/TarnFile", "x"},
        {"x/MidiFile/", "x"},
        {"x/OLDMidiFile", "x/OLDMidiFile"},  // the whole last name only
        {"x/tarnfile", "x/tarnfile"},
    };
    for (const Case& c : cases) {
        testsupport::TempProgramFolder tmp;
        std::string error;
        ASSERT_TRUE(common::EnterProgramFolder(tmp.path() / c.given, error)) << c.given << ": " << error;
        const fs::path program = tmp.path() / c.program;
        EXPECT_EQ(fs::current_path(), program) << c.given;
        EXPECT_TRUE(fs::is_directory(program / "TarnFile")) << c.given;
        EXPECT_TRUE(fs::is_directory(program / "MidiFile")) << c.given;
        EXPECT_FALSE(fs::exists(tmp.path() / "x/TarnFile/TarnFile")) << c.given;
        EXPECT_FALSE(fs::exists(tmp.path() / "x/MidiFile/MidiFile")) << c.given;
    }
}

TEST(Folders, ProgramFolderComesFromTheEnvironment) {
    const char* oldHome = std::getenv("QUINTORA_HOME");
    const char* oldXdg = std::getenv("XDG_DATA_HOME");
    const std::string keepHome = oldHome ? oldHome : "", keepXdg = oldXdg ? oldXdg : "";
    setenv("QUINTORA_HOME", "/tmp/q-home", 1);
    EXPECT_EQ(common::ProgramFolderFromEnvironment(), fs::path("/tmp/q-home"));
    unsetenv("QUINTORA_HOME");
    setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
    EXPECT_EQ(common::ProgramFolderFromEnvironment(), fs::path("/tmp/xdg/Quintora2"));
    oldHome ? (void)setenv("QUINTORA_HOME", keepHome.c_str(), 1) : (void)unsetenv("QUINTORA_HOME");
    oldXdg ? (void)setenv("XDG_DATA_HOME", keepXdg.c_str(), 1) : (void)unsetenv("XDG_DATA_HOME");
}

TEST(Folders, RequestsFromEachStartFolder) {
    testsupport::TempProgramFolder tmp;
    const fs::path prog = tmp.path();
    for (const char* extra : {"OLDMidiFile", "midifile", "OLDMidiFile/TarnFile"})
        fs::create_directories(prog / extra);
    struct Case {
        const char* start;  // relative to the temporary folder
        const char* request;
        const char* expected;  // relative to the temporary folder
    };
    const Case cases[] = {
        {"", "Quintora2", ""},
        {"", "TarnFile", "TarnFile"},
        {"", "MidiFile", "MidiFile"},
        {"", "Quintora", ""},           // the import's name also means the program folder
        {"", "tarnfile", ""},           // exact names only
        {"TarnFile", "Quintora2", ""},  // started inside a data folder: its parent
        {"TarnFile", "MidiFile", "MidiFile"},
        {"MidiFile", "TarnFile", "TarnFile"},
        {"OLDMidiFile", "Quintora2", "OLDMidiFile"},  // a whole last component only
        {"OLDMidiFile", "TarnFile", "OLDMidiFile/TarnFile"},
        {"midifile", "Quintora2", "midifile"},  // other case: not a data folder
        {"midifile", "MidiFile", "midifile"},   // no such sub-folder: stays
    };
    for (const Case& c : cases) {
        common::ShellState shell;
        shell.StartDir = (*c.start ? prog / c.start : prog).string();
        fs::current_path("/");
        const fs::path got = common::SelectFolder(shell, c.request);
        EXPECT_EQ(fs::current_path(), *c.expected ? prog / c.expected : prog)
            << "start " << c.start << ", request " << c.request;
        EXPECT_EQ(got, fs::current_path());
    }
}

TEST(Folders, TwoRequestsInARowEndInTheProgramFolder) {
    testsupport::TempProgramFolder tmp;
    common::ShellState shell;
    common::RememberStartFolder(shell);
    EXPECT_EQ(shell.StartDir, tmp.path().string());
    common::SelectFolder(shell, "MidiFile");
    EXPECT_EQ(fs::current_path(), tmp.path() / "MidiFile");
    common::SelectFolder(shell, "Quintora2");
    EXPECT_EQ(fs::current_path(), tmp.path());
}

}  // namespace
