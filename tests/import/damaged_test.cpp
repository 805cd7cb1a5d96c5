// Damaged input through the whole import: every damaged file of the MIDI library's table and cut
// copies of the test songs give one message, leave the arrangement as it was and no file open.
#include <gtest/gtest.h>

#include "tests/import/support/import_rig.h"
#include "tests/import/support/test_songs.h"
#include "tests/midifile/support/malformed_cases.h"

namespace importtest {
namespace {

using Bytes = std::vector<uint8_t>;

class Damaged : public ImportFixture {
  protected:
    Damaged() {
        // Something to keep: a few hits and part steps, a waltz at 99 beats a minute on four bars.
        ops.ToggleDrumCell(1, 9, 100);
        ops.ToggleDrumCell(200, 40, 50);
        state.live.parts.PartSteps[1][17] = {60, 90, 300};
        state.drums.Bars = 4;
        state.drums.TempoValue = 99;
        state.drums.MeterSign = 1;
        state.drums.WaltzMode = 1;
        state.drums.Modified = 0;
        kept_ = Snapshot();
    }

    struct Arrangement {
        decltype(drums::DrumState::DrumPattern) pattern;
        decltype(accompaniment::PartData::PartSteps) parts;
        int bars, tempo, meter, modified;
        bool operator==(const Arrangement&) const = default;
    };
    Arrangement Snapshot() const {
        return {state.drums.DrumPattern, state.live.parts.PartSteps, state.drums.Bars,
                state.drums.TempoValue,  state.drums.MeterSign,      state.drums.Modified};
    }

    // A drum import, then an instrument import of channel 1, of the file; the messages shown.
    // A file that reads cleanly may still switch the time signature after its bar records.
    std::vector<std::string> ImportBoth(const Bytes& file, bool damaged = true) {
        WriteBytes(Path("damaged.mid"), file);
        dialogs.clear();
        pages.meterToggles = 0;
        const int open = OpenFileCount();
        ImportDrums(Path("damaged.mid"));
        ImportPart(Path("damaged.mid"), 0, 1);
        EXPECT_EQ(OpenFileCount(), open) << "a file left open";
        if (!damaged) {
            state.drums.MeterSign = 1;
            state.drums.WaltzMode = 1;
        }
        EXPECT_TRUE(Snapshot() == kept_) << "the arrangement changed";
        if (damaged) {
            EXPECT_EQ(pages.meterToggles, 0);
        }
        return BoxTexts();
    }

  private:
    Arrangement kept_;
};

TEST_F(Damaged, EveryFileOfTheReadersTableIsOneMessage) {
    for (const auto& c : midifile::testing::malformed::Cases()) {
        SCOPED_TRACE(c.name);
        // Each of the two imports shows exactly one message: the file error, or for a file that
        // reads cleanly the note that no drums play (none of these has drums). A file without
        // tracks is an error of the import even where the reader accepts it.
        const bool error = c.error != nullptr || std::string(c.name) == "zero_tracks";
        const auto boxes = ImportBoth(c.file, error);
        const std::string expected = error ? "FILE ERROR - ABORTING:" : "NO DRUMS FOUND";
        EXPECT_EQ(boxes, (std::vector<std::string>{expected, expected}));
        if (error) {
            EXPECT_FALSE(std::filesystem::exists(Path(midiimport::kSplitFileName)));
        }
    }
}

TEST_F(Damaged, CutCopiesOfTheTestSongsAreOneMessage) {
    for (int format : {1, 0}) {
        ASSERT_TRUE(WriteSong(Path("song.mid"), format, kDivision, TestSong(format)));
        const Bytes whole = ReadBytes(Path("song.mid"));
        for (size_t cut = 0; cut < whole.size(); cut += 5) {
            SCOPED_TRACE("format " + std::to_string(format) + " cut at " + std::to_string(cut));
            const auto boxes =
                ImportBoth(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
            EXPECT_EQ(boxes, (std::vector<std::string>{"FILE ERROR - ABORTING:", "FILE ERROR - ABORTING:"}));
        }
    }
}

}  // namespace
}  // namespace importtest
