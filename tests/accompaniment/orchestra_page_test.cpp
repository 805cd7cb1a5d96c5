// The accompaniment page in the program: the note grid and its controls on screen, NEW, pan
// sends, the part timers, the keyboard and step messages reaching the accompaniment through the
// real queue, the page's Save, Open and MERGE DRUMS through the arrangement file, navigation,
// and no note left sounding after a page action while playing.

#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

#include "accompaniment/pages/orchestra_form.h"
#include "common/config_file.h"
#include "engine/Plenwick.h"
#include "platform/services.h"
#include "program/arrangement_file.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;
using accompaniment::PartStep;
using Tables = std::array<std::array<PartStep, 260>, 4>;

const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);

// Note-ons (velocity > 0, off the drum channel) that no later note-off, note-on with velocity 0
// or all-notes-off on their channel ends, as "channel:note".
Strings unendedNotes(const std::vector<Bytes>& messages) {
    std::map<std::pair<int, int>, int> sounding;  // (channel, note) -> count
    for (const Bytes& m : messages) {
        if (m.size() < 3) continue;
        const int status = m[0] & 0xF0, channel = m[0] & 0x0F;
        if (status == 0x90 && m[2] > 0 && channel != 9) ++sounding[{channel, m[1]}];
        if (status == 0x80 || (status == 0x90 && m[2] == 0)) sounding.erase({channel, m[1]});
        if (status == 0xB0 && m[1] == 123)
            std::erase_if(sounding, [&](const auto& s) { return s.first.first == channel; });
    }
    Strings out;
    for (const auto& [key, count] : sounding)
        out.push_back(std::to_string(key.first) + ":" + std::to_string(key.second));
    return out;
}

class OrchestraPage : public testsupport::PagesRig {
  protected:
    OrchestraPage() {
        createPages();
        page = pages.OrchestraForm;
        link.clearJournal();
        platform.output->clear();
        dialogs.clear();
    }
    accompaniment::TOrchestraForm* page = nullptr;
    accompaniment::PartData& parts = state.live.parts;
    std::vector<Bytes> sent() const { return platform.output->messages(); }
    std::string tarn(const char* name) const { return (folder.path() / "TarnFile" / name).string(); }
    bool playing() { return link.engine.snapshot().running == 1; }

