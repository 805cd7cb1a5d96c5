// The track survey: what it collects, the lines it writes, and its refusals.
#include <gtest/gtest.h>

#include <functional>

#include "midifile/MidiWrite.h"
#include "midifile/tracker.h"
#include "platform/testing/scripted_dialogs.h"
#include "tests/midifile/support/temp_files.h"

namespace midifile::testing {
namespace {

using Lines = std::vector<std::string>;
using Track = std::function<void(MidiWrite&)>;

class Survey : public ::testing::Test {
  protected:
    // Writes a format-1 file with the given tracks and surveys it.
    MidiTrackinfo& Run(const std::vector<Track>& tracks, int format = 1) {
        {
            MidiWrite w(file_.path());
            w.WriteHeader(format, static_cast<int>(tracks.size()), 96);
            for (const auto& t : tracks) {
                w.StartTrack();
                t(w);
            }
            EXPECT_TRUE(w.Close());
        }
        survey_ = std::make_unique<MidiTrackinfo>(file_.path(), dialogs_, Hooks());
        return *survey_;
    }
    MidiTrackinfo::Hooks Hooks() {
        return {[this](const std::string& line) { lines_.push_back(line); }, [this] { ++aborts_; }};
    }

    TempFile file_;
    platform::testing::ScriptedDialogs dialogs_;
    std::unique_ptr<MidiTrackinfo> survey_;
    Lines lines_;
    int aborts_ = 0;
};

TEST_F(Survey, DefaultsWithoutTempoOrTimeSignatureAndTheLastOnesWin) {
    auto& plain = Run({[](MidiWrite& w) { w.WriteNoteOn(0, 60, 1); }});
    EXPECT_EQ(plain.tempo, 500000u);
    EXPECT_EQ(plain.numerator, 4);
    EXPECT_EQ(plain.denominator, 4);
    auto& timed = Run({[](MidiWrite& w) {
        w.WriteTimeSignature(3, 4, 24, 8);
        w.WriteTempo(400000);
        w.AddDelta(96);
        w.WriteTimeSignature(6, 8, 24, 8);
        w.WriteTempo(300000);
    }});
    EXPECT_EQ(timed.tempo, 300000u);
    EXPECT_EQ(timed.numerator, 6);
    EXPECT_EQ(timed.denominator, 8);
}

TEST_F(Survey, SingleChannelTrackKeepsOnlySettingsBeforeItsFirstNote) {
    auto& s = Run({[](MidiWrite& w) {
        w.WriteProgramChange(0, 24);
        w.WriteNoteOn(0, 60, 100);
        w.WriteProgramChange(0, 30);
        w.WriteControlChange(0, 7, 100);
    }});
    const Trackinfo* t = s.TrackAt(1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->channel, 0);
    EXPECT_EQ(t->program[0], 24);
    EXPECT_EQ(t->volume[0], -1);
    EXPECT_EQ(s.TrackAt(0), nullptr);
    EXPECT_EQ(s.TrackAt(2), nullptr);
}

TEST_F(Survey, MultiChannelTrackKeepsFirstValuesToItsEnd) {
    auto& s = Run({[](MidiWrite& w) {
        w.WriteNoteOn(0, 60, 100);
        w.WriteNoteOn(1, 60, 100);
        w.WriteControlChange(1, 7, 100);
        w.WriteControlChange(1, 7, 50);
        w.WriteControlChange(1, 10, 20);
        w.WriteControlChange(1, 93, 30);
        w.WriteControlChange(1, 91, 40);
        w.WriteControlChange(2, 1, 5);  // any other controller marks its channel used
    }});
    const Trackinfo* t = s.TrackAt(1);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->channel, MidiRead::MULTICHANNEL);
    EXPECT_EQ(t->volume[1], 100);
    EXPECT_EQ(t->pan[1], 20);
    EXPECT_EQ(t->chorus[1], 30);
    EXPECT_EQ(t->reverb[1], 40);
    EXPECT_EQ((std::array<int, 4>{t->used[0], t->used[1], t->used[2], t->used[3]}),
              (std::array<int, 4>{1, 1, 1, 0}));
}

TEST_F(Survey, FirstNonEmptyTrackNameWins) {
    auto& s = Run({[](MidiWrite& w) {
                       w.WriteText(3, "First");
                       w.WriteText(3, "Second");
                   },
                   [](MidiWrite& w) {
                       w.WriteText(3, "");
                       w.WriteText(1, "not a name");
                       w.WriteText(3, "Later");
                   }});
    EXPECT_STREQ(s.TrackAt(1)->Name(), "First");
    EXPECT_STREQ(s.TrackAt(2)->Name(), "Later");
}

TEST_F(Survey, ShortDescriptionsNameChannelTrackAndInstrument) {
    auto& s = Run({[](MidiWrite& w) { w.WriteTempo(500000); },
                   [](MidiWrite& w) {
                       w.WriteText(3, "Piano");
                       w.WriteProgramChange(0, 0);
                       w.WriteNoteOn(0, 60, 100);
                   },
                   [](MidiWrite& w) { w.WriteNoteOn(9, 36, 100); },  // drums: no line
                   [](MidiWrite& w) {
                       w.WriteProgramChange(3, 127);
                       w.WriteNoteOn(3, 60, 100);
                   },
                   [](MidiWrite& w) {
                       w.WriteProgramChange(4, 0x90);  // out of range: no name
                       w.WriteNoteOn(4, 60, 100);
                   }});
    ASSERT_TRUE(s.DescribeAll(false));
    EXPECT_EQ(lines_, (Lines{"NOCHANNEL: tempo track ", "1: \"Piano\" (Grand Piano)", "4: \"\" (GunShot)",
                             "5: \"\" (\?\?\?)"}));
    EXPECT_TRUE(s.DescriptionLine().empty());
    EXPECT_TRUE(dialogs_.log().empty());
}

TEST_F(Survey, NamedFirstTrackAndFormatZeroAreNotTempoTracks) {
    auto& named = Run({[](MidiWrite& w) { w.WriteText(3, "Conductor"); }});
    ASSERT_TRUE(named.DescribeAll(false));
    auto& format0 = Run({[](MidiWrite& w) { w.WriteTempo(500000); }}, 0);
    ASSERT_TRUE(format0.DescribeAll(false));
    EXPECT_EQ(lines_, (Lines{"NOCHANNEL: \"Conductor\" ", "NOCHANNEL: \"\" "}));
}

TEST_F(Survey, GsResetBeforeTheFirstNoteSelectsGsNames) {
    auto& s = Run({[](MidiWrite& w) {
        w.WriteGsReset();
        w.WriteControlChange(0, 0, 8);
        w.WriteProgramChange(0, 0);
        w.WriteNoteOn(0, 60, 100);
        w.WriteXgSystemOn();  // after the freeze: ignored
    }});
    EXPECT_EQ(s.SoundSetMode, 1);
    ASSERT_TRUE(s.DescribeAll(false));
    EXPECT_EQ(lines_, (Lines{"1: tempo track (GrndPnoK)"}));  // format 1, unnamed first track
}

TEST_F(Survey, LongTrackNameIsCutToTheLine) {
    const std::string name(300, 'n');
    auto& s = Run({[&](MidiWrite& w) {
        w.WriteText(3, name);
        w.WriteNoteOn(2, 60, 100);
    }});
    EXPECT_EQ(std::string(s.TrackAt(1)->Name()), name);
    ASSERT_TRUE(s.DescribeAll(false));
    ASSERT_EQ(lines_.size(), 1u);
    EXPECT_EQ(lines_[0].size(), MidiTrackinfo::LineCapacity - 1);
    EXPECT_EQ(lines_[0], "3: \"" + std::string(MidiTrackinfo::LineCapacity - 1 - 4, 'n'));
}

TEST_F(Survey, LongFormListsEachSetting) {
    auto& s = Run({[](MidiWrite& w) {
        w.WriteText(3, "Bass");
        w.WriteProgramChange(1, 33);
        w.WriteControlChange(1, 7, 100);
        w.WriteControlChange(1, 10, 64);
        w.WriteControlChange(1, 91, 40);
        w.WriteNoteOn(1, 40, 100);
    }});
    ASSERT_TRUE(s.DescribeAll(true));
    EXPECT_EQ(lines_, (Lines{"2: \"Bass\"   program: Fingered Bass ", "  volume: 100  (0=mute,127=full) ",
                             "  balance: 64 (0=left, 64=mid, 127=right) ", "  reverb: 40 (0-127) ", ""}));
}

TEST_F(Survey, MultichannelTrackIsRefusedAndTheImportReset) {
    auto& s = Run({[](MidiWrite& w) { w.WriteNoteOn(0, 60, 100); },
                   [](MidiWrite& w) {
                       w.WriteNoteOn(0, 60, 100);
                       w.WriteNoteOn(1, 60, 100);
                   },
                   [](MidiWrite& w) { w.WriteNoteOn(2, 60, 100); }});
    EXPECT_FALSE(s.DescribeAll(false));
    EXPECT_EQ(lines_, (Lines{"1: tempo track (Grand Piano)"}));
    EXPECT_EQ(aborts_, 1);
    const auto boxes = dialogs_.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "INSTRUMENTS NOT VALID IN MULTICHANNEL FILES.");
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Exclamation);
}

