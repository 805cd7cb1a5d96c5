#include "platform/midi_out.h"

#include "platform/short_message.h"

namespace platform {

MMRESULT MidiOutPort::shortMsg(std::uint32_t packed) {
    auto m = decodeShortMessage(packed);
    if (!m) return MMSYSERR_INVALPARAM;
    return sendBytes(m->bytes, m->length);
}

MidiOutRegistry::MidiOutRegistry(std::unique_ptr<MidiOutBackend> backend) : backend_(std::move(backend)) {}

MidiOutRegistry::~MidiOutRegistry() {
    std::lock_guard lock(mutex_);
    closeAllLocked();
}

void MidiOutRegistry::setBackend(std::unique_ptr<MidiOutBackend> backend) {
    std::lock_guard lock(mutex_);
    closeAllLocked();
    backend_ = std::move(backend);
}

void MidiOutRegistry::closeAllLocked() { open_.clear(); }

unsigned MidiOutRegistry::numDevs() {
    std::lock_guard lock(mutex_);
    return backend_ ? static_cast<unsigned>(backend_->portNames().size()) : 0;
}

MMRESULT MidiOutRegistry::getDevCaps(int device, std::string& name) {
    std::lock_guard lock(mutex_);
    if (!backend_) return MMSYSERR_NODRIVER;
    if (device == MIDI_MAPPER) {
        name = backend_->synthName();
        return MMSYSERR_NOERROR;
    }
    auto names = backend_->portNames();
    if (device < 0 || static_cast<std::size_t>(device) >= names.size()) return MMSYSERR_BADDEVICEID;
    name = names[static_cast<std::size_t>(device)];
    return MMSYSERR_NOERROR;
}

MMRESULT MidiOutRegistry::open(HMIDIOUT* handle, int device) {
    if (!handle) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (!backend_) return MMSYSERR_NODRIVER;
    MMRESULT error = MMSYSERR_NOERROR;
    auto port = backend_->open(device, error);
    if (!port) return error == MMSYSERR_NOERROR ? MMSYSERR_ERROR : error;
    auto h = reinterpret_cast<HMIDIOUT>(nextHandle_);
    nextHandle_ += 0x10;
    open_[h] = std::move(port);
    *handle = h;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiOutRegistry::close(HMIDIOUT handle) {
    std::lock_guard lock(mutex_);
    return open_.erase(handle) ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
}

MMRESULT MidiOutRegistry::reset(HMIDIOUT handle) {
    std::lock_guard lock(mutex_);
    auto it = open_.find(handle);
    return it == open_.end() ? MMSYSERR_INVALHANDLE : it->second->reset();
}

MMRESULT MidiOutRegistry::shortMsg(HMIDIOUT handle, std::uint32_t packed) {
    std::lock_guard lock(mutex_);
    auto it = open_.find(handle);
    return it == open_.end() ? MMSYSERR_INVALHANDLE : it->second->shortMsg(packed);
}

std::size_t MidiOutRegistry::openCount() {
    std::lock_guard lock(mutex_);
    return open_.size();
}

}  // namespace platform
