#pragma once
// MIDI ports of the system through RtMidi; on JACK, outputs and inputs go through JACK itself
// (jack_output.h, jack_input.h), whose queue, connection and close we can see, and so do the
// lists of JACK's ports. Ports that belong to this program's own clients (names starting with
// "Quintora2") are left out of the lists. What RtMidi reports becomes the result of the call it
// happened in (a send), or is printed on stderr once per text.

#include <memory>
#include <mutex>

#include "platform/backends/jack_output.h"
#include "platform/backends/midi_api.h"
#include "platform/midi_in.h"
#include "platform/midi_out.h"

class RtMidiIn;
class RtMidiOut;

namespace platform {

class JackClient;

template <class Rt>
struct RtClient;

class RtMidiOutPorts {
  public:
    explicit RtMidiOutPorts(MidiApi api);
    ~RtMidiOutPorts();
    std::vector<std::string> names();
    std::unique_ptr<MidiOutPort> open(int device, MMRESULT& error);

  private:
    MidiApi api_;
    std::mutex mutex_;
    std::unique_ptr<RtClient<RtMidiOut>> probe_;  // one client for listing, made on first use
    JackOutPorts jack_;
};

class RtMidiInBackend final : public MidiInBackend {
  public:
    explicit RtMidiInBackend(MidiApi api);
    ~RtMidiInBackend() override;
    std::vector<std::string> portNames() override;
    std::unique_ptr<MidiInPort> open(int device, MidiInSink* sink, MMRESULT& error) override;

  private:
    // On JACK, the sources (other clients' MIDI outputs) through our own client; false when no
    // server answers. Under mutex_.
    bool jackSources(std::vector<std::string>& sources);
    MidiApi api_;
    std::mutex mutex_;
    std::unique_ptr<RtClient<RtMidiIn>> probe_;    // one client for listing, made on first use
    std::shared_ptr<const JackClient> jackProbe_;  // on JACK, the list is our own client's
};

}  // namespace platform
