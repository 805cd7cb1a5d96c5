// The real program on a private JACK server imports a song of our own through its import pages:
// the piano and bass parts (chosen in the instrument chooser, tried, kept with OK), then the
// drums (tried: they play; kept with OK). Each import keeps only its own kind, so the
// accompaniment page opens the parts and merges the drums; a chord then moves the imported parts
// while the imported drums go on, each on its channel.

#include <gtest/gtest.h>

#include "tests/e2e/program_rig.h"
#include "tests/import/support/song.h"

namespace {

using namespace e2e;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Sixteen bars at 250 beats a minute: a kick on every beat, piano middle C and bass C two
// octaves down at every bar's start, each a beat long. Bars 8 to 15, which the import page
// offers first, are like all others.
bool WriteSong(const fs::path& path) {
    constexpr int kDivision = 120;
    importtest::Track conductor, kick, piano, bass;
    conductor.name("Song").tempo(0, 240000).meter(0, 4, 4);
    kick.name("Kick");
    piano.name("Piano").program(0, 0, 0);
    bass.name("Bass").program(0, 2, 33);
    for (int bar = 0; bar < 16; ++bar) {
        const int64_t start = bar * 4 * kDivision;
        for (int beat = 0; beat < 4; ++beat) kick.note(start + beat * kDivision, 9, 36, 100, 30);
        piano.note(start, 0, 60, 90, kDivision);
        bass.note(start, 2, 36, 110, kDivision);
    }
    return importtest::WriteSong(path.string(), 1, kDivision, {conductor, kick, piano, bass});
}

class ImportEndToEnd : public ProgramOnJack {};

TEST_F(ImportEndToEnd, ImportedDrumsAndPartsPlayAndThePartsFollowTheChord) {
    const fs::path song = home.path / "MidiFile" / "song.MID";
    fs::create_directories(song.parent_path());
    ASSERT_TRUE(WriteSong(song));
    startProgram();
    ASSERT_TRUE(act("click DRUMTAB"));

    // Instruments: the chooser's lines are the empty choice, the conductor's comment, then
    // channel 1 (piano) and channel 3 (bass).
    ASSERT_TRUE(act("click MidiExtract"));
    ASSERT_TRUE(clickWithFile("ExtractInstruments", song));
    ASSERT_TRUE(act("choose PianoList 2"));
    ASSERT_TRUE(act("choose BassList 3"));
    ASSERT_TRUE(act("click ChooseButton", 60s));
    ASSERT_TRUE(act("click TryMidiImport", 60s));
    ASSERT_TRUE(clickWithFile("ExitMidiExtract", home.path / "TarnFile" / "parts.QTR"));
    ASSERT_TRUE(fs::exists(home.path / "TarnFile" / "parts.QTR"));

    // Drums: a fresh import page; TRY plays them.
    ASSERT_TRUE(act("click MidiExtract"));
    ASSERT_TRUE(clickWithFile("ExtractDrums", song));
    rig.clear();
    ASSERT_TRUE(act("click TryMidiImport", 60s));
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) { return countNoteOns(got, 9, 36) >= 4; }))
        << "the imported kick plays; " << describe(rig.received());
    ASSERT_TRUE(clickWithFile("ExitMidiExtract", home.path / "TarnFile" / "drums.QTR"));

    // The accompaniment page: the parts opened, the drums merged in.
    ASSERT_TRUE(act("click ComboButton"));
    ASSERT_TRUE(clickWithFile("SpeedButton2", home.path / "TarnFile" / "parts.QTR"));
    ASSERT_TRUE(clickWithFile("MergeDrumsButton", home.path / "TarnFile" / "drums.QTR"));

    // F A C below the split point starts playing: piano (channel 1) and bass (channel 5) move
    // up to F.
    rig.clear();
    press({41, 45, 48});
    ASSERT_TRUE(waitUntil(rig, 10s, [&](const Received& got) {
        return countNoteOns(got, 0, 65) >= 2 && countNoteOns(got, 4, 41) >= 2 &&
               countNoteOns(got, 9, 36) >= 8;
    })) << describe(rig.received());
    const Received got = rig.received();
    release({41, 45, 48});
    std::size_t firstMoved = 0;
    while (firstMoved < got.size() && !isNoteOn(got[firstMoved].bytes, 0, 65)) ++firstMoved;
    const Received afterwards(got.begin() + static_cast<std::ptrdiff_t>(firstMoved), got.end());
    EXPECT_EQ(countNoteOns(afterwards, 0, 60), 0u) << "the piano stays moved; " << describe(got);

    ASSERT_TRUE(act("click DrumStopButton"));
    exitProgram(true);
}

}  // namespace
