#include "platform/backends/jack_output.h"

#include "platform/backends/jack_client.h"
#include "platform/backends/jack_client_name.h"
#include "platform/backends/uncancelled.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <thread>

#include <unistd.h>

namespace platform {

namespace {

constexpr std::string_view kOwnPrefix = "Quintora2";
// The queue: room for the exit's sweep (4096 short messages) several times over, and for the
// largest exclusive message a period can carry.
constexpr std::size_t kQueueBytes = std::size_t{1} << 18;
// How long a send waits at most for room in a full queue (a burst faster than the periods).
constexpr std::chrono::milliseconds kRoomLimit{250};
constexpr std::chrono::microseconds kPoll{500};

using Clock = std::chrono::steady_clock;

// One record of the queue: its length, then its bytes.
using RecordLength = std::uint32_t;

class JackOutPort final : public MidiOutPort {
  public:
    JackOutPort() = default;
    ~JackOutPort() override { shut(); }

    // Makes the client and its port and connects it to `target`; false (and error) on failure.
    bool start(const std::string& target, MMRESULT& error) {
        client_ = JackClient::open(uniqueJackClientName(kOwnPrefix));
        if (!client_) {
            error = MMSYSERR_NODRIVER;
            return false;
        }
        jack_client_t* client = client_->get();
        queue_ = jack_ringbuffer_create(kQueueBytes);
        port_ = jack_port_register(client, "Quintora2 Out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (!queue_ || !port_) {
            error = MMSYSERR_NOMEM;
            return false;
        }
        jack_ringbuffer_mlock(queue_);
        jack_set_process_callback(client, &JackOutPort::process, this);
        if (jack_activate(client) != 0) {
            error = MMSYSERR_ERROR;
            return false;
        }
        active_ = true;
        const int connected = jack_connect(client, jack_port_name(port_), target.c_str());
        if (connected != 0 && connected != EEXIST) {
            error = MMSYSERR_ALLOCATED;
            return false;
        }
        // The connection stands once the server's current graph holds it and a period has run
        // on that graph (so its buffer size is known too).
        // Periods may run while the server holds back the switch to the graph with our
        // connection (for a late client, up to the server's timeout), so the wait is bounded as
        // a whole too, by the same limit.
        Progress progress(cycles_);
        const auto deadline = Clock::now() + kStallLimit;
        const auto waiting = [&] { return !gone() && !progress.stalled() && Clock::now() < deadline; };
        while (waiting() && !jack_port_connected_to(port_, target.c_str()))
            std::this_thread::sleep_for(kPoll);
        const std::uint64_t seen = cycles_.load();
        while (waiting() && cycles_.load() < seen + 2) std::this_thread::sleep_for(kPoll);
        if (gone()) {
            error = MMSYSERR_NODRIVER;
            return false;
        }
        if (!jack_port_connected_to(port_, target.c_str())) {
            error = MIDIERR_NOTREADY;
            return false;
        }
        return true;
    }

  protected:
    MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t length) override {
        if (gone()) return MMSYSERR_NODRIVER;
        const std::size_t capacity = capacity_.load();
        if ((capacity != 0 && length > capacity) || length + sizeof(RecordLength) > kQueueBytes / 2)
            return MIDIERR_TOOLARGE;
        const std::size_t need = sizeof(RecordLength) + length;
        const auto deadline = Clock::now() + kRoomLimit;
        while (jack_ringbuffer_write_space(queue_) < need) {
            if (gone()) return MMSYSERR_NODRIVER;
            if (Clock::now() >= deadline) return MIDIERR_NOTREADY;
            std::this_thread::sleep_for(kPoll);
        }
        const auto n = static_cast<RecordLength>(length);
        jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(&n), sizeof n);
        jack_ringbuffer_write(queue_, reinterpret_cast<const char*>(bytes), length);
        return MMSYSERR_NOERROR;
    }

