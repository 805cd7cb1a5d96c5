#include "platform/backends/jack_input.h"

#include "platform/backends/jack_client.h"
#include "platform/backends/jack_client_name.h"
#include "platform/backends/jack_output.h"
#include "platform/backends/uncancelled.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

constexpr const char* kPortName = "Quintora2 In";

// Status bytes the program never takes from its input.
bool ignored(std::uint8_t status) {
    return status == 0xF0 || status == 0xF1 || status == 0xF8 || status == 0xFE;
}

class JackInPort final : public MidiInPort {
  public:
    explicit JackInPort(MidiInSink* sink) : sink_(sink) {}
    ~JackInPort() override {
        // Deactivated before it goes: no period reads the port once this returns.
        if (client_ && active_ && !client_->serverGone()) jack_deactivate(client_->get());
        client_.reset();
    }
    JackInPort(const JackInPort&) = delete;
    JackInPort& operator=(const JackInPort&) = delete;

    bool connect(const std::string& source, MMRESULT& error) {
        client_ = JackClient::open(uniqueJackClientName("Quintora2"));
        if (!client_) {
            error = MMSYSERR_NODRIVER;
            return false;
        }
        jack_client_t* client = client_->get();
        port_ = jack_port_register(client, kPortName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        if (!port_) {
            error = MMSYSERR_NOMEM;
            return false;
        }
        jack_set_process_callback(client, &JackInPort::process, this);
        if (jack_activate(client) != 0) {
            error = MMSYSERR_ERROR;
            return false;
        }
        active_ = true;
        const std::string ours = jack_port_name(port_);
        const int connected = jack_connect(client, source.c_str(), ours.c_str());
        if (connected != 0 && connected != EEXIST) {
            error = MMSYSERR_ALLOCATED;
            return false;
        }
        // A connection that stands only later still works from then on.
        awaitJackConnection(source, ours);
        return true;
    }

  private:
    // On JACK's thread, which libjack may cancel at any instruction.
    static int process(jack_nframes_t frames, void* self) {
        return runUncancelled([frames, self] { return static_cast<JackInPort*>(self)->pass(frames); });
    }
    int pass(jack_nframes_t frames) {
        void* buffer = jack_port_get_buffer(port_, frames);
        const jack_nframes_t count = jack_midi_get_event_count(buffer);
        for (jack_nframes_t i = 0; i < count; ++i) {
            jack_midi_event_t event{};
            if (jack_midi_event_get(&event, buffer, i) != 0) continue;
            if (event.size == 0 || event.size > 3 || ignored(event.buffer[0])) continue;
            std::uint32_t packed = event.buffer[0];
            if (event.size > 1) packed |= std::uint32_t{event.buffer[1]} << 8;
            if (event.size > 2) packed |= std::uint32_t{event.buffer[2]} << 16;
            sink_->shortMessage(packed);
        }
        return 0;
    }

    MidiInSink* sink_;
    std::unique_ptr<JackClient> client_;
    jack_port_t* port_ = nullptr;
    bool active_ = false;
};

}  // namespace

std::unique_ptr<MidiInPort> openJackInput(const std::string& source, MidiInSink* sink, MMRESULT& error) {
    auto port = std::make_unique<JackInPort>(sink);
    if (!port->connect(source, error)) return nullptr;
    return port;
}

}  // namespace platform
