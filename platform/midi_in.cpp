#include "platform/midi_in.h"

namespace platform {

// One open device: the gate between the port's thread and the window.
struct MidiInRegistry::Open final : MidiInSink {
    Open(MessageQueue& q, HWND w, HMIDIIN h) : queue(q), window(w), handle(h) {}
    void shortMessage(std::uint32_t packed) override {
        if (started.load(std::memory_order_acquire))
            queue.post(window, MM_MIM_DATA, reinterpret_cast<std::uintptr_t>(handle),
                       static_cast<std::intptr_t>(packed));
    }
    MessageQueue& queue;
    HWND window;
    HMIDIIN handle;
    std::atomic<bool> started{false};
    std::unique_ptr<MidiInPort> port;
};

MMRESULT MidiInBackend::portName(int device, std::string& name) {
    auto names = portNames();
    if (device < 0 || static_cast<std::size_t>(device) >= names.size()) return MMSYSERR_BADDEVICEID;
    name = names[static_cast<std::size_t>(device)];
    return MMSYSERR_NOERROR;
}

MidiInRegistry::MidiInRegistry(std::unique_ptr<MidiInBackend> backend, MessageQueue& queue)
    : backend_(std::move(backend)), queue_(queue) {}

MidiInRegistry::~MidiInRegistry() {
    std::lock_guard lock(mutex_);
    for (auto& [h, o] : open_) o->port.reset();  // ports stop delivering before their sinks go
    open_.clear();
}

void MidiInRegistry::setBackend(std::unique_ptr<MidiInBackend> backend) {
    std::lock_guard lock(mutex_);
    for (auto& [h, o] : open_) o->port.reset();
    open_.clear();
    backend_ = std::move(backend);
}

unsigned MidiInRegistry::numDevs() {
    std::lock_guard lock(mutex_);
    return backend_ ? static_cast<unsigned>(backend_->portNames().size()) : 0;
}

MMRESULT MidiInRegistry::getDevCaps(int device, std::string& name) {
    std::lock_guard lock(mutex_);
    if (!backend_) return MMSYSERR_NODRIVER;
    return backend_->portName(device, name);
}

MidiInRegistry::Open* MidiInRegistry::find(HMIDIIN handle) {
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.get();
}

MMRESULT MidiInRegistry::open(HMIDIIN* handle, int device, HWND window) {
    if (!handle) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (!backend_) return MMSYSERR_NODRIVER;
    auto h = reinterpret_cast<HMIDIIN>(nextHandle_);
    nextHandle_ += 0x10;
    auto o = std::make_unique<Open>(queue_, window, h);
    MMRESULT error = MMSYSERR_NOERROR;
    o->port = backend_->open(device, o.get(), error);
    if (!o->port) return error == MMSYSERR_NOERROR ? MMSYSERR_ERROR : error;
    open_[h] = std::move(o);
    *handle = h;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiInRegistry::start(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    Open* o = find(handle);
    if (!o) return MMSYSERR_INVALHANDLE;
    MMRESULT r = o->port->start();
    if (r == MMSYSERR_NOERROR) o->started.store(true, std::memory_order_release);
    return r;
}

MMRESULT MidiInRegistry::stop(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    Open* o = find(handle);
    if (!o) return MMSYSERR_INVALHANDLE;
    o->started.store(false, std::memory_order_release);
    return o->port->stop();
}

MMRESULT MidiInRegistry::reset(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    Open* o = find(handle);
    if (!o) return MMSYSERR_INVALHANDLE;
    o->started.store(false, std::memory_order_release);
    return o->port->reset();
}

MMRESULT MidiInRegistry::close(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    Open* o = find(handle);
    if (!o) return MMSYSERR_INVALHANDLE;
    o->started.store(false, std::memory_order_release);
    // A device that reports a failed close is released all the same: the caller forgets the
    // handle either way, and a kept port could never be closed again.
    MMRESULT r = o->port->close();
    o->port.reset();
    open_.erase(handle);
    return r;
}

}  // namespace platform
