#pragma once
// MIDI output ports of a JACK server, through JACK itself. Each open output is a client of our
// own ("Quintora2") with one MIDI output port connected to the chosen input port, and a queue
// that its process callback empties into the port's buffer once a period. Owning the callback
// is what makes the queue and the connection observable:
//  - opening returns once the connection stands in the server's graph, so the first messages
//    are not handed to a port that leads nowhere yet;
//  - closing first lets the callback hand on everything queued, and one period more so that
//    the receiver has read it, before the client goes;
//  - both wait for as long as the server goes on running periods, however slowly, and give up
//    on a server that ran none for kStallLimit (an open also when its connection has not stood
//    within kStallLimit; a close always ends, as every period hands on part of the queue);
//  - a message larger than one period's port buffer can carry is refused (MIDIERR_TOOLARGE),
//    never dropped as a success; one that fits is sent whole, in one period.
// Ports of our own clients (names starting with "Quintora2") are left out of the list.
// A server that went away drops its clients here (see jack_client.h): a port of it fails every
// send from then on, and the next list or open finds whatever server runs by then.
//
// Threads: names() and open() from any thread; a port's calls are serialised by the output
// registry's per-port lock (one sender at a time), while JACK's thread runs the callback.

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/midi_out.h"

struct _jack_client;

namespace platform {

class JackClient;

// How long an open or a close waits for the server's next period before it gives up on the
// server. A server that is merely slow (waiting for a late client, its driver thread starved on
// a loaded machine) runs periods late but runs them; JACK itself takes a server whose driver ran
// no period for 5 s as not running and refuses new clients then. A close that gives up loses
// what was still queued (note-offs among it), so it waits as long as JACK would.
inline constexpr std::chrono::milliseconds kStallLimit{5000};

// Waits until the server's current graph connects the port `from` to the port `to` (full
// names), at most kStallLimit; whether it does. A connection asked for stands only from the
// server's next graph on, and what the source sends before that never reaches `to`.
bool awaitJackConnection(const std::string& from, const std::string& to);

// The full names of the server's MIDI ports that are not our own, in the server's order: its
// inputs (where an output of ours connects) or its outputs (where an input of ours connects).
std::vector<std::string> foreignJackMidiPorts(_jack_client* client, bool inputs);

class JackOutPorts {
  public:
    JackOutPorts();
    ~JackOutPorts();
    JackOutPorts(const JackOutPorts&) = delete;
    JackOutPorts& operator=(const JackOutPorts&) = delete;

    // The full names ("client:port") of the server's MIDI input ports that are not our own,
    // in the server's order; empty when no server runs.
    std::vector<std::string> names();
    // Connects a new output to the device-th of names().
    std::unique_ptr<MidiOutPort> open(int device, MMRESULT& error);

  private:
    bool list(std::vector<std::string>& names);  // false when no server answers

    std::mutex mutex_;
    std::unique_ptr<JackClient> probe_;  // one client for listing, made on first use
};

}  // namespace platform
