#pragma once
// An output backend that records what reaches each device, with the time it arrived (from the
// clock it is given), and can be told to fail. Thread-safe.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_out.h"

namespace platform::testing {

struct OutputEvent {
    enum class Kind { Open, Close, Reset, Short } kind;
    int device;
    std::vector<std::uint8_t> bytes;  // Short only: every message sent, exclusive ones (F0 ... F7) too
    double ms;                        // clock time in milliseconds
    bool operator==(const OutputEvent& o) const {
        return kind == o.kind && device == o.device && bytes == o.bytes;
    }
};

class OutputLog {
  public:
    void add(OutputEvent e);
    std::vector<OutputEvent> events() const;
    // The events from index `first` on.
    std::vector<OutputEvent> since(std::size_t first) const;
    // Only the short messages, as byte vectors.
    std::vector<std::vector<std::uint8_t>> messages() const;
    void clear();
    std::size_t size() const;

  private:
    mutable std::mutex mutex_;
    std::vector<OutputEvent> events_;
};

class RecordingOutput final : public MidiOutBackend {
  public:
    RecordingOutput(std::shared_ptr<OutputLog> log, Clock& clock,
                    std::vector<std::string> ports = {"Port A", "Port B"});

    void failOpen(int device, MMRESULT code);  // MMSYSERR_NOERROR clears it
    void failSends(MMRESULT code);             // every send fails with code
    // The ports the device lists see from now on (devices 0..n-1).
    void setPorts(std::vector<std::string> ports);
    // Reading the description of device (-1 included) fails with code; MMSYSERR_NOERROR clears it.
    void failCaps(int device, MMRESULT code);

    std::string synthName() override { return "Built-in Synth"; }
    std::vector<std::string> portNames() override;
    MMRESULT portName(int device, std::string& name) override;
    std::unique_ptr<MidiOutPort> open(int device, MMRESULT& error) override;

  private:
    struct Shared {
        Shared(std::shared_ptr<OutputLog> l, Clock& c) : log(std::move(l)), clock(c) {}
        std::shared_ptr<OutputLog> log;
        Clock& clock;
        std::mutex mutex;
        std::map<int, MMRESULT> openFailures;
        std::map<int, MMRESULT> capsFailures;
        MMRESULT sendFailure = MMSYSERR_NOERROR;
        double now();
    };
    class Port;
    std::shared_ptr<Shared> shared_;
    std::vector<std::string> ports_;
};

}  // namespace platform::testing
