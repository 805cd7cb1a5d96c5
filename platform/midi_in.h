#pragma once
// MIDI input devices: the system's MIDI input ports, numbered 0..n-1. An open device posts
// every short message it receives as MM_MIM_DATA to its window (WPARAM = the handle, LPARAM =
// the packed message), but only between start and stop/reset/close.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mmresult.h"
#include "platform/window_queue.h"

namespace platform {

struct MidiInHandle;  // opaque
using HMIDIIN = MidiInHandle*;

// Where a port delivers; called on the port's own thread.
class MidiInSink {
  public:
    virtual ~MidiInSink() = default;
    virtual void shortMessage(std::uint32_t packed) = 0;
};

class MidiInPort {
  public:
    virtual ~MidiInPort() = default;
    // Backends may fail these to report a device fault; the real ports always succeed.
    virtual MMRESULT start() { return MMSYSERR_NOERROR; }
    virtual MMRESULT stop() { return MMSYSERR_NOERROR; }
    virtual MMRESULT reset() { return MMSYSERR_NOERROR; }
    virtual MMRESULT close() { return MMSYSERR_NOERROR; }
};

class MidiInBackend {
  public:
    virtual ~MidiInBackend() = default;
    virtual std::vector<std::string> portNames() = 0;
    // The description of port `device` (0..n-1): its name, or the failure code when it cannot
    // be read. By default the name from portNames().
    virtual MMRESULT portName(int device, std::string& name);
    virtual std::unique_ptr<MidiInPort> open(int device, MidiInSink* sink, MMRESULT& error) = 0;
};

class MidiInRegistry {
  public:
    MidiInRegistry(std::unique_ptr<MidiInBackend> backend, MessageQueue& queue);
    ~MidiInRegistry();
    void setBackend(std::unique_ptr<MidiInBackend> backend);

    unsigned numDevs();
    MMRESULT getDevCaps(int device, std::string& name);
    MMRESULT open(HMIDIIN* handle, int device, HWND window);
    MMRESULT start(HMIDIIN handle);
    MMRESULT stop(HMIDIIN handle);
    MMRESULT reset(HMIDIIN handle);
    MMRESULT close(HMIDIIN handle);

  private:
    struct Open;
    Open* find(HMIDIIN handle);
    std::mutex mutex_;
    std::unique_ptr<MidiInBackend> backend_;
    MessageQueue& queue_;
    std::unordered_map<HMIDIIN, std::unique_ptr<Open>> open_;
    std::uintptr_t nextHandle_ = 0x100;
};

}  // namespace platform
