#pragma once
// The accompaniment and live input wired together over a host that records what they do.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "accompaniment/chord_follower.h"
#include "accompaniment/part_players.h"
#include "live/held_chord.h"
#include "live/live_accompaniment.h"
#include "live/midi_input.h"

namespace livetest {

using Bytes = std::vector<int>;

class RecordingHost final : public live::LiveHost {
  public:
    std::vector<Bytes> sent;         // status, data 1, data 2
    std::vector<std::string> calls;  // "start", "stop", "panic", "box", "beat blue", "arm 0 100", ...
    std::map<int, int> armed;        // part -> ms
    accompaniment::ChordFollower* follower = nullptr;
    accompaniment::PartPlayers* players = nullptr;
    accompaniment::ChordState* chord = nullptr;
    accompaniment::PlayerState* playerState = nullptr;

    int ShortMidiMsg(int first, int d1, int d2) override {
        sent.push_back({first + 0x80, d1, d2});
        return 0;
    }
    void StartPlaying() override {
        calls.push_back("start");
        chord->AccompanimentRunning = 1;
        accompaniment::PlayingStarted(*chord, *playerState);
    }
    // Only recorded: what the accompaniment itself does at a stop is what the tests check.
    void StopPlaying() override {
        calls.push_back("stop");
        sent.push_back({-1, 0, 0});  // the stop's panic: every note off
    }
    void Panic() override {
        calls.push_back("panic");
        sent.push_back({-1, 0, 0});
    }
    void ShowBeat(bool blue) override { calls.push_back(blue ? "beat blue" : "beat yellow"); }
    void ErrorBox(const char* text) override { calls.push_back(std::string("box ") + text); }
    void ArmPartTimer(int part, std::int32_t ms) override {
        armed[part] = ms;
        calls.push_back("arm " + std::to_string(part) + " " + std::to_string(ms));
    }
    void DisarmPartTimer(int part) override { armed.erase(part); }
    void ShowPlayedNote(int key, int pc, int velocity, int channel) override {
        calls.push_back("show " + std::to_string(key) + " " + std::to_string(pc) + " " +
                        std::to_string(velocity) + " " + std::to_string(channel));
    }
    void ShowCurrentInstrument(int program) override {
        calls.push_back("instrument " + std::to_string(program));
    }
};

struct LiveRig {
    live::LiveState state;
    accompaniment::PartData& d = state.parts;
    accompaniment::ChordState& c = state.chord;
    accompaniment::PlayerState& ps = state.players;
    live::HeldChordState& hs = state.held;
    live::MidiInputState& ms = state.input;
    std::uint8_t waltz = 0;
    std::uint8_t drumChannel = 9;
    RecordingHost host;
    live::LiveAccompaniment live{state, host, drumChannel, waltz};
    accompaniment::PartPlayers& players = live.players;
    live::HeldChordVoicing& voicing = live.voicing;
    accompaniment::ChordFollower& follower = live.follower;
    live::MidiInput& input = live.input;

    LiveRig() {
        host.follower = &follower;
        host.players = &players;
        host.chord = &c;
        host.playerState = &ps;
        accompaniment::ResetOrchestraData(d);
    }
    void key(int channel, int note, int velocity) {
        input.HandleMidiInput(static_cast<std::uint32_t>((0x90 | channel) | (note << 8) | (velocity << 16)));
    }
    void press(std::initializer_list<int> notes, int channel = 0) {
        for (int n : notes) key(channel, n, 100);
    }
    void release(std::initializer_list<int> notes, int channel = 0) {
        for (int n : notes) key(channel, n, 0);
    }
    // Runs the steps from..to (inclusive, in loop order) as the engine would post them.
    void steps(int from, int count) {
        for (int i = 0; i < count; ++i) follower.StepAccompaniment((from + i) % 256);
    }
    void fireTimers() {
        auto due = host.armed;
        for (auto [part, ms] : due) players.PartTimerFired(part);
    }
};

}  // namespace livetest
