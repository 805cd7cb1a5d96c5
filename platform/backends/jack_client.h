#pragma once
// A JACK client of ours that knows when its server went away, and what follows from that.
//
// When a server goes (killed, crashed, stopped), libjack tells each of its clients so on a thread
// of its own, and from the first such notice on it takes every client this process has as lost:
// the next client opened, on any server, first frees them all. A client whose server went is
// therefore dropped, never closed: closing it as well frees it twice, or talks to a server that
// is gone, and ends the program. Nothing of it may be used after the notice either. As libjack
// does, a notice to any client of ours counts for every client opened before it, and so does an
// open in which libjack freed them (it may do so before some of them were told); a client opened
// while the notice was on its way counts as lost too (it is dropped unclosed: a leak at worst).
//
// Clients that libraries make for us (RtMidi's, FluidSynth's) take no notice of their own that we
// can see. They go with their server as ours do, so a client of ours made on that server before
// them (jackServerWatch) says when they went, and the object owning such a client is then kept,
// never destroyed (keepUnclosed), as destroying it would close the client.

#include <memory>
#include <string>

struct _jack_client;

namespace platform {

class JackClient {
  public:
    // A new client named `name` on the server JACK_DEFAULT_SERVER names (none is ever started);
    // nothing when no server answers.
    static std::unique_ptr<JackClient> open(const std::string& name);
    // Closes the client, unless its server went away.
    ~JackClient();
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;

    _jack_client* get() const { return client_; }
    // Whether the server went away; from then on the client must not be used.
    bool serverGone() const;

  private:
    JackClient(_jack_client* client, unsigned life);
    static void onShutdown(void* lifeOfClient);

    _jack_client* client_;
    unsigned life_;  // the notices that came before the client was opened
};

// A client of ours on the server that runs now, shared by everyone who holds it while that
// server runs; a new one once it went away. Nothing when no server answers. Taken before a
// library makes a client of its own: when it says its server went, so did the library's client.
// It lists the server's ports too.
std::shared_ptr<const JackClient> jackServerWatch();

// Keeps `object`, the owner of a JACK client whose server went away, from ever being
// destroyed: it stays, unused, until the process ends.
void keepUnclosed(const void* object);

}  // namespace platform
