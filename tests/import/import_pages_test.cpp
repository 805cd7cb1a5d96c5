// The import page and the instrument chooser in the program: drums and parts imported from a
// test song through the pages' own controls, tried, kept through the arrangement file; a damaged
// file gives one message and leaves the arrangement as it was.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <filesystem>

#include "accompaniment/pages/orchestra_form.h"
#include "program/arrangement_file.h"
#include "tests/app/support/pages_rig.h"
#include "tests/import/support/test_songs.h"

namespace {

namespace fs = std::filesystem;
using importtest::kHat;
using importtest::kKick;
using importtest::kSnare;
using Strings = std::vector<std::string>;

class ImportPages : public testsupport::PagesRig {
  protected:
    ImportPages() {
        createPages();
        song = (folder.path() / "MidiFile" / "song.mid").string();
        EXPECT_TRUE(importtest::WriteSong(song, 1, importtest::kDivision, importtest::TestSong(1)));
        link.clearJournal();
        dialogs.clear();
    }

    // The drum tab's Midi button: the import page on screen.
    midiimport::TConverting* OpenImport() {
        pages.DrumTab->MidiExtract->click();
        EXPECT_TRUE(pages.Converting && pages.Converting->isVisible());
        return pages.Converting;
    }
    // The bar spin stepped down to bar 1, as the user does.
    void StepToFirstBar(midiimport::TConverting* page) {
        for (int i = 0; i < 20 && page->WhichBar->value() > 1; ++i) page->WhichBar->stepDown();
    }
    static void Choose(QComboBox* list, const std::string& prefix) {
        for (int i = 0; i < list->count(); ++i)
            if (list->itemText(i).startsWith(QString::fromStdString(prefix))) {
                list->setCurrentIndex(i);
                return;
            }
        ADD_FAILURE() << "no line " << prefix;
    }
    // One drum over the eight bars: a character per step, 'x' a hit.
    std::string DrumRow(int drum) {
        std::string row;
        for (int s = 1; s <= 256; ++s) row += cell(s == 256 ? 0 : s, drum) != 0 ? 'x' : '.';
        return row;
    }
    // A part's notes as "step:note/velocity/duration".
    Strings PartNotes(int part) {
        Strings out;
        const auto& table = state.live.parts.PartSteps[static_cast<std::size_t>(part - 1)];
        for (int s = 1; s <= 256; ++s) {
            const auto& e = table[static_cast<std::size_t>(s == 256 ? 0 : s)];
            if (e.note != 0)
                out.push_back(std::to_string(s) + ":" + std::to_string(e.note) + "/" +
                              std::to_string(e.velocity) + "/" + std::to_string(e.duration));
        }
        return out;
    }
    Strings BoxTexts() {
        Strings out;
        for (const auto& b : dialogs.boxes()) out.push_back(b.text);
        return out;
    }
    // Every bar's first step, and the given steps of bars 1..n.
    static std::string Hits(std::initializer_list<int> positions, int bars) {
        std::string row(256, '.');
        for (int b = 0; b < bars; ++b)
            for (int p : positions) row[static_cast<std::size_t>(b * 32 + p - 1)] = 'x';
        return row;
    }

    std::string song;
};

TEST_F(ImportPages, DrumsAreImportedTriedAndKept) {
    midiimport::TConverting* page = OpenImport();
    EXPECT_EQ(page->windowTitle(), "MIDI IMPORT");
    EXPECT_FALSE(page->TryMidiImport->isEnabled());
    dialogs.scriptFile(song);
    page->ExtractDrums->click();
    EXPECT_EQ(BoxTexts(), Strings{});
    EXPECT_EQ(page->windowTitle().toStdString(), "Converting from: " + song);
    EXPECT_EQ(page->Panel4->text(), "READY");
    EXPECT_EQ(page->WhichBar->text(), "8");
    EXPECT_TRUE(page->TryMidiImport->isEnabled());
    EXPECT_FALSE(page->ExtractDrums->isEnabled());
    EXPECT_TRUE(page->isEnabled());
    EXPECT_EQ(pages.OrchestraForm->FileNamePanel->text().toStdString(), song);

    // The Midi button while the import runs shows the same page.
    pages.DrumTab->MidiExtract->click();
    EXPECT_EQ(pages.Converting, page);

    StepToFirstBar(page);
    EXPECT_EQ(page->WhichBar->text(), "1");
    page->TryMidiImport->click();
    EXPECT_EQ(DrumRow(kKick), Hits({1}, 8));
    EXPECT_EQ(DrumRow(kSnare), Hits({9}, 4));
    EXPECT_EQ(DrumRow(kHat), Hits({5}, 2));
    EXPECT_EQ(cell(1, kKick), 100);
    EXPECT_TRUE(engineMatchesPattern());
    EXPECT_EQ(state.drums.TempoValue, 100);
    EXPECT_EQ(pages.DrumTab->TempoPanel->text(), "100");
    EXPECT_EQ(state.drums.Bars, 8);
    EXPECT_EQ(link.engine.snapshot().running, 1) << "TRY plays what it imported";
    EXPECT_EQ(page->Panel4->text(), "MIDI");
    EXPECT_FALSE(fs::exists(folder.path() / "$$$$"));

    // OK keeps it through the arrangement file and ends the import.
    const fs::path file = folder.path() / "TarnFile" / "drums.QTR";
    dialogs.scriptFile(file.string());
    page->ExitMidiExtract->click();
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_EQ(state.import.split.ImportRunning, 0);
    EXPECT_EQ(state.drums.Modified, 0);
    bool tooLarge = false;
    const auto bytes = app::ReadWholeFile(file, tooLarge);
    ASSERT_TRUE(bytes);
    const auto staged = app::ParseArrangement(*bytes, true);
    ASSERT_TRUE(staged);
    EXPECT_EQ(staged->cells.size(), 8u + 4u + 2u);
    EXPECT_EQ(staged->Tempo, 100);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pages.Converting.isNull()) << "released; the Midi button makes a new pair";
    EXPECT_TRUE(pages.InstListForm.isNull());
}

