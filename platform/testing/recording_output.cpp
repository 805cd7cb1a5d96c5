#include "platform/testing/recording_output.h"

namespace platform::testing {

void OutputLog::add(OutputEvent e) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(e));
}
std::vector<OutputEvent> OutputLog::events() const {
    std::lock_guard lock(mutex_);
    return events_;
}
std::vector<OutputEvent> OutputLog::since(std::size_t first) const {
    std::lock_guard lock(mutex_);
    if (first >= events_.size()) return {};
    return {events_.begin() + static_cast<std::ptrdiff_t>(first), events_.end()};
}
std::vector<std::vector<std::uint8_t>> OutputLog::messages() const {
    std::lock_guard lock(mutex_);
    std::vector<std::vector<std::uint8_t>> out;
    for (const auto& e : events_)
        if (e.kind == OutputEvent::Kind::Short) out.push_back(e.bytes);
    return out;
}
void OutputLog::clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}
std::size_t OutputLog::size() const {
    std::lock_guard lock(mutex_);
    return events_.size();
}

double RecordingOutput::Shared::now() {
    return std::chrono::duration<double, std::milli>(clock.now().time_since_epoch()).count();
}

class RecordingOutput::Port final : public MidiOutPort {
  public:
    Port(std::shared_ptr<Shared> s, int device) : s_(std::move(s)), device_(device) {
        s_->log->add({OutputEvent::Kind::Open, device_, {}, s_->now()});
    }
    ~Port() override { s_->log->add({OutputEvent::Kind::Close, device_, {}, s_->now()}); }

  protected:
    MMRESULT sendBytes(const std::uint8_t* bytes, std::size_t length) override {
        {
            std::lock_guard lock(s_->mutex);
            if (s_->sendFailure != MMSYSERR_NOERROR) return s_->sendFailure;
        }
        s_->log->add({OutputEvent::Kind::Short, device_, {bytes, bytes + length}, s_->now()});
        return MMSYSERR_NOERROR;
    }
    MMRESULT doReset() override {
        s_->log->add({OutputEvent::Kind::Reset, device_, {}, s_->now()});
        return MMSYSERR_NOERROR;
    }

  private:
    std::shared_ptr<Shared> s_;
    int device_;
};

RecordingOutput::RecordingOutput(std::shared_ptr<OutputLog> log, Clock& clock, std::vector<std::string> ports)
    : shared_(std::make_shared<Shared>(std::move(log), clock)), ports_(std::move(ports)) {}

void RecordingOutput::failOpen(int device, MMRESULT code) {
    std::lock_guard lock(shared_->mutex);
    if (code == MMSYSERR_NOERROR)
        shared_->openFailures.erase(device);
    else
        shared_->openFailures[device] = code;
}

void RecordingOutput::failSends(MMRESULT code) {
    std::lock_guard lock(shared_->mutex);
    shared_->sendFailure = code;
}

void RecordingOutput::setPorts(std::vector<std::string> ports) {
    std::lock_guard lock(shared_->mutex);
    ports_ = std::move(ports);
}

void RecordingOutput::failCaps(int device, MMRESULT code) {
    std::lock_guard lock(shared_->mutex);
    if (code == MMSYSERR_NOERROR)
        shared_->capsFailures.erase(device);
    else
        shared_->capsFailures[device] = code;
}

std::vector<std::string> RecordingOutput::portNames() {
    std::lock_guard lock(shared_->mutex);
    return ports_;
}

MMRESULT RecordingOutput::portName(int device, std::string& name) {
    {
        std::lock_guard lock(shared_->mutex);
        auto it = shared_->capsFailures.find(device);
        if (it != shared_->capsFailures.end()) return it->second;
    }
    return MidiOutBackend::portName(device, name);
}

std::unique_ptr<MidiOutPort> RecordingOutput::open(int device, MMRESULT& error) {
    std::size_t ports = 0;
    {
        std::lock_guard lock(shared_->mutex);
        auto it = shared_->openFailures.find(device);
        if (it != shared_->openFailures.end()) {
            error = it->second;
            return nullptr;
        }
        ports = ports_.size();
    }
    if (device != MIDI_MAPPER && (device < 0 || static_cast<std::size_t>(device) >= ports)) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    return std::make_unique<Port>(shared_, device);
}

}  // namespace platform::testing
