#pragma once
// The rig of the end-to-end tests: a private JACK server, a client that records the program's
// output and plays its keyboard, and the real program driven through its test hook with that
// client as both its devices. Also the reading of what the client received.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/child_process.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/jack_midi_client.h"
#include "tests/support/jack_server.h"

namespace e2e {

using Bytes = std::vector<std::uint8_t>;
using Received = std::vector<testsupport::ReceivedMidi>;

// The index of the first name holding `fragment`, or -1.
int indexOf(const std::vector<std::string>& names, const std::string& fragment);

// The last `count` messages received, for a failure's message.
std::string describe(const Received& got, std::size_t count = 60);

// When each copy of `message` arrived, in seconds.
std::vector<double> timesOf(const Received& got, const Bytes& message);

// A note-on of `note` on `channel` with a velocity above 0.
bool isNoteOn(const Bytes& m, int channel, int note);
// How many such note-ons arrived.
std::size_t countNoteOns(const Received& got, int channel, int note);

// Note-ons (off the drum channel) that nothing later ends: no note-off or velocity-0 note-on
// of the same note on its channel, no all-notes-off on the channel. As "channel:note".
std::vector<std::string> unendedNotes(const Received& got);

struct Note {
    int key;
    int startMs;
    int lengthMs;
};

// A format-1 file at 120 beats a minute (one tick a millisecond at division 500): a tempo track
// and the notes on channel `channel`.
void WriteSong(const std::filesystem::path& path, int channel, const std::vector<Note>& notes);

class ProgramOnJack : public ::testing::Test {
  protected:
    // Writes a configuration naming the client's ports as the program's output and input.
    void SetUp() override;

    void startProgram();
    // One hook action, true when the program reports it done within `timeout`.
    bool act(const std::string& action, std::chrono::seconds timeout = std::chrono::seconds(20));
    // Answers the message box on screen with No.
    bool answerNo();
    // Answers the message box as soon as it is on screen; false when none came up in time.
    bool answerWhenShown(const std::string& button, std::chrono::seconds timeout = std::chrono::seconds(30));
    // A click that shows a file dialog, answered with `path`. With `questions`, a "Save
    // Changes?" box comes before the dialog and another after it; both are answered No.
    bool clickWithFile(const std::string& button, const std::filesystem::path& path, bool questions = false);
    // Keys pressed and released on the client's keyboard.
    void press(std::initializer_list<int> keys);
    void release(std::initializer_list<int> keys);
    // File | Exit; the program must end with 0. With `answerNo`, a "Save Changes?" box that
    // comes up is answered No.
    void exitProgram(bool answerNo = false);

    testsupport::JackServer server;
    testsupport::JackMidiClient rig{"rig"};
    TempFolder home;
    std::unique_ptr<ChildProcess> program;
};

}  // namespace e2e