TEST_F(ImportPages, PartsComeFromTheChosenChannels) {
    midiimport::TConverting* page = OpenImport();
    dialogs.scriptFile(song);
    page->ExtractInstruments->click();
    midiimport::TInstListForm* chooser = pages.InstListForm;
    ASSERT_TRUE(chooser);
    ASSERT_TRUE(chooser->isVisible());
    EXPECT_EQ(chooser->windowTitle(), "Choose an Instrument.");
    EXPECT_EQ(chooser->PianoList->count(), chooser->BassList->count());
    for (int i = 0; i < chooser->PianoList->count(); ++i)
        EXPECT_FALSE(chooser->PianoList->itemText(i).startsWith("10:")) << "no line for the drums";
    Choose(chooser->PianoList, "1:");
    Choose(chooser->BassList, "3:");
    chooser->ChooseButton->click();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(BoxTexts(), Strings{});
    EXPECT_EQ(page->Panel4->text(), "READY");

    StepToFirstBar(page);
    page->TryMidiImport->click();
    // At the song's 100 beats a minute a beat lasts 576 ms. The piano's note of bar 2 that sounds
    // into bar 3 is taken once, with its three beats. The page shows the piano part, which keeps
    // its lengths.
    EXPECT_EQ(PartNotes(1),
              (Strings{"1:60/80/576", "33:60/80/576", "49:62/81/1728", "65:64/82/576", "97:64/82/576"}));
    EXPECT_EQ(PartNotes(2), Strings{});
    EXPECT_EQ(PartNotes(3), Strings{});
    Strings bass;
    for (int b = 0; b < 8; ++b) bass.push_back(std::to_string(b * 32 + 1) + ":36/110/288");
    EXPECT_EQ(PartNotes(4), bass);
    EXPECT_EQ(DrumRow(kKick), std::string(256, '.')) << "an instrument import brings no drums";
    EXPECT_EQ(state.live.parts.CurrentPart, 1);
    EXPECT_EQ(state.live.parts.GridNotes[1], 60) << "the page shows the piano part";
    EXPECT_EQ(link.engine.snapshot().running, 1);

    // The page's grid holds the piano's lengths too: an edit there gives only the cell it writes
    // the duration bar's duration.
    pages.OrchestraForm->KeyBtn[3]->click();  // C
    pages.OrchestraForm->InstButton(1, 5)->click();
    const auto& piano = state.live.parts.PartSteps[0];
    EXPECT_EQ(piano[5].note, 60);
    EXPECT_EQ(piano[5].duration, 5000);
    const std::pair<std::size_t, int> lengths[] = {{1, 576}, {33, 576}, {49, 1728}, {65, 576}, {97, 576}};
    for (const auto& [step, ms] : lengths) EXPECT_EQ(piano[step].duration, ms) << "step " << step;
}

// A song of four parts, one channel each (piano 1 .. bass 4), at 120 beats a minute and 96 ticks a
// beat: on the players' grid a step lasts 60 ms, so a tick lasts 5 ms. Each note has a length of
// its own, on eighths of a beat; one bass note sounds across a bar line.
struct SongNote {
    int part;  // 1..4, on channel part - 1
    std::int64_t tick, length;
    int key;
};
std::vector<SongNote> FourPartNotes() {
    std::vector<SongNote> notes;
    for (int p = 1; p <= 4; ++p)
        for (int b = 0; b < 8; ++b) {
            const std::int64_t bar = 384 * b;
            notes.push_back({p, bar, 12 * p + 6 * b, 28 + 12 * p + b});
            notes.push_back({p, bar + 192 + 12 * (p - 1), 15 + 3 * b + 9 * p, 34 + 12 * p + b});
        }
    notes.push_back({4, 384 * 3 + 288, 192, 70});  // beat 4 of bar 4, two beats
    return notes;
}

