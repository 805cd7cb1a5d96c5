// The panic and the output test.

#include "engine_fixture.h"

namespace enginetest {
namespace {

using Kind = OutputEvent::Kind;

// The panic's sixteen-channel sweep for key `aux`.
std::vector<Bytes> sweep(std::uint8_t aux) {
    std::vector<Bytes> out;
    for (std::uint8_t c = 0; c < 16; ++c) {
        out.push_back({static_cast<std::uint8_t>(0x80 + c), aux, 0});
        out.push_back({static_cast<std::uint8_t>(0x90 + c), aux, 0});
        out.push_back({static_cast<std::uint8_t>(0xB0 + c), 123, 0});
        out.push_back({static_cast<std::uint8_t>(0xB0 + c), 121, 0});
    }
    return out;
}

TEST_F(EngineTest, PanicSequenceOnAnOpenDevice) {
    block.Aux = 67;
    call(engine::CmdOpenOut);
    tp.output->clear();
    e->MidiPanic();
    auto ev = events();
    ASSERT_EQ(ev.size(), 2u + 64u);
    EXPECT_EQ(ev.front().kind, Kind::Reset);
    EXPECT_EQ(ev.back().kind, Kind::Reset);
    EXPECT_EQ(messages(), sweep(67));
    EXPECT_EQ(platform::services().midiOut().openCount(), 1u) << "no second port was opened";
    auto s = e->snapshot();
    EXPECT_EQ(s.lastCommand, 0);
    EXPECT_EQ(s.outOpen, 1);
    EXPECT_EQ(s.running, 0) << "drums the user never started stay stopped";
}

TEST_F(EngineTest, PanicReachesAClosedDeviceWithoutChangingTheOpenFlag) {
    e->MidiPanic();
    auto ev = events();
    ASSERT_FALSE(ev.empty());
    EXPECT_EQ(ev.front().kind, Kind::Open);
    EXPECT_EQ(messages(), sweep(0));
    EXPECT_EQ(e->snapshot().outOpen, 0);
    // The next open takes over the port the panic opened instead of opening a second one.
    tp.output->clear();
    call(engine::CmdOpenOut);
    for (auto& x : events()) EXPECT_NE(x.kind, Kind::Open);
    EXPECT_EQ(e->snapshot().outOpen, 1);
}

TEST_F(EngineTest, PanicWhilePlayingKeepsTheDrumsGoing) {
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    runSteps(5);
    e->MidiPanic();
    EXPECT_EQ(tp.timer.pending(), 1u);
    EXPECT_EQ(runSteps(2), (std::vector<int>{6, 7}));
}

TEST_F(EngineTest, StopPanicStopsForGoodAndSilences) {
    e->MessagePost(hwnd);
    block.Aux = 40;
    call(engine::CmdStart);
    runSteps(5);
    tp.output->clear();
    call(engine::CmdStopPanic);
    EXPECT_EQ(tp.timer.pending(), 0u);
    auto msgs = messages();
    ASSERT_FALSE(msgs.empty());
    EXPECT_EQ(msgs.front(), (Bytes{0xB9, 123, 0})) << "the clock's stop comes first";
    msgs.erase(msgs.begin());
    EXPECT_EQ(msgs, sweep(40));
    e->MidiPanic();
    EXPECT_EQ(tp.timer.pending(), 0u) << "a later panic does not restart what the user stopped";
}

TEST_F(EngineTest, OutputTestPlaysRisingChordThenCloses) {
    block.Channel = 2;
    call(engine::CmdOpenOut);
    tp.output->clear();
    const double t0 = tp.clock.ms();
    const int result = e->MidiOutTest();
    EXPECT_EQ(result, 0);
    std::vector<std::pair<Bytes, double>> shorts;
    for (auto& x : events())
        if (x.kind == Kind::Short) shorts.emplace_back(x.bytes, x.ms - t0);
    const std::vector<std::pair<Bytes, double>> expected = {{{0xB9, 123, 0}, 0},  // the clock's stop
                                                            {{0xB2, 123, 0}, 0},    {{0xB2, 121, 0}, 0},
                                                            {{0x92, 60, 100}, 0},   {{0x92, 64, 100}, 50},
                                                            {{0x92, 67, 100}, 100}, {{0x92, 72, 100}, 150}};
    EXPECT_EQ(shorts, expected);
    EXPECT_EQ(events().back().kind, Kind::Close);
    auto s = e->snapshot();
    EXPECT_EQ(s.aux, 76);
    EXPECT_EQ(s.outOpen, 0);
    EXPECT_EQ(s.running, 0);
}

TEST_F(EngineTest, PanicAfterOutputTestReachesTheDeviceAndResumesDrums) {
    e->MessagePost(hwnd);
    call(engine::CmdStart);
    runSteps(7);
    e->MidiOutTest();
    EXPECT_EQ(tp.timer.pending(), 0u);
    tp.output->clear();
    e->MidiPanic();
    EXPECT_EQ(events().front().kind, Kind::Open) << "the panic opens the closed device itself";
    // Key 76 is released after a test; then the drums start again on the panic's port.
    auto expected = sweep(76);
    expected.push_back({0xC9, 0});
    EXPECT_EQ(messages(), expected);
    EXPECT_EQ(platform::services().midiOut().openCount(), 1u);
    EXPECT_EQ(runSteps(1), (std::vector<int>{8})) << "drums go on from where the test stopped them";
}

struct PackCase {
    int first, data1, data2;
    int ok;  // 1 = sent
    Bytes bytes;
};

TEST_F(EngineTest, ShortMessagePackingAndRefusals) {
    call(engine::CmdOpenOut);
    const PackCase cases[] = {
        {0x19, 36, 100, 1, {0x99, 36, 100}},
        {0x42, 48, 0, 1, {0xC2, 48}},
        {0x10, 60, 0, 1, {0x90, 60, 0}},
        {0x60, 0, 64, 1, {0xE0, 0, 64}},
        {0x7F, 0, 0, 1, {0xFF}},  // System Reset
        {121, 255, 125, 0, {}},   // data-only: low byte 0xF9 is undefined
        {0x10, 128, 10, 0, {}},   // data byte too large
        {0x10, 60, 200, 0, {}},
        {-0x80, 60, 60, 0, {}},  // low byte 0x00: no status
        {0x74, 0, 0, 0, {}},     // 0xF4 undefined
        {0x70, 1, 2, 0, {}},     // 0xF0 cannot stand alone
        {0x10, -1, 0, 0, {}},    // negative data wraps into the status byte's neighbours
    };
    for (const auto& c : cases) {
        tp.output->clear();
        const int r = e->ShortMidiMsg(c.first, c.data1, c.data2);
        EXPECT_EQ(r == 0, c.ok == 1) << c.first << " " << c.data1 << " " << c.data2;
        if (c.ok)
            EXPECT_EQ(messages(), (std::vector<Bytes>{c.bytes}));
        else
            EXPECT_TRUE(messages().empty());
    }
}

}  // namespace
}  // namespace enginetest
