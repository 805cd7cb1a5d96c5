#include "platform/testing/injectable_input.h"

namespace platform::testing {

namespace {
const char* opName(InjectableInput::Op op) {
    switch (op) {
        case InjectableInput::Op::Open:
            return "open";
        case InjectableInput::Op::Start:
            return "start";
        case InjectableInput::Op::Stop:
            return "stop";
        case InjectableInput::Op::Reset:
            return "reset";
        case InjectableInput::Op::Close:
            return "close";
    }
    return "?";
}
}  // namespace

MMRESULT InjectableInput::Shared::record(Op op, int device) {
    std::lock_guard lock(mutex);
    calls.push_back(std::string(opName(op)) + " " + std::to_string(device));
    auto it = failures.find(op);
    return it == failures.end() ? MMSYSERR_NOERROR : it->second;
}

class InjectableInput::Port final : public MidiInPort {
  public:
    Port(std::shared_ptr<Shared> s, int device, MidiInSink* sink)
        : s_(std::move(s)), device_(device), sink_(sink) {
        std::lock_guard lock(s_->mutex);
        s_->sinks.emplace(device_, sink_);
    }
    ~Port() override {
        std::lock_guard lock(s_->mutex);
        for (auto it = s_->sinks.begin(); it != s_->sinks.end(); ++it)
            if (it->second == sink_) {
                s_->sinks.erase(it);
                break;
            }
    }
    MMRESULT start() override { return s_->record(Op::Start, device_); }
    MMRESULT stop() override { return s_->record(Op::Stop, device_); }
    MMRESULT reset() override { return s_->record(Op::Reset, device_); }
    MMRESULT close() override { return s_->record(Op::Close, device_); }

  private:
    std::shared_ptr<Shared> s_;
    int device_;
    MidiInSink* sink_;
};

InjectableInput::InjectableInput(std::vector<std::string> ports) : ports_(std::move(ports)) {}

void InjectableInput::inject(int device, std::uint32_t packed) {
    std::vector<MidiInSink*> targets;
    {
        std::lock_guard lock(shared_->mutex);
        auto [a, b] = shared_->sinks.equal_range(device);
        for (auto it = a; it != b; ++it) targets.push_back(it->second);
    }
    for (MidiInSink* s : targets) s->shortMessage(packed);
}

void InjectableInput::fail(Op op, MMRESULT code) {
    std::lock_guard lock(shared_->mutex);
    if (code == MMSYSERR_NOERROR)
        shared_->failures.erase(op);
    else
        shared_->failures[op] = code;
}

std::vector<std::string> InjectableInput::calls() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->calls;
}

int InjectableInput::openPorts() const {
    std::lock_guard lock(shared_->mutex);
    return static_cast<int>(shared_->sinks.size());
}

void InjectableInput::setPorts(std::vector<std::string> ports) {
    std::lock_guard lock(shared_->mutex);
    ports_ = std::move(ports);
}

void InjectableInput::failCaps(int device, MMRESULT code) {
    std::lock_guard lock(shared_->mutex);
    if (code == MMSYSERR_NOERROR)
        shared_->capsFailures.erase(device);
    else
        shared_->capsFailures[device] = code;
}

std::vector<std::string> InjectableInput::portNames() {
    std::lock_guard lock(shared_->mutex);
    return ports_;
}

MMRESULT InjectableInput::portName(int device, std::string& name) {
    {
        std::lock_guard lock(shared_->mutex);
        auto it = shared_->capsFailures.find(device);
        if (it != shared_->capsFailures.end()) return it->second;
    }
    return MidiInBackend::portName(device, name);
}

std::unique_ptr<MidiInPort> InjectableInput::open(int device, MidiInSink* sink, MMRESULT& error) {
    MMRESULT r = shared_->record(Op::Open, device);
    if (r != MMSYSERR_NOERROR) {
        error = r;
        return nullptr;
    }
    if (device < 0 || static_cast<std::size_t>(device) >= portNames().size()) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    return std::make_unique<Port>(shared_, device, sink);
}

}  // namespace platform::testing