class ImportedLengths : public ImportPages, public ::testing::WithParamInterface<int> {
  protected:
    std::string FourPartSong() {
        std::vector<importtest::Track> tracks(5);
        tracks[0].tempo(0, 500000);
        for (int p = 1; p <= 4; ++p) tracks[static_cast<std::size_t>(p)].program(0, p - 1, 8 * p);
        for (const SongNote& n : FourPartNotes())
            tracks[static_cast<std::size_t>(n.part)].note(n.tick, n.part - 1, n.key, 100, n.length);
        const std::string path = (folder.path() / "MidiFile" / "four.mid").string();
        EXPECT_TRUE(importtest::WriteSong(path, 1, 96, tracks));
        return path;
    }
    // The notes of the four parts whose step, key or duration (beyond 1 ms) is not the song's.
    Strings WrongLengths() {
        Strings wrong;
        std::size_t expected = 0;
        for (const SongNote& n : FourPartNotes()) {
            const auto step = static_cast<std::size_t>(n.tick / 12 + 1);
            const auto& e = state.live.parts.PartSteps[static_cast<std::size_t>(n.part - 1)][step];
            const std::int64_t ms = n.length * 5;
            if (e.note != n.key || e.duration < ms - 1 || e.duration > ms + 1)
                wrong.push_back(std::to_string(n.part) + " step " + std::to_string(step) + ": " +
                                std::to_string(e.note) + "/" + std::to_string(e.duration) + " for " +
                                std::to_string(n.key) + "/" + std::to_string(ms));
            ++expected;
        }
        std::size_t notes = 0;
        for (int p = 1; p <= 4; ++p) notes += PartNotes(p).size();
        if (notes != expected) wrong.push_back(std::to_string(notes) + " notes");
        return wrong;
    }
};

// Whichever part the accompaniment page shows when the import starts, every imported note keeps
// its length in the song through TRY (after which the page shows the piano), OK and an open of the
// saved file.
TEST_P(ImportedLengths, EveryPartKeepsItsLengthsThroughTryOkAndAnOpen) {
    const std::string four = FourPartSong();
    pages.OrchestraForm->PartLabel[static_cast<std::size_t>(GetParam() - 1)]->onClick();
    ASSERT_EQ(state.live.parts.CurrentPart, GetParam());

    midiimport::TConverting* page = OpenImport();
    dialogs.scriptFile(four);
    page->ExtractInstruments->click();
    midiimport::TInstListForm* chooser = pages.InstListForm;
    ASSERT_TRUE(chooser);
    Choose(chooser->PianoList, "1:");
    Choose(chooser->StringsList, "2:");
    Choose(chooser->BrassList, "3:");
    Choose(chooser->BassList, "4:");
    chooser->ChooseButton->click();
    StepToFirstBar(page);
    page->TryMidiImport->click();
    EXPECT_EQ(state.live.parts.CurrentPart, 1);
    EXPECT_EQ(WrongLengths(), Strings{}) << "after TRY";

    const fs::path file = folder.path() / "TarnFile" / "four.QTR";
    dialogs.scriptFile(file.string());
    page->ExitMidiExtract->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    pages.OrchestraForm->NewAll->click();
    ASSERT_EQ(PartNotes(1), Strings{});
    dialogs.scriptFile(file.string());
    pages.OrchestraForm->SpeedButton2->click();
    EXPECT_EQ(WrongLengths(), Strings{}) << "after OK and an open";
    EXPECT_EQ(BoxTexts(), Strings{"NO DRUMS FOUND"}) << "and no other box";
}

std::string PartName(const ::testing::TestParamInfo<int>& info) {
    static const char* const kNames[] = {"", "piano", "strings", "brass", "bass"};
    return kNames[info.param];
}
INSTANTIATE_TEST_SUITE_P(CurrentPart, ImportedLengths, ::testing::Values(1, 2, 3, 4), PartName);

