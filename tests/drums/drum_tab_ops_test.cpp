// The drum tab's NEW, SETUP and time signature without the page: their order of stops, what NEW
// clears and when it asks, and what the time signature leaves for the page to paint.

#include <gtest/gtest.h>

#include "drums/drum_tab_ops.h"
#include "program/save_offer.h"
#include "tests/app/support/program_fixture.h"

namespace {

using Strings = std::vector<std::string>;
using drums::Light;

// Does what the drum tab does at NEW's two page steps, as far as the engine sees it: the bar
// sliders send the loop length, the repaint sends the shown drum's pan. Notes each step with the
// state it found.
class TabHost final : public drums::DrumTabHost {
  public:
    TabHost(app::ProgramState& state, drums::Transport& transport, app::SaveOffer& save,
            testsupport::TestEngineLink& link)
        : state_(state), transport_(transport), save_(save), link_(link) {}
    static constexpr int kShownDrum = 9;
    Strings steps;

    bool offerSave() override {
        note("offer");
        return save_.Offer(this);
    }
    void applyBars() override {
        note("bars " + std::to_string(state_.drums.Bars));
        transport_.SetBars(state_.drums.Bars * 100);
    }
    void repaintCells() override {
        note("repaint");
        transport_.SetDrumPan(kShownDrum, state_.drums.DrumPans[kShownDrum]);
    }

  private:
    void note(const std::string& step) {
        const Strings j = link_.journal();
        steps.push_back(step + (link_.engine.snapshot().running ? ", running" : ", stopped") + " after " +
                        (j.empty() ? std::string("nothing") : j.back()));
    }
    app::ProgramState& state_;
    drums::Transport& transport_;
    app::SaveOffer& save_;
    testsupport::TestEngineLink& link_;
};

class DrumTabOps : public testsupport::ProgramFixture {
  protected:
    DrumTabOps() {
        drumOps.setPanicAction([this] { link.Params(state.Engine); });  // stands for the setup page's PANIC
        drumOps.ClearEngineDrums();
        link.clearJournal();
    }
    // A pattern worth saving, playing, with the engine's copy equal to it; the cell fields
    // name the cell last clicked, of another drum than the one shown.
    void playSomething() {
        state.drums.DrumPattern[299][299] = 5;  // a row the engine never plays
        transport.SetDrumPan(9, 30);
        transport.SetBars(300);
        transport.SetTempo(200);
        devices.OpenMidiIn();
        transport.Start(window);
        drumOps.ToggleDrumCell(33, 11, 90);  // not the drum shown
        ASSERT_EQ(state.drums.Modified, 1);
        ASSERT_EQ(link.engine.snapshot().running, 1);
    }
    drums::DrumOps drumOps{state.drums, state.Engine, link, listener};
    drums::Transport transport{state.drums, state.transport, state.Engine, link, devices, drumOps, listener};
    app::SaveOffer save{state.drums, state.live.parts, dialogs};
    TabHost host{state, transport, save, link};
    drums::DrumTabOps ops{state.drums, state.shell, drumOps, transport, host};
    HWND window = reinterpret_cast<HWND>(0x4242);
};

TEST_F(DrumTabOps, NewStopsAsksClearsAndRepaintsInItsOrder) {
    playSomething();
    dialogs.scriptAnswer(platform::BoxAnswer::No);
    ASSERT_TRUE(ops.NewDrums());

    ASSERT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes()[0].text, "Save Changes?");
    // Stopped before the question; 8 bars before the engine's copy is emptied (the bars' command
    // also stores the cell last clicked); the repaint after it; the cell parked last.
    EXPECT_EQ(host.steps, (Strings{"offer, stopped after in: start 0", "bars 8, stopped after in: start 0",
                                   "repaint, stopped after cmd 252"}));
    EXPECT_EQ(link.params.back().Step, 0);
    EXPECT_EQ(link.params.back().Drum, 0);
    EXPECT_EQ(link.params.back().Command, 0);

    EXPECT_EQ(cell(33, 11), 0);
    EXPECT_EQ(cell(299, 299), 0) << "the unplayed rows are cleared too";
    EXPECT_EQ(state.drums.DrumPans[9], 64);
    EXPECT_EQ(state.drums.Bars, 8);
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(state.drums.TempoValue, 200) << "the tempo stays";
    EXPECT_EQ(state.drums.MeterSign, -1);
    EXPECT_EQ(link.engine.snapshot().loopEnd, 255);
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumTabOps, NewKeepsEverythingWhenTheOfferedSaveFails) {
    playSomething();
    save.SaveArrangement = [] { return false; };
    dialogs.scriptAnswer(platform::BoxAnswer::Yes);
    EXPECT_FALSE(ops.NewDrums());
    EXPECT_EQ(host.steps, (Strings{"offer, stopped after in: start 0"})) << "stopped, then nothing more";
    EXPECT_EQ(cell(33, 11), 90);
    EXPECT_EQ(state.drums.DrumPans[9], 30);
    EXPECT_EQ(state.drums.Bars, 3);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_TRUE(engineMatchesPattern());
}

TEST_F(DrumTabOps, NewAsksNothingWithoutAChange) {
    playSomething();
    state.drums.Modified = 0;
    ASSERT_TRUE(ops.NewDrums());
    EXPECT_TRUE(dialogs.boxes().empty());
    EXPECT_EQ(cell(33, 11), 0);
}

TEST_F(DrumTabOps, SetupStopsOnceWithTheTransportThenThreeTimesMore) {
    playSomething();
    link.clearJournal();
    transport.Stop();
    const Strings stop = link.journal();
    transport.Start(window);
    link.clearJournal();
    state.shell.PageCode = "ST";

    ops.LeaveForSetup();
    Strings expected = stop;
    for (int i = 0; i < 3; ++i) expected.insert(expected.end(), {"cmd 246", "params"});
    EXPECT_EQ(link.journal(), expected);
    EXPECT_EQ(state.shell.PageCode, "DT");
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
}

TEST_F(DrumTabOps, TheTimeSignatureStopsFirstThenSwitchesAndLightsTheFourthBeat) {
    playSomething();
    link.clearJournal();
    ops.ToggleTimeSignature();
    const Strings j = link.journal();
    ASSERT_FALSE(j.empty());
    EXPECT_EQ(j.front(), "cmd 246") << "stopped first";
    EXPECT_EQ(j.back(), "cmd 255") << "then switched";
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_EQ(state.drums.MeterSign, 1);
    EXPECT_EQ(link.engine.snapshot().waltz, 1);
    EXPECT_EQ(ops.lights.Beat[3], Light::Blue);

    ops.ToggleTimeSignature();
    EXPECT_EQ(state.drums.MeterSign, -1);
    EXPECT_EQ(ops.lights.Beat[3], Light::Green);

    // A reader stored a waltz itself: applying it ends on the waltz, with all its effects.
    state.drums.MeterSign = 1;
    ops.ReapplyTimeSignature();
    EXPECT_EQ(state.drums.MeterSign, 1);
    EXPECT_EQ(state.drums.WaltzMode, 1);
    EXPECT_EQ(link.engine.snapshot().waltz, 1);
    EXPECT_EQ(ops.lights.Beat[3], Light::Blue);
    EXPECT_TRUE(dialogs.boxes().empty());
}

}  // namespace
