// Start and stop sequences, and what tempo, bars, time signature, quantise and pan tell the
// engine.

#include <gtest/gtest.h>

#include "common/config_file.h"
#include "drums/transport.h"
#include "tests/app/support/program_fixture.h"

namespace {

using Strings = std::vector<std::string>;

class Transport : public testsupport::ProgramFixture {
  protected:
    Transport() {
        ops.setPanicAction([this] { link.Params(state.Engine); });  // stands for the setup page's PANIC
        transport.restNoteButtons = [this] { notes.push_back("rest note buttons"); };
        transport.resetBeatLights = [this] {
            notes.push_back("reset lights, journal " + std::to_string(link.journal().size()));
        };
        ops.ClearEngineDrums();
        link.clearJournal();
    }
    drums::DrumOps ops{state.drums, state.Engine, link, listener};
    drums::Transport transport{state.drums, state.transport, state.Engine, link, devices, ops, listener};
    Strings notes;
    HWND window = reinterpret_cast<HWND>(0x4242);
};

TEST_F(Transport, StartParksOpensPanicsPostsAndStarts) {
    state.drums.DrumPattern[0][0] = 55;
    state.live.players.Silenced = 1;
    transport.Start(window);
    EXPECT_EQ(link.journal(), (Strings{"params", "cmd 248", "panic", "post", "cmd 253"}));
    EXPECT_EQ(link.params[0].CellValue, 55) << "the park";
    EXPECT_EQ(notes, (Strings{"rest note buttons", "reset lights, journal 3"}))
        << "lights reset before the post";
    EXPECT_EQ(state.transport.DrumTabWindow, window);
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 1);
    EXPECT_EQ(state.live.players.Silenced, 0);
    auto snap = link.engine.snapshot();
    EXPECT_EQ(snap.running, 1);
    EXPECT_EQ(snap.step, 1);
    EXPECT_EQ(snap.window, window);
}

TEST_F(Transport, StopSilencesThreeTimesRestartsTheInputAndReopensTheOutput) {
    devices.OpenMidiIn();
    transport.Start(window);
    link.clearJournal();
    transport.Stop();
    EXPECT_EQ(link.journal(), (Strings{"cmd 246", "params", "cmd 246", "params", "cmd 246", "params", "panic",
                                       "in: stop 0", "in: close 0", "in: open 0", "in: reset 0",
                                       "in: start 0", "in: reset 0", "in: start 0"}));
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1);
    EXPECT_EQ(link.engine.snapshot().running, 0);
    // A THRU key while stopped still reaches the output.
    platform.output->clear();
    link.ShortMidiMsg(0x13, 60, 100);
    EXPECT_EQ(platform.output->messages(), (std::vector<std::vector<std::uint8_t>>{{0x93, 60, 100}}));
}

TEST_F(Transport, ADeviceChosenWhilePlayingIsTakenAtTheStop) {
    transport.Start(window);
    const auto chosen = static_cast<std::uint8_t>(state.Engine.MidiOutDevice + 1);
    state.Engine.MidiOutDevice = chosen;  // the setup page writes it to the configuration
    common::WriteConfig(state, state.live.parts.ThruChannel);
    state.Engine.MidiOutDevice = static_cast<std::uint8_t>(chosen + 1);  // only the file counts
    link.clearJournal();
    transport.Stop();
    ASSERT_EQ(link.params.back().Command, common::CmdOpenOut);
    EXPECT_EQ(link.params.back().MidiOutDevice, chosen);
}

TEST_F(Transport, StartStopStartPlaysFromStepOneAgain) {
    transport.Start(window);
    platform.timer.fireNext();
    platform.timer.fireNext();
    EXPECT_GT(link.engine.snapshot().step, 1);
    transport.Stop();
    notes.clear();
    transport.Start(window);
    EXPECT_EQ(link.engine.snapshot().step, 1);
    EXPECT_EQ(link.engine.snapshot().running, 1);
    EXPECT_EQ(notes.size(), 2u) << "the second start reset the lights again";
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1);
}

TEST_F(Transport, TempoGoesToTheEngineWithoutModifying) {
    transport.SetTempo(200);
    EXPECT_EQ(state.drums.TempoValue, 200);
    EXPECT_EQ(link.journal(), (Strings{"params"}));
    EXPECT_EQ(link.params[0].Tempo, 200);
    EXPECT_EQ(link.engine.snapshot().tempo, 200u);
    EXPECT_EQ(state.drums.Modified, 0);
}

TEST_F(Transport, BarsAreTheSliderPositionInHundreds) {
    const std::tuple<int, int, int> cases[] = {
        {300, 3, 96}, {350, 3, 96}, {100, 1, 32}, {800, 8, 255}, {799, 7, 224}};
    for (auto [position, bars, loopEnd] : cases) {
        link.clearJournal();
        transport.SetBars(position);
        EXPECT_EQ(state.drums.Bars, bars) << position;
        EXPECT_EQ(link.journal(), (Strings{"cmd " + std::to_string(bars)})) << position;
        EXPECT_EQ(link.engine.snapshot().loopEnd, loopEnd) << position;
    }
    EXPECT_EQ(state.Engine.Command, 0);
    EXPECT_EQ(state.drums.Modified, 0);
}

TEST_F(Transport, TwoTimeSignatureClicksEndInFourTime) {
    transport.ToggleMeter();
    EXPECT_EQ(state.drums.MeterSign, 1);
    EXPECT_EQ(state.drums.WaltzMode, 1);
    EXPECT_STREQ(drums::Transport::MeterCaption(state.drums.MeterSign), "WALTZ");
    EXPECT_EQ(link.engine.snapshot().waltz, 1);
    transport.ToggleMeter();
    EXPECT_EQ(state.drums.MeterSign, -1);
    EXPECT_EQ(state.drums.WaltzMode, 0);
    EXPECT_STREQ(drums::Transport::MeterCaption(state.drums.MeterSign), "4 TIME");
    EXPECT_EQ(link.engine.snapshot().waltz, 0);
    ASSERT_EQ(link.params.size(), 2u);
    EXPECT_EQ(link.params[0].Command, 255);
    EXPECT_EQ(link.params[0].Aux, 0);
    EXPECT_EQ(link.params[1].Aux, 1);
}

TEST_F(Transport, QuantiseTogglesLooseAndStrictTiming) {
    EXPECT_EQ(transport.ToggleQuantise(), "QUANTISE OFF ");
    EXPECT_EQ(link.engine.snapshot().jitter, 1);
    EXPECT_EQ(transport.ToggleQuantise(), "QUANTISE ON ");
    EXPECT_EQ(link.engine.snapshot().jitter, 0);
    EXPECT_EQ(link.journal(), (Strings{"cmd 250", "cmd 249"}));
}

TEST_F(Transport, APanChangeKeepsTheNamedCellsValue) {
    ops.ToggleDrumCell(17, 9, 88);  // Step 17 stays in the block
    state.Engine.Drum = 3;
    transport.SetDrumPan(9, 100);
    EXPECT_EQ(state.drums.DrumPans[9], 100);
    const common::EngineParams& p = link.params.back();
    EXPECT_EQ(p.Command, 254);
    EXPECT_EQ(p.Drum, 9);
    EXPECT_EQ(p.Aux, 100);
    EXPECT_EQ(p.CellValue, 88);
    EXPECT_EQ(link.engine.pan(9), 100);
    EXPECT_EQ(link.engine.cell(17, 9), 88);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(state.drums.Modified, 1) << "only the toggle marked it";
}

}  // namespace
