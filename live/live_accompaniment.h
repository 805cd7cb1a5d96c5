#pragma once
// The accompaniment and live input, wired together: the program owns one of these beside its
// state and hands it the keyboard's messages and the engine's steps. User-interface thread.

#include <cstdint>

#include "accompaniment/chord_follower.h"
#include "accompaniment/part_data.h"
#include "accompaniment/part_players.h"
#include "live/held_chord.h"
#include "live/live_host.h"
#include "live/midi_input.h"
#include "live/transposition.h"

namespace live {

// The program-wide data of the accompaniment and the live input.
struct LiveState {
    accompaniment::PartData parts;
    accompaniment::ChordState chord;
    accompaniment::PlayerState players;
    HeldChordState held;
    MidiInputState input;
    TranspositionState transposition;
};

class LiveAccompaniment {
  public:
    // drumChannel and waltzMode are read at every message and step (they belong to the engine
    // block and the drum state).
    LiveAccompaniment(LiveState& state, LiveHost& host, const std::uint8_t& drumChannel,
                      const std::uint8_t& waltzMode)
        : players(state.players, state.parts, state.chord.chord, host),
          voicing(state.held, state.chord, state.parts, host),
          follower(state.chord, host, players, voicing, waltzMode),
          input(state.input, state.parts, state.chord, follower, voicing, host, drumChannel) {}

    accompaniment::PartPlayers players;
    HeldChordVoicing voicing;
    accompaniment::ChordFollower follower;
    MidiInput input;
};

}  // namespace live
