// The parameter block: every command's effect, the cell write and the output device handling.

#include "engine_fixture.h"

namespace enginetest {
namespace {

using Kind = OutputEvent::Kind;

TEST_F(EngineTest, EveryCallStoresTheValuesAndWritesTheCell) {
    block = {3, 9, 100, 7, 0xFF, 55, 200, 9, 17, 11, 0};
    call(0);
    auto s = e->snapshot();
    EXPECT_EQ(s.channel, 3);
    EXPECT_EQ(s.aux, 55);
    EXPECT_EQ(s.tempo, 200u);
    EXPECT_EQ(s.outDevice, -1);
    EXPECT_EQ(e->cell(17, 11), 100);
    EXPECT_TRUE(events().empty()) << "command 0 sends nothing";

    // Parking on the empty cell clears [0][0] and does nothing else.
    setCell(0, 0, 90);
    setCell(0, 0, 0);
    EXPECT_EQ(e->cell(0, 0), 0);
    EXPECT_EQ(e->cell(17, 11), 100);
}

TEST_F(EngineTest, LoopEndPerBarCount) {
    const std::pair<int, int> cases[] = {{1, 32}, {2, 64}, {7, 224}, {8, 255}};
    for (auto [bars, end] : cases) {
        call(static_cast<std::uint8_t>(bars));
        EXPECT_EQ(e->snapshot().loopEnd, end) << bars << " bars";
    }
}

TEST_F(EngineTest, UnusedCodesOnlyStoreValuesAndCell) {
    for (int code = 9; code <= 244; ++code) {
        block.Step = static_cast<std::uint8_t>(code);
        block.Drum = 5;
        block.CellValue = 1;
        call(static_cast<std::uint8_t>(code));
        EXPECT_EQ(e->cell(code, 5), 1);
    }
    auto s = e->snapshot();
    EXPECT_EQ(s.loopEnd, 256);
    EXPECT_EQ(s.running, 0);
    EXPECT_EQ(s.outOpen, 0);
    EXPECT_TRUE(events().empty());
}

TEST_F(EngineTest, PanIsSentAtOnceOnTheUsersChannel) {
    call(engine::CmdOpenOut);
    tp.output->clear();
    block.Channel = 3;
    block.Aux = 100;
    call(engine::CmdPan);
    EXPECT_EQ(messages(), (std::vector<Bytes>{{0xB3, 10, 100}}));
}

TEST_F(EngineTest, DrumPanIsStoredNotSentAndHeardAtTheNextHit) {
    call(engine::CmdClearGrid);
    EXPECT_EQ(e->pan(5), 64);
    setCell(1, 5, 80);
    block.Drum = 5;
    block.Aux = 20;
    call(engine::CmdDrumPan);
    EXPECT_EQ(e->pan(5), 20);
    EXPECT_TRUE(events().empty());

    call(engine::CmdStart);
    tp.output->clear();
    runSteps(1);
    EXPECT_EQ(messages(), (std::vector<Bytes>{{0xB9, 10, 20}, {0x99, 32, 80}}));
}

TEST_F(EngineTest, DrumPanBeyondThePanTableChangesNoPan) {
    call(engine::CmdClearGrid);
    block.Step = 3;
    block.Drum = 200;
    block.CellValue = 77;
    block.Aux = 1;
    call(engine::CmdDrumPan);
    for (int d = 0; d < engine::kPanCount; ++d) EXPECT_EQ(e->pan(d), 64);
    EXPECT_EQ(e->cell(3, 200), 77) << "the cell write still happens, inside the grid";
}

TEST_F(EngineTest, ClearGridZeroesCellsAndCentresPans) {
    setCell(255, 69, 127);
    setCell(3, 299 % 256, 5);
    call(engine::CmdClearGrid);
    EXPECT_EQ(e->cell(255, 69), 0);
    EXPECT_EQ(e->cell(3, 43), 0);
    EXPECT_EQ(e->pan(0), 64);
    EXPECT_EQ(e->pan(99), 64);
}

TEST_F(EngineTest, TimingAndMeterFlags) {
    call(engine::CmdJitterTiming);
    EXPECT_EQ(e->snapshot().jitter, 1);
    call(engine::CmdStrictTiming);
    EXPECT_EQ(e->snapshot().jitter, 0);
    block.Aux = 0;
    call(engine::CmdMeter);
    EXPECT_EQ(e->snapshot().waltz, 1);
    block.Aux = 1;
    call(engine::CmdMeter);
    EXPECT_EQ(e->snapshot().waltz, 0);
}

TEST_F(EngineTest, OpenOutOpensOnceThenOnlyResets) {
    block.MidiOutDevice = 0;
    call(engine::CmdOpenOut);
    block.MidiOutDevice = 1;  // another device while open: kept until a close
    call(engine::CmdOpenOut);
    call(engine::CmdCloseOut);
    call(engine::CmdOpenOut);
    std::vector<std::pair<Kind, int>> got;
    for (auto& ev : events()) got.emplace_back(ev.kind, ev.device);
    EXPECT_EQ(got, (std::vector<std::pair<Kind, int>>{{Kind::Open, 0},
                                                      {Kind::Reset, 0},
                                                      {Kind::Reset, 0},
                                                      {Kind::Close, 0},
                                                      {Kind::Open, 1},
                                                      {Kind::Reset, 1}}));
    EXPECT_EQ(e->snapshot().outOpen, 1);
}

TEST_F(EngineTest, FailedOpenStaysClosedAndIsRetried) {
    tp.outputBackend->failOpen(-1, platform::MMSYSERR_ALLOCATED);
    call(engine::CmdOpenOut);
    EXPECT_EQ(e->snapshot().outOpen, 0);
    EXPECT_NE(e->ShortMidiMsg(0x10, 60, 100), 0) << "nothing to send on";
    tp.outputBackend->failOpen(-1, platform::MMSYSERR_NOERROR);
    call(engine::CmdOpenOut);
    EXPECT_EQ(e->snapshot().outOpen, 1);
    EXPECT_EQ(e->ShortMidiMsg(0x10, 60, 100), 0);
}

TEST_F(EngineTest, CloseClearsTheFlagAndReleasesWhateverPortIsHeld) {
    auto& registry = platform::services().midiOut();
    // Opened by the command: the flag was 1.
    call(engine::CmdOpenOut);
    ASSERT_EQ(e->snapshot().outOpen, 1);
    call(engine::CmdCloseOut);
    EXPECT_EQ(e->snapshot().outOpen, 0);
    EXPECT_EQ(registry.openCount(), 0u);

    // Held by the panic alone (the flag stayed 0): the close still releases it.
    e->MidiPanic();
    ASSERT_EQ(registry.openCount(), 1u);
    tp.output->clear();
    call(engine::CmdCloseOut);
    EXPECT_EQ(registry.openCount(), 0u);
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].kind, Kind::Close);

