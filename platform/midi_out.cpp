#include "platform/midi_out.h"

#include "platform/short_message.h"

namespace platform {

MMRESULT MidiOutPort::shortMsg(std::uint32_t packed) {
    auto m = decodeShortMessage(packed);
    if (!m) return MMSYSERR_INVALPARAM;
    return sendBytes(m->bytes, m->length);
}

MMRESULT MidiOutPort::longMsg(const std::uint8_t* data, std::size_t length) {
    if (data == nullptr || length < 2 || data[0] != 0xF0 || data[length - 1] != 0xF7)
        return MMSYSERR_INVALPARAM;
    for (std::size_t i = 1; i + 1 < length; ++i)
        if (data[i] >= 0x80) return MMSYSERR_INVALPARAM;
    return sendBytes(data, length);
}

MMRESULT MidiOutBackend::portName(int device, std::string& name) {
    if (device == MIDI_MAPPER) {
        name = synthName();
        return MMSYSERR_NOERROR;
    }
    auto names = portNames();
    if (device < 0 || static_cast<std::size_t>(device) >= names.size()) return MMSYSERR_BADDEVICEID;
    name = names[static_cast<std::size_t>(device)];
    return MMSYSERR_NOERROR;
}

MidiOutRegistry::MidiOutRegistry(std::unique_ptr<MidiOutBackend> backend) : backend_(std::move(backend)) {}

MidiOutRegistry::~MidiOutRegistry() {
    std::lock_guard lock(backendMutex_);
    closeAll();
}

void MidiOutRegistry::setBackend(std::unique_ptr<MidiOutBackend> backend) {
    std::lock_guard lock(backendMutex_);
    closeAll();  // the ports go before the backend that made them
    backend_ = std::move(backend);
}

MMRESULT MidiOutRegistry::closeEntry(Entry& entry) {
    std::unique_ptr<MidiOutPort> port;
    {
        // Waits for a send under way on this port; later sends find it closed.
        std::lock_guard lock(entry.mutex);
        port.swap(entry.port);
    }
    // Outside the lock: a later send finds the port closed at once instead of waiting for the
    // drain.
    return port ? port->close() : MMSYSERR_INVALHANDLE;
}

void MidiOutRegistry::closeAll() {
    std::unordered_map<HMIDIOUT, std::shared_ptr<Entry>> open;
    {
        std::lock_guard lock(tableMutex_);
        open.swap(open_);
    }
    for (auto& [handle, entry] : open) closeEntry(*entry);
}

std::shared_ptr<MidiOutRegistry::Entry> MidiOutRegistry::find(HMIDIOUT handle) {
    std::lock_guard lock(tableMutex_);
    auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second;
}

unsigned MidiOutRegistry::numDevs() {
    std::lock_guard lock(backendMutex_);
    return backend_ ? static_cast<unsigned>(backend_->portNames().size()) : 0;
}

MMRESULT MidiOutRegistry::getDevCaps(int device, std::string& name) {
    std::lock_guard lock(backendMutex_);
    if (!backend_) return MMSYSERR_NODRIVER;
    return backend_->portName(device, name);
}

MMRESULT MidiOutRegistry::open(HMIDIOUT* handle, int device) {
    if (!handle) return MMSYSERR_INVALPARAM;
    auto entry = std::make_shared<Entry>();
    std::lock_guard backendLock(backendMutex_);
    if (!backend_) return MMSYSERR_NODRIVER;
    MMRESULT error = MMSYSERR_NOERROR;
    entry->port = backend_->open(device, error);
    if (!entry->port) return error == MMSYSERR_NOERROR ? MMSYSERR_ERROR : error;
    std::lock_guard lock(tableMutex_);
    auto h = reinterpret_cast<HMIDIOUT>(nextHandle_);
    nextHandle_ += 0x10;
    open_.emplace(h, std::move(entry));
    *handle = h;
    return MMSYSERR_NOERROR;
}

MMRESULT MidiOutRegistry::close(HMIDIOUT handle) {
    std::shared_ptr<Entry> entry;
    {
        std::lock_guard lock(tableMutex_);
        auto it = open_.find(handle);
        if (it == open_.end()) return MMSYSERR_INVALHANDLE;
        entry = std::move(it->second);
        open_.erase(it);
    }
    return closeEntry(*entry);
}

MMRESULT MidiOutRegistry::reset(HMIDIOUT handle) {
    auto entry = find(handle);
    if (!entry) return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(entry->mutex);
    return entry->port ? entry->port->reset() : MMSYSERR_INVALHANDLE;
}

MMRESULT MidiOutRegistry::shortMsg(HMIDIOUT handle, std::uint32_t packed) {
    auto entry = find(handle);
    if (!entry) return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(entry->mutex);
    return entry->port ? entry->port->shortMsg(packed) : MMSYSERR_INVALHANDLE;
}

MMRESULT MidiOutRegistry::longMsg(HMIDIOUT handle, const std::uint8_t* data, std::size_t length) {
    auto entry = find(handle);
    if (!entry) return MMSYSERR_INVALHANDLE;
    std::lock_guard lock(entry->mutex);
    return entry->port ? entry->port->longMsg(data, length) : MMSYSERR_INVALHANDLE;
}

std::size_t MidiOutRegistry::openCount() {
    std::lock_guard lock(tableMutex_);
    return open_.size();
}

}  // namespace platform