    // Every note off on every channel: sustain released, then All Notes Off.
    MMRESULT doReset() override {
        MMRESULT r = MMSYSERR_NOERROR;
        for (std::uint8_t ch = 0; ch < 16; ++ch) {
            const std::uint8_t sustainOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 64, 0};
            const std::uint8_t allOff[3] = {static_cast<std::uint8_t>(0xB0 | ch), 123, 0};
            if (const MMRESULT e = sendBytes(sustainOff, 3); e != MMSYSERR_NOERROR) r = e;
            if (const MMRESULT e = sendBytes(allOff, 3); e != MMSYSERR_NOERROR) r = e;
        }
        return r;
    }

    MMRESULT doClose() override {
        MMRESULT r = drain();
        if (r == MMSYSERR_NOERROR && dropped_.load() != 0) r = MIDIERR_TOOLARGE;
        shut();
        return r;
    }

  private:
    // Waits until the callback has handed on the whole queue and one period more has run, so
    // that the receiver has read the last period's buffer. MIDIERR_STILLPLAYING when the server
    // stalled first: what was still queued is lost.
    MMRESULT drain() {
        if (!active_ || gone()) return MMSYSERR_NOERROR;
        Progress progress(cycles_);
        while (jack_ringbuffer_read_space(queue_) > 0) {
            if (gone()) return MMSYSERR_NOERROR;
            if (progress.stalled()) return MIDIERR_STILLPLAYING;
            std::this_thread::sleep_for(kPoll);
        }
        // The callback that took the last record may still be running: its period ends at the
        // next count, and one more period follows.
        const std::uint64_t seen = cycles_.load();
        while (!gone() && cycles_.load() < seen + 2) {
            if (progress.stalled()) return MIDIERR_STILLPLAYING;
            std::this_thread::sleep_for(kPoll);
        }
        return MMSYSERR_NOERROR;
    }

    // Whether the server has run no period for kStallLimit since the last one this saw.
    class Progress {
      public:
        explicit Progress(const std::atomic<std::uint64_t>& cycles)
            : cycles_(cycles), seen_(cycles.load()), at_(Clock::now()) {}
        bool stalled() {
            const std::uint64_t now = cycles_.load();
            if (now != seen_) {
                seen_ = now;
                at_ = Clock::now();
                return false;
            }
            return Clock::now() - at_ >= kStallLimit;
        }

      private:
        const std::atomic<std::uint64_t>& cycles_;
        std::uint64_t seen_;
        Clock::time_point at_;
    };

    // A client whose server went away is dropped as it is (see jack_client.h).
    void shut() {
        if (client_) {
            if (active_ && !gone()) jack_deactivate(client_->get());
            client_.reset();
        }
        active_ = false;
        if (queue_) {
            jack_ringbuffer_free(queue_);
            queue_ = nullptr;
        }
    }

    // JACK's thread, once a period.
    static int process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<JackOutPort*>(arg);
        return runUncancelled([self, frames] { return self->pass(frames); });
    }

    // As many whole queued messages as the period's buffer takes.
    int pass(jack_nframes_t frames) {
        void* buffer = jack_port_get_buffer(port_, frames);
        jack_midi_clear_buffer(buffer);
        const std::size_t capacity = jack_midi_max_event_size(buffer);
        capacity_.store(capacity);
        for (;;) {
            RecordLength n = 0;
            const std::size_t available = jack_ringbuffer_read_space(queue_);
            if (available < sizeof n) break;
            jack_ringbuffer_peek(queue_, reinterpret_cast<char*>(&n), sizeof n);
            if (available < sizeof n + n) break;  // its bytes are still being written
            if (n > capacity) {
                // Queued before the period's size was known, and no period can carry it.
                jack_ringbuffer_read_advance(queue_, sizeof n + n);
                dropped_.fetch_add(1);
                continue;
            }
            if (n > jack_midi_max_event_size(buffer)) break;  // the next period takes it
            jack_midi_data_t* slot = jack_midi_event_reserve(buffer, 0, n);
            if (!slot) break;
            jack_ringbuffer_read_advance(queue_, sizeof n);
            jack_ringbuffer_read(queue_, reinterpret_cast<char*>(slot), n);
        }
        cycles_.fetch_add(1);
        return 0;
    }

    bool gone() const { return !client_ || client_->serverGone(); }

    std::unique_ptr<JackClient> client_;
    jack_port_t* port_ = nullptr;
    jack_ringbuffer_t* queue_ = nullptr;
    bool active_ = false;
    std::atomic<std::uint64_t> cycles_{0};  // periods the callback has finished
    std::atomic<std::size_t> capacity_{0};  // the largest message one period carries; 0 = unknown
    std::atomic<unsigned> dropped_{0};      // messages no period could carry
};

}  // namespace

std::vector<std::string> foreignJackMidiPorts(jack_client_t* client, bool inputs) {
    std::vector<std::string> out;
    const char** ports =
        jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, inputs ? JackPortIsInput : JackPortIsOutput);
    if (!ports) return out;
    for (int i = 0; ports[i]; ++i) {
        const std::string_view name(ports[i]);
        if (name.empty() || name.substr(0, kOwnPrefix.size()) == kOwnPrefix) continue;
        out.emplace_back(name);
    }
    jack_free(ports);
    return out;
}

bool awaitJackConnection(const std::string& from, const std::string& to) {
    const auto client = JackClient::open(uniqueJackClientName(std::string(kOwnPrefix) + " check"));
    if (!client) return false;
    const auto deadline = Clock::now() + kStallLimit;
    for (;;) {
        if (client->serverGone()) return false;
        const jack_port_t* port = jack_port_by_name(client->get(), from.c_str());
        if (port && jack_port_connected_to(port, to.c_str())) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPoll);
    }
}

JackOutPorts::JackOutPorts() = default;
JackOutPorts::~JackOutPorts() = default;

bool JackOutPorts::list(std::vector<std::string>& names) {
    std::lock_guard lock(mutex_);
    // A server that went away may have come back, or another taken its place.
    if (probe_ && probe_->serverGone()) probe_.reset();
    if (!probe_) probe_ = JackClient::open(uniqueJackClientName(std::string(kOwnPrefix) + " list"));
    if (!probe_) return false;
    names = foreignJackMidiPorts(probe_->get(), true);
    return true;
}

std::vector<std::string> JackOutPorts::names() {
    std::vector<std::string> names;
    list(names);
    return names;
}

std::unique_ptr<MidiOutPort> JackOutPorts::open(int device, MMRESULT& error) {
    std::vector<std::string> ports;
    if (!list(ports)) {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }
    if (device < 0 || static_cast<std::size_t>(device) >= ports.size()) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    auto port = std::make_unique<JackOutPort>();
    if (!port->start(ports[static_cast<std::size_t>(device)], error)) return nullptr;
    return port;
}

}  // namespace platform
