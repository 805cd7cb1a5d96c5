// The accompaniment page in the program: its reset and NEW, pan sends, the part timers, and
// the keyboard and step messages reaching the accompaniment through the real queue.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/pages/orchestra_form.h"
#include "engine/Plenwick.h"
#include "platform/services.h"
#include "tests/app/support/pages_rig.h"

namespace {

using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

class OrchestraPage : public testsupport::PagesRig {
  protected:
    OrchestraPage() {
        createPages();
        page = pages.OrchestraForm;
        link.clearJournal();
        platform.output->clear();
    }
    app::TOrchestraForm* page = nullptr;
    std::vector<Bytes> sent() const { return platform.output->messages(); }
};

TEST_F(OrchestraPage, NewGivesTheDefaultsOfANewArrangement) {
    auto& d = state.live.parts;
    d.PartSteps[2][7] = {60, 90, 300};
    d.GridNotes[9] = 62;
    d.PartPrograms = {5, 6, 7, 8, 9};
    d.PartChannels = {3, 9, 9, 9, 9};
    d.PartPans = {1, 2, 3, 4, 5};
    d.PartOctaveOffsets = {12, 12, 12, 12, 0};
    d.SplitPoint = 70;
    page->NewAllClick();
    EXPECT_FALSE(accompaniment::PartsHaveNotes(d));
    EXPECT_EQ(d.PartPrograms, (std::array<std::int32_t, 5>{0, 1, 49, 62, 34}));
    EXPECT_EQ(d.PartChannels, (std::array<std::int32_t, 5>{3, 0, 2, 1, 4}));
    EXPECT_EQ(d.PartPans, (std::array<std::int32_t, 5>{64, 64, 64, 64, 64}));
    EXPECT_EQ(d.PartOctaveOffsets, (std::array<std::int32_t, 5>{}));
    EXPECT_EQ(d.SplitPoint, 54);
    EXPECT_EQ(page->Panel6->text(), "54");
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(d.GridNotes[static_cast<std::size_t>(i)], 0);
        EXPECT_EQ(d.GridDurations[static_cast<std::size_t>(i)], 5000) << "the duration bar's value, 50";
    }
    EXPECT_EQ(dialogs.boxes().size(), 0u) << "nothing was changed: no question";
    // The reset sent the THRU program and every voice's pan, the THRU voice's as 64.
    EXPECT_EQ(link.journal("short"), (Strings{"short 67 0 0", "short 67 0 0"}));
    EXPECT_EQ(link.journal("cmd 245").size(), 5u);
}

TEST_F(OrchestraPage, NewWhilePlayingEndsThePartsNotesWhereTheyWentOut) {
    auto& d = state.live.parts;
    d.PartSteps[0][5] = {60, 90, 0};    // piano on channel 0, no release of its own
    d.PartSteps[2][5] = {67, 90, 300};  // brass on channel 1, with its timer
    page->StepAccompaniment(5);
    ASSERT_TRUE(page->PartTimer[2]->isActive());
    d.PartChannels[1] = 7;  // the piano's channel changes while its note sounds
    platform.output->clear();
    page->NewAllClick();
    const auto out = sent();
    EXPECT_NE(std::find(out.begin(), out.end(), Bytes{0x90, 60, 0}), out.end())
        << "piano's note, on channel 0";
    EXPECT_NE(std::find(out.begin(), out.end(), Bytes{0x91, 67, 0}), out.end()) << "brass's note";
    EXPECT_FALSE(page->PartTimer[2]->isActive());
    EXPECT_FALSE(accompaniment::PartsHaveNotes(d));
}

TEST_F(OrchestraPage, PanSendLeavesTheUsersChannelAndNoCommand) {
    state.Engine.Channel = 6;
    page->ops().SendPartPan(4, 0);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB4, 10, 0}}));
    EXPECT_EQ(state.Engine.Command, 0);
    EXPECT_EQ(state.Engine.Channel, 6) << "the setup page's channel is kept";
}

TEST_F(OrchestraPage, APartTimerReleasesItsNote) {
    state.live.parts.PartSteps[0][5] = {60, 90, 250};
    page->StepAccompaniment(5);
    ASSERT_TRUE(page->PartTimer[0]->isActive());
    EXPECT_EQ(page->PartTimer[0]->interval(), 250);
    platform.output->clear();
    page->PartTimerTimer(0);  // the timer fires
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xC0, 0}, {0x90, 60, 0}}));
    EXPECT_FALSE(page->PartTimer[0]->isActive()) << "it fires once per note";
}

TEST_F(OrchestraPage, KeyboardMessagesReachTheAccompanimentThroughTheQueue) {
    ASSERT_EQ(state.devices.MidiInIsOpen, 1);
    devices.StartMidiIn();  // as start-up does after the pages
    page->OctaveCSpinButtonUpClick();
    EXPECT_EQ(page->OctavePanel->text(), "1");
    platform.inputBackend->inject(0, 0x643C93);  // key 60 on the THRU channel
    platform.inputBackend->inject(0, 0x643090);  // C below the split point
    platform::services().queue().dispatch();
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0x93, 72, 100}}));
    EXPECT_EQ(state.live.chord.HeldKeys[0], 100);
}

TEST_F(OrchestraPage, EHeldAloneStopsThePageAndTheDrumsAtTheBarEnd) {
    pages.DrumTab->DrumStartButtonClick();
    page->HandleMidiInput(0x643490);  // E below the split point, held alone
    for (int step = 92; step <= 100; ++step) page->StepAccompaniment(step);
    ASSERT_EQ(state.live.chord.EndRequested, 1) << "the ninth step asks for the end";
    for (int step = 101; step <= 127; ++step) page->StepAccompaniment(step);
    ASSERT_EQ(link.engine.snapshot().running, 1) << "playing on to the bar end";
    link.clearJournal();
    page->StepAccompaniment(128);
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_EQ(link.journal("cmd 246").size(), 6u) << "the page's stop, then the drum tab's";
    EXPECT_EQ(link.journal("cmd 247").size(), 1u) << "the drum tab's stop closes the output";
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
    EXPECT_EQ(state.live.chord.EndRequested, 0);
    EXPECT_EQ(state.live.players.Silenced, 1);
    EXPECT_EQ(page->WhichBar->text(), "0");
}

TEST_F(OrchestraPage, AThruClashStopsPlayingWithItsBox) {
    state.live.parts.PartChannels[2] = 3;  // strings on the THRU channel
    pages.DrumTab->DrumStartButtonClick();
    page->StepAccompaniment(1);
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, accompaniment::kThruClashText);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Exclamation);
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
    EXPECT_EQ(state.live.players.Silenced, 1);
    EXPECT_EQ(link.engine.snapshot().running, 0);
}

}  // namespace