    // The user's ways to the controls.
    void pen(int key, int range) {
        while (state.orchestra.pen.PenOctave < range) page->KeyRangeUp->click();
        while (state.orchestra.pen.PenOctave > range) page->KeyRangeDown->click();
        page->KeyBtn[static_cast<std::size_t>(key - 1)]->click();
    }
    void selectPart(int voice) {
        static constexpr int kLabelOfVoice[5] = {0, 0, 1, 2, 3};
        QTest::mouseClick(page->PartLabel[static_cast<std::size_t>(kLabelOfVoice[voice])], Qt::LeftButton);
    }
    void choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void writeFile(const std::string& path, const app::ProgramState& s) {
        const Bytes bytes = app::EncodeArrangement(s, 800);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    void fireTimers() {
        for (int p = 0; p < 4; ++p)
            if (page->PartTimer[static_cast<std::size_t>(p)]->isActive()) page->PartTimerTimer(p);
    }
};

TEST_F(OrchestraPage, ACellShowsItsNoteAndOnlyThatCellChanges) {
    pen(4, 4);  // C
    page->VolumeBar1->setValue(90);
    page->InstButton(3, 23)->click();
    QToolButton* cell = page->InstButton(3, 23);
    EXPECT_EQ(cell->text(), "60");
    EXPECT_EQ(cell->toolTip(), "4C ");
    EXPECT_EQ(cell->palette().color(QPalette::ButtonText), kNavy);
    EXPECT_EQ(parts.PartSteps[0][87], (PartStep{60, 90, 5000}));
    int changed = 0;
    for (int r = 1; r <= 8; ++r)
        for (int c = 1; c <= 32; ++c) changed += page->InstButton(r, c)->text() != "0";
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(state.drums.Modified, 1);

    pen(2, 4);  // A#
    page->InstButton(8, 32)->click();
    EXPECT_EQ(page->InstButton(8, 32)->text(), "58");
    EXPECT_EQ(page->InstButton(8, 32)->toolTip(), "4A#");
    EXPECT_EQ(page->InstButton(8, 32)->palette().color(QPalette::ButtonText), kRed);
    EXPECT_EQ(parts.PartSteps[0][0].note, 58) << "the 256th cell is step 0";
    page->RefreshOrchestraForm();
    EXPECT_EQ(page->InstButton(8, 32)->text(), "58") << "a refresh shows it there again";
    EXPECT_EQ(page->InstButton(3, 23)->toolTip(), "4C ");
    EXPECT_EQ(page->VolumeBar1->value(), 64);
    EXPECT_EQ(page->VolumePanel->text(), "50");

    page->NullBtn->click();
    page->InstButton(3, 23)->click();
    EXPECT_EQ(cell->text(), "0");
    EXPECT_EQ(cell->toolTip(), "");
    EXPECT_EQ(cell->palette().color(QPalette::ButtonText), kNavy);
}

TEST_F(OrchestraPage, TheControlsFollowTheirHandlers) {
    page->DurationBar1->setValue(100);
    EXPECT_EQ(page->DurationPanel->text(), "0");
    page->UpDown1Down->click();
    EXPECT_EQ(page->Panel5->text(), "8");
    EXPECT_EQ(state.orchestra.ClipboardBar, 8);
    page->KeyRangeUp->click();
    EXPECT_EQ(page->RangeNumber->text(), "5");
    page->KeyBtn[3]->click();  // C
    EXPECT_EQ(page->KeyBtn[3]->palette().color(QPalette::ButtonText), QColor(255, 255, 0));
    EXPECT_EQ(page->KeyBtn[7]->palette().color(QPalette::ButtonText), QColor(0, 0, 255)) << "E rests blue";
    choose(page->ThruBox, 7);
    EXPECT_EQ(parts.ThruChannel, 7);
    EXPECT_EQ(parts.PartChannels[0], 7);
    choose(page->InstChan[1], 9);
    EXPECT_EQ(parts.PartChannels[2], 9);
    choose(page->OctaveBox[3], 4);
    EXPECT_EQ(parts.PartOctaveOffsets[3], -24);
    page->PartVolume[2]->stepUp();
    EXPECT_EQ(parts.PartSteps[2][1].velocity, 14);
    EXPECT_EQ(page->PartLabel[2]->colour(), QColor(255, 0, 0)) << "the brass label lit";
    choose(page->InstBox[0], 5);
    EXPECT_EQ(parts.PartPrograms[1], 5);
    EXPECT_EQ(parts.CurrentPart, 1);
    EXPECT_EQ(page->InstBox[0]->count(), 129);
    EXPECT_EQ(page->InstBox[0]->itemText(1), "Grand Piano");
    EXPECT_EQ(page->InstBox[0]->itemText(128), "GunShot");
    EXPECT_EQ(page->InstChan[0]->itemText(0), " 1");
    EXPECT_EQ(page->InstChan[0]->itemText(15), "16");
}

class OrchestraStartUp : public testsupport::PagesRig {};

TEST_F(OrchestraStartUp, TheThruVoiceTakesTheChannelTheConfigurationGave) {
    app::ProgramState configured;
    configured.shell = state.shell;
    configured.live.parts.ThruChannel = 7;
    common::WriteConfig(configured, configured.live.parts.ThruChannel);
    createPages();
    EXPECT_EQ(state.live.parts.ThruChannel, 7);
    EXPECT_EQ(state.live.parts.PartChannels[0], 7);
    EXPECT_EQ(pages.OrchestraForm->ThruBox->currentIndex(), 7);
    const auto out = platform.output->messages();
    EXPECT_NE(std::find(out.begin(), out.end(), Bytes{0xB7, 10, 64}), out.end()) << "the THRU voice's pan";
    EXPECT_NE(std::find(out.begin(), out.end(), Bytes{0xC7, 0}), out.end()) << "the THRU program";
    EXPECT_EQ(std::find(out.begin(), out.end(), Bytes{0xB3, 10, 64}), out.end()) << "nothing on channel 4";
}

TEST_F(OrchestraStartUp, ThePartsStartPannedAtTheCentreTheirBarsShow) {
    createPages();
    EXPECT_EQ(state.live.parts.PartPans, (std::array<std::int32_t, 5>{64, 64, 64, 64, 64}));
    const auto out = platform.output->messages();
    std::vector<Bytes> pans;
    std::copy_if(out.begin(), out.end(), std::back_inserter(pans),
                 [](const Bytes& m) { return m.size() == 3 && (m[0] & 0xF0) == 0xB0 && m[1] == 10; });
    // THRU on channel 4, then piano, strings, brass and bass on their channels 1, 3, 2 and 5.
    EXPECT_EQ(pans, (std::vector<Bytes>{
                        {0xB3, 10, 64}, {0xB0, 10, 64}, {0xB2, 10, 64}, {0xB1, 10, 64}, {0xB4, 10, 64}}));
    for (QSlider* bar : pages.OrchestraForm->PanBar) EXPECT_EQ(bar->value(), 64);
}

// Whatever refreshes the page, the pen writes the key last chosen, not the note of the cell the
// refresh painted last (the 256th, holding 43 here).
TEST_F(OrchestraPage, EveryRefreshLeavesThePenAsChosen) {
    struct Case {
        const char* name;
        std::function<void()> refresh;
    };
    const Case cases[] = {
        {"part change", [&] { choose(page->InstBox[1], 41); }},
        {"paste",
         [&] {
             page->COPY->click();
             page->PASTE1->click();
         }},
        {"clear", [&] { page->CLEAR->click(); }},
        {"undo", [&] { page->UNDO->click(); }},  // of the clear before it
        {"transpose", [&] { page->Transposeup->click(); }},
        {"time signature", [&] { pages.DrumTab->TimeSignature->click(); }},
    };
    pen(6, 4);  // D in range 4
    for (const Case& c : cases) {
        for (auto& table : parts.PartSteps) table[0].note = 43;  // whichever part the refresh shows
        parts.GridNotes[0] = 43;
        c.refresh();
        ASSERT_NE(parts.GridNotes[0], 0) << c.name << ": the last cell painted holds a note";
        EXPECT_EQ(state.orchestra.pen.PenNote, 62) << c.name;
        page->InstButton(2, 5)->click();
        EXPECT_EQ(parts.GridNotes[37], 62) << c.name;
        EXPECT_EQ(parts.PartSteps[static_cast<std::size_t>(parts.CurrentPart - 1)][37].note, 62) << c.name;
        EXPECT_EQ(page->InstButton(2, 5)->text(), "62") << c.name;
    }
}

TEST_F(OrchestraPage, TheWaltzPanelCoversTheStepsAWaltzBarLeavesOut) {
    EXPECT_FALSE(page->WaltzPanel->isVisibleTo(page));
    pages.DrumTab->TimeSignatureClick();
    ASSERT_EQ(state.drums.MeterSign, 1);
    EXPECT_TRUE(page->WaltzPanel->isVisibleTo(page));
    EXPECT_EQ(page->WaltzPanel->text(), "WALTZ ");
    for (int r = 1; r <= 8; ++r) {
        EXPECT_TRUE(page->WaltzPanel->geometry().contains(page->InstButton(r, 25)->geometry()));
        EXPECT_TRUE(page->WaltzPanel->geometry().contains(page->InstButton(r, 32)->geometry()));
        EXPECT_FALSE(page->WaltzPanel->geometry().intersects(page->InstButton(r, 24)->geometry()));
    }
    pages.DrumTab->TimeSignatureClick();
    EXPECT_FALSE(page->WaltzPanel->isVisibleTo(page));
}

TEST_F(OrchestraPage, NewGivesTheDefaultsOfANewArrangement) {
    auto& d = state.live.parts;
    d.PartSteps[2][7] = {60, 90, 300};
    d.GridNotes[9] = 62;
    d.PartPrograms = {5, 6, 7, 8, 9};
    d.PartChannels = {3, 9, 9, 9, 9};
    d.PartPans = {1, 2, 3, 4, 5};
    d.PartOctaveOffsets = {12, 12, 12, 12, 0};
    d.SplitPoint = 70;
    page->DurationBar1->setValue(80);
    page->PanBar[1]->setValue(10);
    link.clearJournal();
    state.drums.Modified = 0;
    page->NewAllClick();
    EXPECT_FALSE(accompaniment::PartsHaveNotes(d));
    EXPECT_EQ(d.PartPrograms, (std::array<std::int32_t, 5>{0, 1, 49, 62, 34}));
    EXPECT_EQ(d.PartChannels, (std::array<std::int32_t, 5>{3, 0, 2, 1, 4}));
    EXPECT_EQ(d.PartPans, (std::array<std::int32_t, 5>{64, 64, 64, 64, 64}));
    EXPECT_EQ(d.PartOctaveOffsets, (std::array<std::int32_t, 5>{}));
    EXPECT_EQ(d.SplitPoint, 54);
    EXPECT_EQ(page->Panel6->text(), "54");
    EXPECT_EQ(page->PanBar[1]->value(), 64);
    EXPECT_EQ(page->DurationBar1->value(), 50);
    EXPECT_EQ(page->DurationPanel->text(), "50");
    EXPECT_EQ(page->InstBox[1]->currentIndex(), 49);
    EXPECT_EQ(page->InstChan[3]->currentIndex(), 4);
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

TEST_F(OrchestraPage, APanChangeSendsController10AtOnceWhilePlaying) {
    pages.DrumTab->DrumStartButtonClick();
    platform.output->clear();
    page->PanBar[2]->setValue(20);  // brass, channel 2 as shown
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xB1, 10, 20}}));
    EXPECT_TRUE(playing());
    EXPECT_EQ(parts.PartPans[3], 20);
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