    // Nothing held: nothing to close, and nothing fails.
    tp.output->clear();
    call(engine::CmdCloseOut);
    EXPECT_EQ(e->snapshot().outOpen, 0);
    EXPECT_TRUE(events().empty());
}

TEST_F(EngineTest, CellsFollowTheSendersValuesWhateverTheCommand) {
    // A sender keeps CellValue equal to its pattern at [Step][Drum]; any command then leaves
    // the engine's copy equal to the sender's pattern.
    std::array<std::array<int, 70>, 256> pattern{};
    const int edits[][3] = {{1, 9, 100}, {0, 69, 127}, {255, 0, 1}, {1, 9, 0}, {33, 8, 64}};
    for (auto& ed : edits) {
        pattern[ed[0]][ed[1]] = ed[2];
        setCell(ed[0], ed[1], ed[2]);
    }
    for (int cmd : {249, 255, 3, 251}) call(static_cast<std::uint8_t>(cmd));
    // A drum pan for another drum, with CellValue set to that drum's value at Step.
    block.Drum = 8;
    block.CellValue = static_cast<std::uint8_t>(pattern[block.Step][8]);
    block.Aux = 30;
    call(engine::CmdDrumPan);
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 70; ++d) ASSERT_EQ(e->cell(s, d), pattern[s][d]) << s << "/" << d;
}

}  // namespace
}  // namespace enginetest
