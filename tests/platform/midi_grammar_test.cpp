// The MIDI byte grammar that the short messages and the MIDI file library share: status classes
// on the wire and in a file, running status, and variable-length quantities.
#include <gtest/gtest.h>

#include <vector>

#include "platform/midi_grammar.h"

namespace {

namespace midi = platform::midi;
using midi::FileEvent;

TEST(MidiGrammar, EveryStatusByteHasItsLengthOnTheWireAndItsKindInAFile) {
    struct Case {
        int status;
        int wireLength;  // FixedDataLength
        FileEvent inFile;
    } cases[] = {
        {0x00, -1, FileEvent::NotStatus},  {0x7F, -1, FileEvent::NotStatus},
        {0xF0, -1, FileEvent::Exclusive},  {0xF1, 1, FileEvent::Unexpected},  // time code: wire only
        {0xF2, 2, FileEvent::System},      {0xF3, 1, FileEvent::System},
        {0xF4, -1, FileEvent::Unexpected}, {0xF5, -1, FileEvent::Unexpected},
        {0xF6, 0, FileEvent::System},      {0xF7, -1, FileEvent::Escape},
        {0xF8, 0, FileEvent::System},      {0xF9, -1, FileEvent::Unexpected},
        {0xFA, 0, FileEvent::System},      {0xFB, 0, FileEvent::System},
        {0xFC, 0, FileEvent::System},      {0xFD, -1, FileEvent::Unexpected},
        {0xFE, 0, FileEvent::System},      {0xFF, 0, FileEvent::Meta},  // reset on the wire, meta in a file
    };
    for (const Case& c : cases) {
        EXPECT_EQ(midi::FixedDataLength(c.status), c.wireLength) << std::hex << c.status;
        EXPECT_EQ(midi::ClassifyFileStatus(c.status), c.inFile) << std::hex << c.status;
    }
    // Every channel status, each kind on every channel.
    const int channelLength[7] = {2, 2, 2, 2, 1, 1, 2};  // 8n 9n An Bn Cn Dn En
    for (int status = 0x80; status < 0xF0; ++status) {
        const int expected = channelLength[(status >> 4) - 8];
        EXPECT_EQ(midi::FixedDataLength(status), expected) << std::hex << status;
        EXPECT_EQ(midi::ChannelDataLength(status), expected) << std::hex << status;
        EXPECT_EQ(midi::ClassifyFileStatus(status), FileEvent::Channel) << std::hex << status;
    }
    // The one-byte system messages a file may hold, and nothing else.
    std::vector<int> systemBytes;
    for (int b = 0; b < 256; ++b)
        if (midi::IsSystemByte(b)) systemBytes.push_back(b);
    EXPECT_EQ(systemBytes, (std::vector<int>{0xF6, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE}));
}

TEST(MidiGrammar, RunningStatusTakesOverOnlyForDataBytes) {
    struct Case {
        std::uint8_t next;
        int running;
        int status;
        bool consumed;
    } cases[] = {
        {0x90, -1, 0x90, true},     // a status with none in force
        {0x3C, 0x90, 0x90, false},  // a data byte under running status: it stays to be read as data
        {0x3C, -1, 0x3C, true},     // a data byte with none in force: taken as the (illegal) status
        {0x80, 0x90, 0x80, true},   // a new status replaces the running one
        {0xFF, 0x90, 0xFF, true},   // a meta between notes
        {0x00, 0xE5, 0xE5, false},
    };
    for (const Case& c : cases) {
        const midi::ResolvedStatus r = midi::ResolveStatus(c.next, c.running);
        EXPECT_EQ(r.status, c.status) << std::hex << int{c.next} << " under " << c.running;
        EXPECT_EQ(r.consumed, c.consumed) << std::hex << int{c.next} << " under " << c.running;
    }
}

TEST(MidiGrammar, VariableLengthQuantitiesDecodeWithTheirEnd) {
    using End = midi::VarLenEnd;
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::uint32_t value;
        int taken;
        End end;
    } cases[] = {
        {{0x00}, 0, 1, End::Complete},
        {{0x7F}, 0x7F, 1, End::Complete},
        {{0x81, 0x00}, 0x80, 2, End::Complete},
        {{0xC0, 0x00}, 0x2000, 2, End::Complete},
        {{0xFF, 0x7F}, 0x3FFF, 2, End::Complete},
        {{0x81, 0x80, 0x00}, 0x4000, 3, End::Complete},
        {{0xFF, 0xFF, 0xFF, 0x7F}, 0x0FFFFFFF, 4, End::Complete},
        {{0x00, 0xFF}, 0, 1, End::Complete},                            // the next byte is not taken
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 0x0FFFFFFF, 4, End::TooLong},  // a fifth byte is never read
        {{0x81, 0x81, 0x81, 0x81, 0x00}, 0x00204081, 4, End::TooLong},
        {{0x81}, 1, 1, End::Truncated},
        {{0x81, 0x80, 0x80}, 0x4000, 3, End::Truncated},
        {{}, 0, 0, End::Truncated},
    };
    for (const Case& c : cases) {
        const midi::VarLen q = midi::DecodeVarLen(c.bytes.data(), c.bytes.size());
        const testing::Message where = testing::Message() << "case with " << c.bytes.size()
                                                          << " bytes, value 0x" << std::hex << c.value;
        EXPECT_EQ(q.end, c.end) << where;
        EXPECT_EQ(q.bytes, c.taken) << where;
        EXPECT_EQ(q.value, c.value) << where;
    }
}

TEST(MidiGrammar, VariableLengthQuantitiesEncodeShortestAndClampAtTheLargest) {
    struct Case {
        std::uint32_t value;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {0, {0x00}},
        {0x7F, {0x7F}},
        {0x80, {0x81, 0x00}},
        {0x3FFF, {0xFF, 0x7F}},
        {0x4000, {0x81, 0x80, 0x00}},
        {0x1000000, {0x88, 0x80, 0x80, 0x00}},
        {0x0FFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
        {0x10000000, {0xFF, 0xFF, 0xFF, 0x7F}},  // no fifth byte: the largest a file can hold
        {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0x7F}},
    };
    for (const Case& c : cases) {
        std::uint8_t out[midi::MaxVarLenBytes] = {};
        const int n = midi::EncodeVarLen(c.value, out);
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + n), c.bytes) << std::hex << c.value;
        const midi::VarLen back = midi::DecodeVarLen(out, static_cast<std::size_t>(n));
        EXPECT_EQ(back.end, midi::VarLenEnd::Complete) << std::hex << c.value;
        EXPECT_EQ(back.value, c.value > midi::MaxVarLen ? midi::MaxVarLen : c.value) << std::hex << c.value;
    }
}

TEST(MidiGrammar, AnEndOfTrackIsTheMetaStatusAndItsType) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        bool ends;
    };
    const Case cases[] = {
        {{0xFF, 0x2F, 0x00}, true},
        {{0xFF, 0x2F}, true},
        {{0xFF, 0x2E, 0x00}, false},
        {{0xF0, 0x2F, 0x00}, false},
        {{0x2F, 0x00}, false},
        {{0xFF}, false},
        {{}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(midi::StartsEndOfTrack(c.bytes.data(), c.bytes.size()), c.ends) << c.bytes.size();
}

}  // namespace