// Whatever the mode, a damaged file shows one message; the drums, the parts and Modified stay
// and the page goes back to idle, leaving no temporary file.
TEST_F(ImportPages, ADamagedFileGivesOneMessageAndKeepsTheArrangement) {
    const auto bytes = importtest::ReadBytes(song);
    const std::string cut = (folder.path() / "MidiFile" / "cut.mid").string();
    importtest::WriteBytes(cut, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    pages.DrumTab->DrumPanel[3]->onClick();
    state.live.parts.PartSteps[0][5] = {64, 90, 200};
    const auto pattern = state.drums.DrumPattern;
    const auto parts = state.live.parts.PartSteps;
    for (bool drums : {true, false}) {
        SCOPED_TRACE(drums ? "drums" : "instruments");
        midiimport::TConverting* page = OpenImport();
        dialogs.clear();
        dialogs.scriptFile(cut);
        (drums ? page->ExtractDrums : page->ExtractInstruments)->click();
        ASSERT_EQ(dialogs.boxes().size(), 1u);
        EXPECT_EQ(dialogs.boxes()[0].caption, "ERROR");
        EXPECT_EQ(dialogs.boxes()[0].icon, platform::BoxIcon::Exclamation);
        EXPECT_TRUE(state.drums.DrumPattern == pattern);
        EXPECT_TRUE(state.live.parts.PartSteps == parts);
        EXPECT_EQ(state.drums.Modified, 1);
        EXPECT_FALSE(pages.InstListForm->isVisible());
        EXPECT_EQ(page->windowTitle(), "MIDI IMPORT");
        EXPECT_TRUE(page->isEnabled());
        EXPECT_TRUE(page->ExtractDrums->isEnabled());
        EXPECT_TRUE(page->ExtractInstruments->isEnabled());
        EXPECT_FALSE(page->TryMidiImport->isEnabled());
        EXPECT_FALSE(fs::exists(folder.path() / "$$$$"));
        EXPECT_FALSE(fs::exists(folder.path() / "$$$"));
    }
}

// During the long steps the page shows its progress figure and the program's timers and paints
// go on, while the page takes no clicks.
TEST_F(ImportPages, TheSplitShowsItsProgressWhileThePageIsBusy) {
    midiimport::TConverting* page = OpenImport();
    dialogs.scriptFile(song);
    std::vector<std::pair<QString, bool>> seen;  // Panel4 and the page's enabled state
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout,
                     [&] { seen.emplace_back(page->Panel4->text(), page->isEnabled()); });
    watcher.start();
    page->ExtractDrums->click();
    watcher.stop();
    EXPECT_EQ(page->Panel4->text(), "READY");
    const auto figure = std::find_if(seen.begin(), seen.end(), [](const auto& s) {
        return s.first.startsWith("Extracting ") && s.first.endsWith("%");
    });
    ASSERT_NE(figure, seen.end());
    EXPECT_FALSE(figure->second) << "the page takes no clicks meanwhile";
}

// NEW is the player's own fresh start: drums and parts cleared, MANUAL again.
TEST_F(ImportPages, NewClearsTheTrialAndReturnsToManual) {
    midiimport::TConverting* page = OpenImport();
    dialogs.scriptFile(song);
    page->ExtractDrums->click();
    page->DontKillBtn->click();
    EXPECT_EQ(page->DontKillBtn->text(), "AUTO ");
    StepToFirstBar(page);
    page->TryMidiImport->click();
    ASSERT_NE(cell(1, kKick), 0);
    dialogs.clear();
    page->ABORTIMPORT->click();  // "Save Changes?" answered No
    EXPECT_EQ(cell(1, kKick), 0);
    EXPECT_EQ(state.drums.Modified, 0);
    EXPECT_EQ(link.engine.snapshot().running, 0);
    EXPECT_EQ(page->DontKillBtn->text(), "MANUAL");
    EXPECT_EQ(state.import.ManualImport, 1);
    EXPECT_TRUE(page->ExtractDrums->isEnabled());
    EXPECT_FALSE(page->WhichBar->isEnabled());
    EXPECT_EQ(page->WhichBar->text(), "Try Bar");
}

// A drum import's TRY clears drums and parts; the drum tab's NEW asks first, and a save then
// keeps the parts as they were.
TEST_F(ImportPages, TryOfDrumsOffersToSaveBeforeThePartsGo) {
    state.live.parts.PartSteps[2][17] = {67, 90, 300};
    pages.DrumTab->DrumPanel[3]->onClick();
    midiimport::TConverting* page = OpenImport();
    dialogs.scriptFile(song);
    page->ExtractDrums->click();
    const fs::path kept = folder.path() / "TarnFile" / "kept.QTR";
    dialogs.clear();
    dialogs.scriptAnswer(platform::BoxAnswer::Yes);
    dialogs.scriptFile(kept.string());
    page->TryMidiImport->click();
    EXPECT_EQ(BoxTexts(), Strings{"Save Changes?"});
    EXPECT_EQ(PartNotes(3), Strings{});
    bool tooLarge = false;
    const auto bytes = app::ReadWholeFile(kept, tooLarge);
    ASSERT_TRUE(bytes);
    const auto staged = app::ParseArrangement(*bytes, true);
    ASSERT_TRUE(staged);
    EXPECT_EQ(staged->PartSteps[2][17].note, 67);
}

}  // namespace
