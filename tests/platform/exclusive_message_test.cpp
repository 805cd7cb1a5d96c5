// System-exclusive messages through the output registry: whole messages go out as they are,
// anything else is refused before it reaches a device.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/midi_out.h"
#include "platform/testing/fake_clock.h"
#include "platform/testing/recording_output.h"

namespace platform {
namespace {

TEST(ExclusiveMessage, OnlyWholeMessagesAreSent) {
    testing::FakeClock clock;
    auto log = std::make_shared<testing::OutputLog>();
    MidiOutRegistry registry(std::make_unique<testing::RecordingOutput>(log, clock));
    HMIDIOUT out = nullptr;
    ASSERT_EQ(registry.open(&out, MIDI_MAPPER), MMSYSERR_NOERROR);

    using Bytes = std::vector<std::uint8_t>;
    const Bytes gmOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    EXPECT_EQ(registry.longMsg(out, gmOn.data(), gmOn.size()), MMSYSERR_NOERROR);
    const Bytes refused[] = {
        {0xF0, 0x7E, 0x7F},        // no F7
        {0x7E, 0x7F, 0xF7},        // no F0
        {0xF0, 0x43, 0x90, 0xF7},  // a status byte inside
        {0xF0},                    // too short
        {0x90, 0x3C, 0x64},        // a short message
    };
    for (const Bytes& b : refused)
        EXPECT_EQ(registry.longMsg(out, b.data(), b.size()), MMSYSERR_INVALPARAM) << b.size();
    EXPECT_EQ(registry.longMsg(out, nullptr, 6), MMSYSERR_INVALPARAM);
    EXPECT_EQ(log->messages(), (std::vector<Bytes>{gmOn}));

    ASSERT_EQ(registry.close(out), MMSYSERR_NOERROR);
    EXPECT_EQ(registry.longMsg(out, gmOn.data(), gmOn.size()), MMSYSERR_INVALHANDLE);
}

}  // namespace
}  // namespace platform
