#pragma once
// MIDI output devices: device -1 is the built-in General MIDI synth (the "MIDI mapper" of the
// program), devices 0..n-1 are the system's MIDI output ports. Any thread may call the
// registry. Calls on one handle are serialised by that port's own lock, so closing a port
// while another thread sends on it is safe (the send then fails with MMSYSERR_INVALHANDLE),
// and a slow send on one port (a paced burst) never holds up the others.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/mmresult.h"

namespace platform {

struct MidiOutHandle;  // opaque
using HMIDIOUT = MidiOutHandle*;

inline constexpr int MIDI_MAPPER = -1;

// One open output. The public calls check their input; backends implement the protected ones.
class MidiOutPort {
  public:
    virtual ~MidiOutPort() = default;
    // Sends one packed short message; malformed messages are refused (MMSYSERR_INVALPARAM).
    MMRESULT shortMsg(std::uint32_t packed);
    // Sends one whole system-exclusive message: F0, data bytes below 0x80, F7. Anything else is
    // refused (MMSYSERR_INVALPARAM); a message longer than the port carries in one piece too
    // (MIDIERR_TOOLARGE): it is sent whole or not at all, and never reported sent when it was not.
    MMRESULT longMsg(const std::uint8_t* data, std::size_t length);
    // Ends every sounding note on every channel.
    MMRESULT reset() { return doReset(); }
    // Hands everything sent so far to the device (a bounded wait) and closes; nothing may be
    // sent afterwards. MIDIERR_STILLPLAYING when the device did not take it all in time.
    MMRESULT close() { return doClose(); }

  protected:
    virtual MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t length) = 0;
    virtual MMRESULT doReset() = 0;
    // Ports whose sends go out before they return need nothing here.
    virtual MMRESULT doClose() { return MMSYSERR_NOERROR; }
};

class MidiOutBackend {
  public:
    virtual ~MidiOutBackend() = default;
    virtual std::string synthName() = 0;               // device -1
    virtual std::vector<std::string> portNames() = 0;  // devices 0..n-1, in a stable order
    // The description of device -1 .. n-1: its name, or the failure code when it cannot be
    // read. By default synthName() for -1 and the name from portNames() for the others.
    virtual MMRESULT portName(int device, std::string& name);
    virtual std::unique_ptr<MidiOutPort> open(int device, MMRESULT& error) = 0;
};

class MidiOutRegistry {
  public:
    explicit MidiOutRegistry(std::unique_ptr<MidiOutBackend> backend);
    ~MidiOutRegistry();

    // Replaces the backend (tests install the recording output); open handles are closed.
    void setBackend(std::unique_ptr<MidiOutBackend> backend);

    unsigned numDevs();
    // Name of device id (-1 .. numDevs()-1).
    MMRESULT getDevCaps(int device, std::string& name);
    MMRESULT open(HMIDIOUT* handle, int device);
    // Hands what was sent to the device first (MidiOutPort::close) and returns its result.
    MMRESULT close(HMIDIOUT handle);
    MMRESULT reset(HMIDIOUT handle);
    MMRESULT shortMsg(HMIDIOUT handle, std::uint32_t packed);
    MMRESULT longMsg(HMIDIOUT handle, const std::uint8_t* data, std::size_t length);
    std::size_t openCount();

  private:
    // One open port with its own lock; `port` is null once closed.
    struct Entry {
        std::mutex mutex;
        std::unique_ptr<MidiOutPort> port;
    };
    std::shared_ptr<Entry> find(HMIDIOUT handle);
    static MMRESULT closeEntry(Entry& entry);
    void closeAll();

    // Backend calls (listing, opening, replacing) are serialised by backendMutex_; the handle
    // table has a lock of its own, held only for a lookup, so that a slow open or listing
    // never delays a send on a port that is already open.
    std::mutex backendMutex_;
    std::unique_ptr<MidiOutBackend> backend_;
    std::mutex tableMutex_;
    std::unordered_map<HMIDIOUT, std::shared_ptr<Entry>> open_;
    std::uintptr_t nextHandle_ = 0x100;  // never reused, so a stale handle reaches nothing
};

}  // namespace platform
