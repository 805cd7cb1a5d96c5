#pragma once
// A JACK client for end-to-end tests: records what arrives on its MIDI input port "in" (with
// the time it arrived) and can play short messages out of its MIDI output port "out".

#include <jack/jack.h>
#include <jack/midiport.h>

#include "platform/backends/jack_client.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

struct ReceivedMidi {
    std::vector<std::uint8_t> bytes;
    double seconds;  // time of arrival on JACK's clock (jack_get_time), in seconds
};

class JackMidiClient {
  public:
    // The client is named "<name>-<process id>".
    explicit JackMidiClient(const std::string& name);
    ~JackMidiClient();
    bool ok() const { return client_ != nullptr; }
    // Why the client is not ok.
    const std::string& failure() const { return failure_; }
    std::string inputPortName() const;   // "<client name>:in"
    std::string outputPortName() const;  // "<client name>:out"

    std::vector<ReceivedMidi> received() const;
    void clear();
    // Queues a message for the next process cycle.
    void send(std::vector<std::uint8_t> bytes);
    // JACK's clock now, the clock of ReceivedMidi::seconds.
    double now() const;
    // One period of the server, in seconds: what arrives is stamped to within it.
    double periodSeconds() const;
    // Connects our output to a port whose full name contains `fragment`; true on success.
    bool connectOutputTo(const std::string& fragment);

  private:
    static int process(jack_nframes_t frames, void* self);
    void pass(jack_nframes_t frames);
    std::string name_;
    std::string failure_;
    std::unique_ptr<platform::JackClient> client_;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<ReceivedMidi> received_;
    std::vector<ReceivedMidi> arriving_;  // JACK's thread only
    std::vector<std::vector<std::uint8_t>> outgoing_;
};

}  // namespace testsupport