TEST_F(OrchestraPage, TheDrumStepsPlayThePartsThroughTheQueue) {
    parts.PartSteps[0][1] = {60, 90, 0};  // piano, channel 0
    parts.PartSteps[0][3] = {62, 90, 0};
    pages.DrumTab->DrumStartButtonClick();
    const auto pianoOns = [this] {
        std::vector<int> notes;
        for (const Bytes& m : sent())
            if (m.size() == 3 && m[0] == 0x90 && m[2] > 0) notes.push_back(m[1]);
        return notes;
    };
    platform.output->clear();
    platform.timer.fireNext();  // step 1 played and posted
    EXPECT_TRUE(pianoOns().empty()) << "the part plays from the step message, not the clock";
    platform::services().queue().dispatch();
    EXPECT_EQ(pianoOns(), (std::vector<int>{60}));
    platform.timer.fireNext();
    platform.timer.fireNext();
    platform::services().queue().dispatch();
    EXPECT_EQ(pianoOns(), (std::vector<int>{60, 62})) << "steps 2 and 3, in their order";
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
    EXPECT_EQ(link.journal("cmd 247").size(), 0u) << "the output stays open";
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
    EXPECT_EQ(state.live.chord.EndRequested, 0);
    EXPECT_EQ(state.live.players.Silenced, 1);
    EXPECT_EQ(page->WhichBar->text(), "0");
}

