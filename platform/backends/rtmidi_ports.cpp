#include "platform/backends/rtmidi_ports.h"

#include "platform/backends/jack_client.h"
#include "platform/backends/jack_client_name.h"
#include "platform/backends/jack_input.h"
#include "platform/backends/uncancelled.h"

#include <rtmidi/RtMidi.h>

#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>

namespace platform {

namespace {

constexpr std::string_view kOwnPrefix = "Quintora2";

RtMidi::Api rtApi(MidiApi api) {
    switch (api) {
        case MidiApi::Alsa:
            return RtMidi::LINUX_ALSA;
        case MidiApi::Jack:
            return RtMidi::UNIX_JACK;
        default:
            return RtMidi::RTMIDI_DUMMY;
    }
}

// Prints a report of RtMidi on stderr, each text once per run: a warning that comes while no
// call of ours waits for a result (the input thread's full queue, a listing) is never silent,
// nor repeated at every message.
void printOnce(const std::string& text) {
    static std::mutex mutex;
    static std::set<std::string> printed;
    std::lock_guard lock(mutex);
    if (printed.insert(text).second) std::fprintf(stderr, "Quintora2: MIDI: %s\n", text.c_str());
}

}  // namespace

// What RtMidi reports about one client: once its error callback is set it reports through the
// callback only, never by exception, and goes on as if the call had worked. During a call of
// ours the report becomes that call's result; any other report goes to stderr.
class RtReport {
  public:
    void begin() {
        std::lock_guard lock(mutex_);
        capturing_ = true;
        captured_.clear();
    }
    // The first report since begin(), or empty.
    std::string end() {
        std::lock_guard lock(mutex_);
        capturing_ = false;
        return std::move(captured_);
    }
    static void callback(RtMidiError::Type, const std::string& text, void* self) {
        static_cast<RtReport*>(self)->take(text);
    }

  private:
    void take(const std::string& text) {
        {
            std::lock_guard lock(mutex_);
            if (capturing_) {
                if (captured_.empty()) captured_ = text.empty() ? "unspecified RtMidi error" : text;
                return;
            }
        }
        printOnce(text);
    }
    std::mutex mutex_;
    bool capturing_ = false;
    std::string captured_;
};

// An RtMidi client with the report its error callback fills (declared first, the report
// outlives the client). On JACK, RtMidi closes its client when it is destroyed and takes no
// notice of a server that went away: the watch, taken before the client was made, says when
// it did, and the RtMidi object is then kept unclosed (see jack_client.h).
template <class Rt>
struct RtClient {
    std::shared_ptr<const JackClient> watch;  // JACK only
    std::unique_ptr<RtReport> report = std::make_unique<RtReport>();
    std::unique_ptr<Rt> rt;
    std::string name;  // the client's name

