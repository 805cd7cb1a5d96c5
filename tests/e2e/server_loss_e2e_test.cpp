// The real program on a private JACK server that is killed while a file plays: File | Exit
// still ends the program cleanly, and a server started again under the same name is found
// again: the player plays through its ports, and a THRU key comes back through them.

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tests/e2e/program_rig.h"

namespace {

using e2e::Received;
using e2e::waitUntil;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

std::size_t noteOnsFrom(const Received& got, std::size_t from) {
    std::size_t n = 0;
    for (std::size_t i = from; i < got.size(); ++i)
        n += got[i].bytes.size() == 3 && (got[i].bytes[0] & 0xF0) == 0x90 && got[i].bytes[2] > 0;
    return n;
}

class ServerLoss : public e2e::ProgramOnJack {
  protected:
    void SetUp() override {
        ProgramOnJack::SetUp();
        if (HasFatalFailure()) return;
        // Sixteen notes half a second apart: the file still plays when the server goes.
        std::vector<e2e::Note> notes;
        for (int i = 0; i < 16; ++i) notes.push_back({60 + i, i * 500, 400});
        std::filesystem::create_directories(home.path / "MidiFile");
        e2e::WriteSong(home.path / "MidiFile" / "long.mid", 0, notes);
    }

    // The player's auto play started, its first note arrived at `client`, and the server killed;
    // the program sees it when the file's next note cannot be sent, and says so in a box.
    void playAndKillTheServer() {
        startProgram();
        rig.clear();
        ASSERT_TRUE(act("click BitBtn1"));
        ASSERT_TRUE(waitUntil(rig, 30s, [](const Received& got) { return noteOnsFrom(got, 0) >= 1; }))
            << e2e::describe(rig.received());
        ASSERT_TRUE(server.crash()) << server.failure();
        ASSERT_TRUE(answerWhenShown("Ok")) << "the player's box about the lost device";
    }

    // Runs `action`, answering with OK every box that comes up on the way (a device that is
    // gone may be reported more than once); whether the action was done.
    bool actThroughBoxes(const std::string& action) {
        program->writeLine(action);
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (std::chrono::steady_clock::now() < deadline) {
            const auto line = program->readLine(1s);
            if (line && *line == "done " + action) return true;
            if (!line) program->writeLine("answer Ok");  // the action waits, on a box perhaps
        }
        return false;
    }

    void exitThroughBoxes() {
        ASSERT_TRUE(actThroughBoxes("trigger ExitItem")) << program->threadStacks();
        const auto status = program->waitExit(30s);
        ASSERT_TRUE(status.has_value()) << program->threadStacks();
        EXPECT_EQ(*status, 0) << "the program ended cleanly";
    }
};

TEST_F(ServerLoss, ExitAfterTheServerWasKilledEndsCleanly) {
    playAndKillTheServer();
    if (HasFatalFailure()) return;
    exitThroughBoxes();
}

TEST_F(ServerLoss, AServerStartedAgainIsFoundByThePlayerAndTheThruChannel) {
    playAndKillTheServer();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(actThroughBoxes("click BitBtn2"));  // the player's STOP

    // The same server again, with a client of a name the program has not seen (a list of the
    // server that went would not hold it): the configured device numbers, the first port of
    // each kind, name its ports.
    ASSERT_TRUE(server.restart()) << server.failure();
    std::optional<testsupport::JackMidiClient> again;
    again.emplace("rig-again");
    ASSERT_TRUE(again->ok()) << again->failure();

    ASSERT_TRUE(actThroughBoxes("click BitBtn1"));
    EXPECT_TRUE(waitUntil(*again, 30s, [](const Received& got) { return noteOnsFrom(got, 0) >= 2; }))
        << "the player plays through the server that came back; " << e2e::describe(again->received());
    ASSERT_TRUE(actThroughBoxes("click BitBtn2"));

    // The drum tab's COMBO stops playing and opens the input and the engine's output anew: a key
    // on the THRU channel (4) comes back.
    ASSERT_TRUE(act("click DRUMTAB"));
    ASSERT_TRUE(act("click ComboButton"));
    bool back = false;
    for (int attempt = 0; attempt < 5 && !back; ++attempt) {
        const std::size_t from = again->received().size();
        again->send({0x93, 67, 100});
        back = waitUntil(*again, 2s, [&](const Received& got) {
            for (std::size_t i = from; i < got.size(); ++i)
                if (got[i].bytes == Bytes{0x93, 67, 100}) return true;
            return false;
        });
    }
    EXPECT_TRUE(back) << "a THRU key through the server that came back; " << e2e::describe(again->received());
    again->send({0x93, 67, 0});
    exitThroughBoxes();
}

}  // namespace
