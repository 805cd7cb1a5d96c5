#include "platform/backends/rtmidi_ports.h"

#include <rtmidi/RtMidi.h>

#include <chrono>
#include <string_view>
#include <thread>

namespace platform {

namespace {

constexpr std::string_view kOwnPrefix = "Quintora2";

RtMidi::Api rtApi(MidiApi api) {
    switch (api) {
        case MidiApi::Alsa: return RtMidi::LINUX_ALSA;
        case MidiApi::Jack: return RtMidi::UNIX_JACK;
        default: return RtMidi::RTMIDI_DUMMY;
    }
}

// RtMidi reports through exceptions and, by default, stderr; we report through results.
void quietErrors(RtMidiError::Type, const std::string&, void*) {}

template <class Rt>
std::unique_ptr<Rt> makeClient(MidiApi api, const std::string& name) {
    if (api == MidiApi::None) return nullptr;
    try {
        auto c = std::make_unique<Rt>(rtApi(api), name);
        c->setErrorCallback(&quietErrors, nullptr);
        return c;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

// The raw RtMidi indices of the ports that are not our own, in RtMidi's order.
template <class Rt>
std::vector<std::pair<unsigned, std::string>> foreignPorts(Rt& client) {
    std::vector<std::pair<unsigned, std::string>> out;
    unsigned n = 0;
    try {
        n = client.getPortCount();
    } catch (const RtMidiError&) {
        return out;
    }
    for (unsigned i = 0; i < n; ++i) {
        std::string name;
        try {
            name = client.getPortName(i);
        } catch (const RtMidiError&) {
            continue;
        }
        if (name.empty() || std::string_view(name).substr(0, kOwnPrefix.size()) == kOwnPrefix) continue;
        out.emplace_back(i, name);
    }
    return out;
}

template <class Rt>
std::vector<std::string> namesOf(Rt* client) {
    std::vector<std::string> names;
    if (!client) return names;
    for (auto& [i, n] : foreignPorts(*client)) names.push_back(n);
    return names;
}

// A new client of ours connected to the device-th foreign port; nothing (and error) on failure.
template <class Rt>
std::unique_ptr<Rt> openForeignPort(MidiApi api, int device, const char* portSuffix, MMRESULT& error) {
    auto client = makeClient<Rt>(api, std::string(kOwnPrefix));
    if (!client) {
        error = api == MidiApi::None ? MMSYSERR_BADDEVICEID : MMSYSERR_NODRIVER;
        return nullptr;
    }
    auto ports = foreignPorts(*client);
    if (device < 0 || static_cast<std::size_t>(device) >= ports.size()) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    try {
        client->openPort(ports[static_cast<std::size_t>(device)].first, std::string(kOwnPrefix) + portSuffix);
    } catch (const RtMidiError&) {
        error = MMSYSERR_ALLOCATED;
        return nullptr;
    }
    if (!client->isPortOpen()) {
        error = MMSYSERR_ALLOCATED;
        return nullptr;
    }
    return client;
}

// JACK takes what a port queued only once per period, into a buffer of fixed size, and drops
// what does not fit without a word. A burst (the exit's sweep sends 4096 messages at once) is
// therefore paced: at most kBurst messages per kWindow, far above anything a performance sends.
class BurstPacer {
public:
    void beforeSend() {
        const auto now = std::chrono::steady_clock::now();
        if (now - windowStart_ >= kWindow) {
            windowStart_ = now;
            count_ = 0;
        }
        if (++count_ <= kBurst) return;
        std::this_thread::sleep_until(windowStart_ + kWindow);
        windowStart_ = std::chrono::steady_clock::now();
        count_ = 1;
    }

private:
    static constexpr int kBurst = 256;
    static constexpr std::chrono::milliseconds kWindow{6};
    std::chrono::steady_clock::time_point windowStart_{};
    int count_ = 0;
};

class RtOutPort final : public MidiOutPort {
public:
    RtOutPort(std::unique_ptr<RtMidiOut> out, bool paced) : out_(std::move(out)), paced_(paced) {}

protected:
    MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t length) override {
        if (paced_) pacer_.beforeSend();
        try {
            out_->sendMessage(bytes, length);
            return MMSYSERR_NOERROR;
        } catch (const RtMidiError&) {
            return MMSYSERR_ERROR;
        }
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
    std::unique_ptr<RtMidiOut> out_;
    bool paced_;
    BurstPacer pacer_;
};

class RtInPort final : public MidiInPort {
public:
    RtInPort(std::unique_ptr<RtMidiIn> in, MidiInSink* sink) : in_(std::move(in)), sink_(sink) {
        in_->ignoreTypes(true, true, true);
        in_->setCallback(&RtInPort::received, this);
    }
    ~RtInPort() override {
        try {
            in_->cancelCallback();
            in_->closePort();
        } catch (const RtMidiError&) {
        }
    }

private:
    static void received(double, std::vector<unsigned char>* message, void* self) {
        if (!message || message->empty() || message->size() > 3) return;
        const auto& m = *message;
        std::uint32_t packed = m[0];
        if (m.size() > 1) packed |= std::uint32_t{m[1]} << 8;
        if (m.size() > 2) packed |= std::uint32_t{m[2]} << 16;
        static_cast<RtInPort*>(self)->sink_->shortMessage(packed);
    }
    std::unique_ptr<RtMidiIn> in_;
    MidiInSink* sink_;
};

}  // namespace

RtMidiOutPorts::RtMidiOutPorts(MidiApi api) : api_(api) {}
RtMidiOutPorts::~RtMidiOutPorts() = default;

std::vector<std::string> RtMidiOutPorts::names() {
    std::lock_guard lock(mutex_);
    if (!probe_) probe_ = makeClient<RtMidiOut>(api_, std::string(kOwnPrefix) + " list");
    return namesOf(probe_.get());
}

std::unique_ptr<MidiOutPort> RtMidiOutPorts::open(int device, MMRESULT& error) {
    auto client = openForeignPort<RtMidiOut>(api_, device, " Out", error);
    return client ? std::make_unique<RtOutPort>(std::move(client), api_ == MidiApi::Jack) : nullptr;
}

RtMidiInBackend::RtMidiInBackend(MidiApi api) : api_(api) {}
RtMidiInBackend::~RtMidiInBackend() = default;

std::vector<std::string> RtMidiInBackend::portNames() {
    std::lock_guard lock(mutex_);
    if (!probe_) probe_ = makeClient<RtMidiIn>(api_, std::string(kOwnPrefix) + " list");
    return namesOf(probe_.get());
}

std::unique_ptr<MidiInPort> RtMidiInBackend::open(int device, MidiInSink* sink, MMRESULT& error) {
    auto client = openForeignPort<RtMidiIn>(api_, device, " In", error);
    return client ? std::make_unique<RtInPort>(std::move(client), sink) : nullptr;
}

}  // namespace platform