    RtClient() = default;
    RtClient(const RtClient&) = delete;
    RtClient& operator=(const RtClient&) = delete;
    ~RtClient() {
        if (serverGone()) keepUnclosed(rt.release());
    }
    bool serverGone() const { return watch && watch->serverGone(); }
};

namespace {

template <class Rt>
std::unique_ptr<RtClient<Rt>> makeClient(MidiApi api, const std::string& name) {
    if (api == MidiApi::None) return nullptr;
    auto c = std::make_unique<RtClient<Rt>>();
    if (api == MidiApi::Jack) {
        c->watch = jackServerWatch();
        if (!c->watch) {
            printOnce("no JACK server is running");
            return nullptr;
        }
    }
    try {
        // JACK needs a name no other client on the machine has at the same moment; ALSA gives
        // every client a number of its own, so there the plain name stays.
        c->name = api == MidiApi::Jack ? uniqueJackClientName(name) : name;
        c->rt = std::make_unique<Rt>(rtApi(api), c->name);
    } catch (const RtMidiError& e) {
        printOnce(e.getMessage());
        return nullptr;
    }
    c->rt->setErrorCallback(&RtReport::callback, c->report.get());
    return c;
}

// The raw RtMidi indices of the ports that are not our own, in RtMidi's order.
template <class Rt>
std::vector<std::pair<unsigned, std::string>> foreignPorts(Rt& client) {
    std::vector<std::pair<unsigned, std::string>> out;
    try {
        const unsigned n = client.getPortCount();
        for (unsigned i = 0; i < n; ++i) {
            const std::string name = client.getPortName(i);
            if (name.empty() || std::string_view(name).substr(0, kOwnPrefix.size()) == kOwnPrefix) continue;
            out.emplace_back(i, name);
        }
    } catch (const RtMidiError& e) {  // RtMidi reports by exception where no callback applies
        printOnce(e.getMessage());
    }
    return out;
}

template <class Rt>
std::vector<std::string> namesOf(RtClient<Rt>* client) {
    std::vector<std::string> names;
    if (!client) return names;
    for (auto& [i, n] : foreignPorts(*client->rt)) names.push_back(n);
    return names;
}

// A new client of ours connected to the device-th foreign port; nothing (and error) on failure.
template <class Rt>
std::unique_ptr<RtClient<Rt>> openForeignPort(MidiApi api, int device, const char* portSuffix,
                                              MMRESULT& error) {
    auto client = makeClient<Rt>(api, std::string(kOwnPrefix));
    if (!client) {
        error = api == MidiApi::None ? MMSYSERR_BADDEVICEID : MMSYSERR_NODRIVER;
        return nullptr;
    }
    auto ports = foreignPorts(*client->rt);
    if (device < 0 || static_cast<std::size_t>(device) >= ports.size()) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    client->report->begin();
    try {
        client->rt->openPort(ports[static_cast<std::size_t>(device)].first,
                             std::string(kOwnPrefix) + portSuffix);
    } catch (const RtMidiError& e) {
        printOnce(e.getMessage());
        client->report->end();
        error = MMSYSERR_ALLOCATED;
        return nullptr;
    }
    const std::string report = client->report->end();
    if (!report.empty()) printOnce(report);  // the open's own words, whether or not it worked
    if (!client->rt->isPortOpen()) {
        error = MMSYSERR_ALLOCATED;
        return nullptr;
    }
    return client;
}

// An ALSA sequencer port: RtMidi hands each message to the sequencer before it returns.
class RtOutPort final : public MidiOutPort {
  public:
    explicit RtOutPort(std::unique_ptr<RtClient<RtMidiOut>> out) : out_(std::move(out)) {}

  protected:
    MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t length) override {
        // A message RtMidi could not send is reported through the callback, and the call
        // returns as if it had been sent: the report is this send's result.
        out_->report->begin();
        try {
            out_->rt->sendMessage(bytes, length);
        } catch (const RtMidiError& e) {
            out_->report->end();
            printOnce(e.getMessage());
            return MMSYSERR_ERROR;
        }
        const std::string report = out_->report->end();
        if (report.empty()) return MMSYSERR_NOERROR;
        printOnce(report);
        return MMSYSERR_ERROR;
    }
    // Every note off on every channel: sustain released, then All Notes Off.
    MMRESULT doReset() override {
        MMRESULT r = MMSYSERR_NOERROR;
        for (std::uint8_t ch = 0; ch < 16; ++ch) {
            const std::uint8_t sustainOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 64, 0};
            const std::uint8_t allOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 123, 0};
            if (sendBytes(sustainOff, 3) != MMSYSERR_NOERROR) r = MMSYSERR_ERROR;
            if (sendBytes(allOff, 3) != MMSYSERR_NOERROR) r = MMSYSERR_ERROR;
        }
        return r;
    }

  private:
    std::unique_ptr<RtClient<RtMidiOut>> out_;
};