// Every stop of the page leaves the chord follower ready: three chord keys start playing again.
TEST_F(OrchestraPage, AfterEveryStopAChordStartsPlayingByItself) {
    const std::pair<const char*, std::function<void()>> stops[] = {
        {"STOP", [&] { page->DrumStopButton->click(); }},
        {"SAVE FILE, cancelled", [&] { page->SaveBtn->click(); }},
        {"OPEN FILE, cancelled", [&] { page->SpeedButton2->click(); }},
        {"the drum tab's STOP", [&] { pages.DrumTab->DrumStopButtonClick(); }},
    };
    const std::uint32_t chord[] = {0x643090, 0x643490, 0x642B90};  // C E G below the split point
    for (const auto& [name, stop] : stops) {
        pages.DrumTab->DrumStartButtonClick();
        stop();
        ASSERT_FALSE(playing()) << name;
        EXPECT_EQ(state.live.chord.AccompanimentRunning, 0) << name;
        for (std::uint32_t key : chord) page->HandleMidiInput(key);
        EXPECT_TRUE(playing()) << name;
        EXPECT_EQ(state.live.chord.AccompanimentRunning, 1) << name;
        for (std::uint32_t key : chord) page->HandleMidiInput(key & 0x00FFFF);  // released
    }
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

TEST_F(OrchestraPage, FourPartsComeBackAfterSaveNewAndOpen) {
    struct Write {
        int voice, row, column, key, range, volume, durationBar;
    };
    const Write writes[] = {
        {1, 1, 1, 4, 4, 100, 90},  {1, 4, 17, 8, 4, 80, 70}, {1, 8, 32, 11, 4, 127, 99},  // piano
        {2, 2, 5, 4, 5, 60, 40},   {2, 7, 30, 1, 3, 33, 0},                               // strings
        {3, 1, 9, 11, 4, 110, 97}, {3, 5, 12, 3, 5, 20, 50},                              // brass
        {4, 1, 1, 4, 2, 90, 95},   {4, 3, 1, 9, 2, 70, 80},  {4, 8, 31, 11, 2, 127, 60},  // bass
    };
    int selected = 0;
    for (const Write& w : writes) {
        if (w.voice != selected) selectPart(selected = w.voice);
        pen(w.key, w.range);
        page->VolumeBar1->setValue(w.volume);
        page->DurationBar1->setValue(w.durationBar);
        page->InstButton(w.row, w.column)->click();
    }
    for (const Write& w : writes) {
        const auto i = static_cast<std::size_t>(accompaniment::GridIndex(w.row, w.column));
        const PartStep written{w.key + 12 * w.range + 8, w.volume, (100 - w.durationBar) * 100};
        ASSERT_EQ(parts.PartSteps[static_cast<std::size_t>(w.voice - 1)][i], written) << w.voice << " " << i;
    }
    const Tables written = parts.PartSteps;

    dialogs.scriptFile(tarn("four.QTR"));
    page->SaveBtn->click();
    ASSERT_EQ(state.drums.Modified, 0);
    page->NewAll->click();
    ASSERT_FALSE(accompaniment::PartsHaveNotes(parts));
    dialogs.scriptFile(tarn("four.QTR"));
    page->SpeedButton2->click();

    EXPECT_EQ(parts.PartSteps, written) << "every note, velocity and duration of the four parts";
    EXPECT_EQ(parts.CurrentPart, 1);
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(page->PartLabel[0]->colour(), QColor(255, 0, 0));
    for (int voice = 1; voice <= 4; ++voice) {
        if (voice > 1) selectPart(voice);
        for (int r = 1; r <= 8; ++r)
            for (int c = 1; c <= 32; ++c) {
                const auto i = static_cast<std::size_t>(accompaniment::GridIndex(r, c));
                const int note = written[static_cast<std::size_t>(voice - 1)][i].note;
                ASSERT_EQ(parts.GridNotes[i], note) << voice << ": " << r << "," << c;
                ASSERT_EQ(page->InstButton(r, c)->text(), QString::number(note))
                    << voice << ": " << r << "," << c;
            }
    }
}

TEST_F(OrchestraPage, AnOpenShowsThePartItReadAndWipesNone) {
    app::ProgramState file;
    file.live.parts.PartSteps[0][33] = {62, 70, 400};
    file.live.parts.PartSteps[3][1] = {36, 90, 300};
    file.live.parts.PartChannels = {5, 0, 2, 1, 4};
    file.live.parts.PartPrograms = {0, 3, 49, 62, 34};
    writeFile(tarn("read.QTR"), file);

    selectPart(4);  // the bass, edited when the file comes
    pen(4, 3);
    page->InstButton(5, 5)->click();
    dialogs.scriptAnswer(platform::BoxAnswer::No);  // "Save Changes?"
    dialogs.scriptFile(tarn("read.QTR"));
    page->OpenBtn->click();
    EXPECT_EQ(parts.PartSteps, file.live.parts.PartSteps);
    EXPECT_EQ(parts.CurrentPart, 1);
    EXPECT_EQ(parts.GridNotes[33], 62);
    EXPECT_EQ(page->InstButton(2, 1)->text(), "62");
    EXPECT_EQ(page->InstButton(5, 5)->text(), "0");
    EXPECT_EQ(page->InstBox[0]->currentIndex(), 3);
    EXPECT_EQ(parts.ThruChannel, 5);
    EXPECT_EQ(page->ThruBox->currentIndex(), 5);
    // Editing goes on in the part shown; the others stay as read.
    pen(8, 4);
    page->InstButton(1, 2)->click();
    EXPECT_EQ(parts.PartSteps[0][2].note, 64);
    EXPECT_EQ(parts.PartSteps[0][33].note, 62);
    EXPECT_EQ(parts.PartSteps[3][1], (PartStep{36, 90, 300}));
}

TEST_F(OrchestraPage, ACancelledOpenOrSaveKeepsThePartsAndModified) {
    selectPart(3);
    pen(4, 4);
    page->InstButton(1, 3)->click();
    const Tables before = parts.PartSteps;
    page->OpenBtn->click();  // "Save Changes?" answered No, then the dialog cancelled
    EXPECT_EQ(parts.PartSteps, before);
    EXPECT_EQ(parts.CurrentPart, 3);
    EXPECT_EQ(parts.GridNotes[3], 60);
    EXPECT_EQ(state.drums.Modified, 1);
    EXPECT_EQ(state.file.LoadingArrangement, 0);
    page->SaveBtn->click();  // cancelled
    EXPECT_EQ(state.drums.Modified, 1);
}

TEST_F(OrchestraPage, MergeTakesTheDrumsAndKeepsThePartSettings) {
    app::ProgramState file;
    file.drums.DrumPattern[1][9] = 100;
    file.live.parts.PartSteps[0][1] = {72, 90, 300};
    writeFile(tarn("drums.QTR"), file);

    pen(4, 4);
    page->InstButton(1, 1)->click();
    choose(page->InstBox[1], 20);
    choose(page->InstChan[2], 7);
    choose(page->OctaveBox[3], 0);
    page->OctaveUp->click();
    const auto programs = parts.PartPrograms;
    const auto channels = parts.PartChannels;
    const auto notes = parts.GridNotes;
    dialogs.scriptAnswer(platform::BoxAnswer::No);
    dialogs.scriptFile(tarn("drums.QTR"));
    page->MergeDrumsButton->click();
    EXPECT_EQ(cell(1, 9), 100);
    EXPECT_EQ(parts.PartPrograms, programs);
    EXPECT_EQ(parts.PartChannels, channels);
    EXPECT_EQ(parts.PartOctaveOffsets[3], 24);
    EXPECT_EQ(parts.ThruOctave, 1);
    EXPECT_EQ(parts.ThruTranspose, 12);
    EXPECT_EQ(parts.GridNotes, notes);
    EXPECT_EQ(parts.PartSteps[0][1].note, 60) << "the parts are not read";
    EXPECT_EQ(page->InstBox[1]->currentIndex(), 20);
    EXPECT_EQ(page->InstChan[2]->currentIndex(), 7);
    EXPECT_EQ(page->OctaveBox[3]->currentIndex(), 0);
    EXPECT_EQ(page->OctavePanel->text(), "1");
    EXPECT_EQ(state.file.MergingDrums, 0);
}

TEST_F(OrchestraPage, NavigationStopsPlaying) {
    pages.DrumTab->DrumStartButtonClick();
    page->show();
    page->MainButton->click();
    EXPECT_FALSE(playing());
    EXPECT_EQ(state.live.chord.AccompanimentRunning, 0);
    EXPECT_EQ(state.shell.PageCode, "ST");
    EXPECT_TRUE(pages.QuintoraForm->isVisible());
    EXPECT_FALSE(page->isVisible());
    EXPECT_EQ(state.devices.MidiOutIsOpen, 1) << "THRU keys sound on the setup page";

    pages.DrumTab->DrumStartButtonClick();
    page->show();
    page->DRUMTAB->click();
    EXPECT_FALSE(playing());
    EXPECT_EQ(state.shell.PageCode, "DT");
    EXPECT_TRUE(pages.DrumTab->isVisible());
    EXPECT_FALSE(page->isVisible());
}

// Every page action while the parts sound: what went out ends every note it started. The
// strings' note has no duration: only a stop, the emptying of the parts or the strings' next
// note may end it.
TEST_F(OrchestraPage, NoNoteSoundsOnAfterAPageActionWhilePlaying) {
    app::ProgramState file;
    file.drums.DrumPattern[3][9] = 100;
    writeFile(tarn("other.QTR"), file);
    struct Case {
        const char* name;
        std::function<void()> action;
        Strings sounding;  // held by design when the action is done
    };
    const Case cases[] = {
        {"part change", [&] { choose(page->InstBox[1], 41); }, {}},
        {"label", [&] { selectPart(4); }, {}},
        {"channel change", [&] { choose(page->InstChan[1], 8); }, {}},
        {"octave change", [&] { choose(page->OctaveBox[1], 1); }, {}},
        {"NEW", [&] { page->NewAll->click(); }, {}},
        {"open",
         [&] {
             dialogs.scriptFile(tarn("other.QTR"));
             page->SpeedButton2->click();
         },
         {}},
        {"merge",
         [&] {
             dialogs.scriptFile(tarn("other.QTR"));
             page->MergeDrumsButton->click();
         },
         {}},
        {"setup", [&] { page->MainButton->click(); }, {}},
        {"transpose", [&] { page->Transposeup->click(); }, {"2:64"}},  // last: its note goes on below
    };
    for (const Case& c : cases) {
        parts.PartChannels = {3, 0, 2, 1, 4};
        parts.PartSteps[0][1] = {60, 90, 250};
        parts.PartSteps[1][1] = {64, 90, 0};
        parts.PartSteps[3][1] = {36, 90, 400};
        parts.PartSteps[0][2] = {62, 90, 250};
        state.drums.Modified = 0;
        platform.output->clear();
        pages.DrumTab->DrumStartButtonClick();
        page->StepAccompaniment(1);
        c.action();
        page->StepAccompaniment(2);  // a step already on its way
        fireTimers();
        EXPECT_EQ(unendedNotes(sent()), c.sounding) << c.name;
    }
    // The strings' next note ends the one sounded before the transposition.
    page->StepAccompaniment(1);
    fireTimers();
    EXPECT_EQ(unendedNotes(sent()), Strings{"2:65"});
}

}  // namespace
