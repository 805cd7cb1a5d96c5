#include "platform/testing/test_platform.h"

namespace platform::testing {

TestPlatform::TestPlatform() {
    Services& s = services();
    s.overrideClock(&clock);
    s.overrideTimer(&timer);
    auto out = std::make_unique<RecordingOutput>(output, clock);
    outputBackend = out.get();
    s.midiOut().setBackend(std::move(out));
    auto in = std::make_unique<InjectableInput>();
    inputBackend = in.get();
    s.midiIn().setBackend(std::move(in));
    s.queue().dispatch();  // nothing left over from an earlier test
}

TestPlatform::~TestPlatform() {
    Services& s = services();
    s.midiIn().setBackend(nullptr);
    s.midiOut().setBackend(nullptr);
    s.queue().dispatch();
    s.overrideTimer(nullptr);
    s.overrideClock(nullptr);
}

}  // namespace platform::testing
