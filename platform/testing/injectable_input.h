#pragma once
// An input backend whose devices receive what the test injects, and whose operations can be
// told to fail.

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/midi_in.h"

namespace platform::testing {

class InjectableInput final : public MidiInBackend {
  public:
    enum class Op { Open, Start, Stop, Reset, Close };
    explicit InjectableInput(std::vector<std::string> ports = {"Keyboard A", "Keyboard B"});

    // Delivers one packed message to every open port of device (as the port's thread would).
    void inject(int device, std::uint32_t packed);
    void fail(Op op, MMRESULT code);  // MMSYSERR_NOERROR clears it
    // The ports the device lists see from now on (devices 0..n-1).
    void setPorts(std::vector<std::string> ports);
    // Reading the description of device fails with code; MMSYSERR_NOERROR clears it.
    void failCaps(int device, MMRESULT code);
    // Operations performed, in order, as "open 0", "start 0", ... (failed ones included).
    std::vector<std::string> calls() const;
    int openPorts() const;

    std::vector<std::string> portNames() override;
    MMRESULT portName(int device, std::string& name) override;
    std::unique_ptr<MidiInPort> open(int device, MidiInSink* sink, MMRESULT& error) override;

  private:
    struct Shared {
        mutable std::mutex mutex;
        std::map<Op, MMRESULT> failures;
        std::map<int, MMRESULT> capsFailures;
        std::multimap<int, MidiInSink*> sinks;
        std::vector<std::string> calls;
        MMRESULT record(Op op, int device);
    };
    class Port;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::vector<std::string> ports_;
};

}  // namespace platform::testing