class RtInPort final : public MidiInPort {
  public:
    RtInPort(std::unique_ptr<RtClient<RtMidiIn>> in, MidiInSink* sink) : in_(std::move(in)), sink_(sink) {
        in_->rt->ignoreTypes(true, true, true);
        in_->rt->setCallback(&RtInPort::received, this);
    }
    ~RtInPort() override {
        try {
            in_->rt->cancelCallback();  // RtMidi's own state only; the port must not be called
            if (!in_->serverGone()) in_->rt->closePort();
        } catch (const RtMidiError& e) {
            printOnce(e.getMessage());
        }
    }

  private:
    // On the backend's thread; under JACK that thread is cancelled when the port closes, and
    // the sink's queue must not be left half written.
    static void received(double, std::vector<unsigned char>* message, void* self) {
        runUncancelled([message, self] { static_cast<RtInPort*>(self)->pass(message); });
    }
    void pass(const std::vector<unsigned char>* message) {
        if (!message || message->empty() || message->size() > 3) return;
        const auto& m = *message;
        std::uint32_t packed = m[0];
        if (m.size() > 1) packed |= std::uint32_t{m[1]} << 8;
        if (m.size() > 2) packed |= std::uint32_t{m[2]} << 16;
        sink_->shortMessage(packed);
    }
    std::unique_ptr<RtClient<RtMidiIn>> in_;
    MidiInSink* sink_;
};

}  // namespace

RtMidiOutPorts::RtMidiOutPorts(MidiApi api) : api_(api) {}
RtMidiOutPorts::~RtMidiOutPorts() = default;

std::vector<std::string> RtMidiOutPorts::names() {
    if (api_ == MidiApi::Jack) return jack_.names();
    std::lock_guard lock(mutex_);
    if (!probe_) probe_ = makeClient<RtMidiOut>(api_, std::string(kOwnPrefix) + " list");
    return namesOf(probe_.get());
}

std::unique_ptr<MidiOutPort> RtMidiOutPorts::open(int device, MMRESULT& error) {
    if (api_ == MidiApi::Jack) return jack_.open(device, error);
    auto client = openForeignPort<RtMidiOut>(api_, device, " Out", error);
    return client ? std::make_unique<RtOutPort>(std::move(client)) : nullptr;
}

RtMidiInBackend::RtMidiInBackend(MidiApi api) : api_(api) {}
RtMidiInBackend::~RtMidiInBackend() = default;

std::vector<std::string> RtMidiInBackend::portNames() {
    std::lock_guard lock(mutex_);
    if (api_ == MidiApi::Jack) {
        std::vector<std::string> sources;
        jackSources(sources);
        return sources;
    }
    if (!probe_) probe_ = makeClient<RtMidiIn>(api_, std::string(kOwnPrefix) + " list");
    return namesOf(probe_.get());
}

bool RtMidiInBackend::jackSources(std::vector<std::string>& sources) {
    // A server that went away may have come back, or another taken its place.
    if (!jackProbe_ || jackProbe_->serverGone()) jackProbe_ = jackServerWatch();
    if (!jackProbe_) return false;
    sources = foreignJackMidiPorts(jackProbe_->get(), false);
    return true;
}

std::unique_ptr<MidiInPort> RtMidiInBackend::open(int device, MidiInSink* sink, MMRESULT& error) {
    if (api_ == MidiApi::Jack) {
        // Our own client: RtMidi's close unregisters the port while a period may still read it.
        std::vector<std::string> sources;
        bool answers = false;
        {
            std::lock_guard lock(mutex_);
            answers = jackSources(sources);
        }
        if (!answers) {
            error = MMSYSERR_NODRIVER;
            return nullptr;
        }
        if (device < 0 || static_cast<std::size_t>(device) >= sources.size()) {
            error = MMSYSERR_BADDEVICEID;
            return nullptr;
        }
        return openJackInput(sources[static_cast<std::size_t>(device)], sink, error);
    }
    auto client = openForeignPort<RtMidiIn>(api_, device, " In", error);
    return client ? std::make_unique<RtInPort>(std::move(client), sink) : nullptr;
}

}  // namespace platform
