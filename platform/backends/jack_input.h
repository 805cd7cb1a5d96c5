#pragma once
// A MIDI input from a JACK port, through JACK itself: a client of our own ("Quintora2") with one
// MIDI input port connected from the chosen source. Owning the client is what makes a close
// safe: the client is deactivated first, which returns only once no period of its callback
// runs, and only then goes. (Unregistering the port of an active client, as a library's close
// does, frees it while the period that reads it may still run.)
//
// Each short message of a period goes to the sink on JACK's thread, in order; exclusive
// messages, timing clock, time code and active sensing are left out, as are events longer than
// three bytes. The open returns once the connection stands in the server's graph (at most
// kStallLimit), so that keys played at once are not lost. A server that went away drops the
// client unclosed (see jack_client.h).

#include <memory>
#include <string>

#include "platform/midi_in.h"

namespace platform {

// A new input connected from the port `source` (its full name); nothing (and error) on failure.
std::unique_ptr<MidiInPort> openJackInput(const std::string& source, MidiInSink* sink, MMRESULT& error);

}  // namespace platform