TEST_F(Survey, ReadErrorShowsTrackErrorAndLaterTracksHaveNoRecord) {
    // Track 2 is cut short by a lying length; track 1 survives.
    const Bytes good = {0x00, 0xC0, 0x05, 0x00, 0x90, 0x3C, 0x64};
    Bytes file = SmfFile({good, {0x00, 0xF4}, good});
    file_.Write(file);
    MidiTrackinfo s(file_.path(), dialogs_, Hooks());
    const auto boxes = dialogs_.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "TRACK ERROR");
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Exclamation);
    ASSERT_NE(s.TrackAt(1), nullptr);
    EXPECT_EQ(s.TrackAt(1)->program[0], 5);
    EXPECT_EQ(s.TrackAt(3), nullptr);
    ASSERT_TRUE(s.DescribeAll(false));
    EXPECT_EQ(lines_, (Lines{"1: tempo track (Chorused Piano)", "NOCHANNEL: \"\" "}));
}

TEST_F(Survey, MissingFileLeavesAnEmptySurvey) {
    MidiTrackinfo s("/nonexistent/quintora.mid", dialogs_, Hooks());
    EXPECT_EQ(s.tempo, 500000u);
    EXPECT_EQ(s.numerator, 4);
    EXPECT_TRUE(s.DescribeAll(false));
    EXPECT_TRUE(lines_.empty());
    EXPECT_TRUE(dialogs_.log().empty());
}

}  // namespace
}  // namespace midifile::testing
