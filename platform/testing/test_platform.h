#pragma once
// Puts the process-wide services on test doubles for the lifetime of the object: a fake clock,
// a manual timer, the recording output and the injectable input. Restores the real ones after.

#include <memory>

#include "platform/services.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/injectable_input.h"
#include "platform/testing/manual_timer.h"
#include "platform/testing/recording_output.h"

namespace platform::testing {

class TestPlatform {
  public:
    TestPlatform();
    ~TestPlatform();
    TestPlatform(const TestPlatform&) = delete;
    TestPlatform& operator=(const TestPlatform&) = delete;

    FakeClock clock;
    ManualTimer timer{clock};
    std::shared_ptr<OutputLog> output = std::make_shared<OutputLog>();
    RecordingOutput* outputBackend;  // owned by the registry
    InjectableInput* inputBackend;   // owned by the registry
    MessageQueue& queue() { return services().queue(); }
};

}  // namespace platform::testing
