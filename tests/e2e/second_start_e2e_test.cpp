// Two starts of the real program on one program folder: the second says so in a box and ends
// without touching the folder, while the first runs on; a first program that was killed leaves
// nothing behind that keeps the next start out. No MIDI ports and no sound are needed.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "tests/e2e/child_process.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/folder_snapshot.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class SecondStart : public ::testing::Test {
  protected:
    // Not a first run (which opens the help's introduction): the built-in synth and channel 4.
    void SetUp() override {
        ASSERT_FALSE(home.path.empty());
        std::ofstream(home.path / "Quintora2.cfg", std::ios::binary) << std::string{'\xFF', 0, 3};
    }
    std::unique_ptr<e2e::ChildProcess> start() {
        return std::make_unique<e2e::ChildProcess>(
            QUINTORA_DRIVEN, std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "offscreen"},
                                                                {"QUINTORA_MIDI_API", "none"},
                                                                {"QUINTORA_AUDIO", "none"},
                                                                {"QUINTORA_HOME", home.path.string()}});
    }
    // Answers the box that comes up with OK; false when none came before the deadline.
    static bool answerBox(e2e::ChildProcess& program) {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < deadline) {
            program.writeLine("answer Ok");
            for (;;) {
                const auto line = program.readLine(30s);
                if (!line) return false;
                if (*line == "done answer Ok") return true;
                if (*line == "missing answer Ok") break;  // not up yet: asked again
            }
        }
        return false;
    }

    e2e::TempFolder home;
};

TEST_F(SecondStart, EndsWithABoxAndLeavesTheFolderAsItWasAndAKilledFirstBlocksNothing) {
    auto first = start();
    ASSERT_TRUE(first->waitFor("ready ", 60s)) << first->threadStacks();
    // What a second start would make or write if it went on: the help page and the jingle it
    // copies where missing, the data folder, the configuration; and the import's working file.
    fs::remove(home.path / "help" / "Index.htm");
    fs::remove(home.path / "Varoza.mid");
    fs::remove(home.path / "MidiFile");
    { std::ofstream(home.path / "$$$$") << "half read by the first program"; }
    const auto before = testsupport::SnapshotFolder(home.path);
    ASSERT_TRUE(before.count("Quintora2.lock")) << "the first start holds the folder";

    auto second = start();
    ASSERT_TRUE(answerBox(*second)) << second->threadStacks();
    const auto status = second->waitExit(60s);
    ASSERT_TRUE(status.has_value()) << second->threadStacks();
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(testsupport::SnapshotFolder(home.path), before) << "the second start changed the folder";

    // The first runs on; killed, it leaves its lock file, which keeps no one out.
    first->writeLine("click PanicBtn");  // any action: the first still answers
    EXPECT_TRUE(first->waitFor("done click PanicBtn", 60s)) << first->threadStacks();
    first.reset();  // killed
    auto third = start();
    ASSERT_TRUE(third->waitFor("ready ", 60s)) << third->threadStacks();
    third->writeLine("trigger ExitItem");
    const auto ended = third->waitExit(60s);
    ASSERT_TRUE(ended.has_value()) << third->threadStacks();
    EXPECT_EQ(*ended, 0);
}

}  // namespace
