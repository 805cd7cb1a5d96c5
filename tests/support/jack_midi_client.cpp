#include "tests/support/jack_midi_client.h"

#include "platform/backends/uncancelled.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <unistd.h>

namespace testsupport {

// libjack puts a client's socket at a path made of the client name alone, not the server's:
// clients of one name opening at the same moment in tests beside each other, each on its own
// server, would take each other's socket. The process id makes the name the test's own.
JackMidiClient::JackMidiClient(const std::string& name) : name_(name + "-" + std::to_string(getpid())) {
    // A server just started, on a loaded machine, may refuse a client for a moment: tries again
    // for a while, for the exact name (a second try must not make "<name>-01"). The client is of
    // the program's own kind, which knows when its server went away.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    for (;;) {
        client_ = platform::JackClient::open(name_);
        if (client_ && name_ == jack_get_client_name(client_->get())) break;
        failure_ = client_
                       ? "the server named the client " + std::string(jack_get_client_name(client_->get()))
                       : "no server answered the client " + name_;
        client_.reset();
        if (std::chrono::steady_clock::now() >= deadline) return;
        std::fprintf(stderr, "%s; trying again\n", failure_.c_str());
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    failure_.clear();
    jack_client_t* client = client_->get();
    in_ = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(client, &JackMidiClient::process, this);
    if (!in_ || !out_ || jack_activate(client) != 0) {
        failure_ = !in_ || !out_ ? "the ports could not be registered" : "jack_activate failed";
        client_.reset();
    }
}

JackMidiClient::~JackMidiClient() {
    if (client_ && !client_->serverGone()) jack_deactivate(client_->get());
}

std::string JackMidiClient::inputPortName() const {
    return name_ + ":in";
}
std::string JackMidiClient::outputPortName() const {
    return name_ + ":out";
}

// Runs on JACK's thread, which libjack cancels when the client closes: never halfway through a
// period, with the lock or a vector half handled.
int JackMidiClient::process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackMidiClient*>(arg);
    platform::runUncancelled([self, frames] { self->pass(frames); });
    return 0;
}

// It never waits for the test's thread: a process callback that misses its period makes the
// server drop or repeat a period of MIDI for every client. What arrives while the test holds the
// lock waits here and is handed over at the next period.
void JackMidiClient::pass(jack_nframes_t frames) {
    // Stamped on JACK's microsecond clock when this period runs, not by the period's frame
    // count: the dummy driver's frame count falls behind on a loaded machine (by a second in ten
    // seconds), while the program times its messages on the same monotonic clock as this.
    const double rate = jack_get_sample_rate(client_->get());
    const double start = static_cast<double>(jack_get_time()) / 1e6;
    void* inBuf = jack_port_get_buffer(in_, frames);
    void* outBuf = jack_port_get_buffer(out_, frames);
    jack_midi_clear_buffer(outBuf);
    const jack_nframes_t n = jack_midi_get_event_count(inBuf);
    for (jack_nframes_t i = 0; i < n; ++i) {
        jack_midi_event_t ev;
        if (jack_midi_event_get(&ev, inBuf, i) != 0) continue;
        arriving_.push_back({{ev.buffer, ev.buffer + ev.size}, start + ev.time / rate});
    }
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock.owns_lock()) return;
    for (auto& m : arriving_) received_.push_back(std::move(m));
    arriving_.clear();
    jack_nframes_t t = 0;
    for (auto& m : outgoing_) {
        if (jack_midi_event_write(outBuf, t, m.data(), m.size()) != 0) break;
        if (t + 1 < frames) ++t;
    }
    outgoing_.clear();
}

std::vector<ReceivedMidi> JackMidiClient::received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void JackMidiClient::clear() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

void JackMidiClient::send(std::vector<std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    outgoing_.push_back(std::move(bytes));
}

double JackMidiClient::now() const {
    return static_cast<double>(jack_get_time()) / 1e6;
}

double JackMidiClient::periodSeconds() const {
    if (!client_) return 0;
    return jack_get_buffer_size(client_->get()) / static_cast<double>(jack_get_sample_rate(client_->get()));
}

bool JackMidiClient::connectOutputTo(const std::string& fragment) {
    const char** ports = jack_get_ports(client_->get(), nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    if (!ports) return false;
    bool done = false;
    for (int i = 0; ports[i] && !done; ++i)
        if (std::strstr(ports[i], fragment.c_str()))
            done = jack_connect(client_->get(), jack_port_name(out_), ports[i]) == 0;
    jack_free(ports);
    return done;
}

}  // namespace testsupport
