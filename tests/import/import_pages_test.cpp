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
    // The piano's note of bar 2 that sounds into bar 3 is taken once. The page shows the piano
    // part, and its refresh gives the part's notes the duration bar's duration (5000 ms).
    EXPECT_EQ(PartNotes(1),
              (Strings{"1:60/80/5000", "33:60/80/5000", "49:62/81/5000", "65:64/82/5000", "97:64/82/5000"}));
    EXPECT_EQ(PartNotes(2), Strings{});
    EXPECT_EQ(PartNotes(3), Strings{});
    Strings bass;
    for (int b = 0; b < 8; ++b) bass.push_back(std::to_string(b * 32 + 1) + ":36/110/288");
    EXPECT_EQ(PartNotes(4), bass);
    EXPECT_EQ(DrumRow(kKick), std::string(256, '.')) << "an instrument import brings no drums";
    EXPECT_EQ(state.live.parts.CurrentPart, 1);
    EXPECT_EQ(state.live.parts.GridNotes[1], 60) << "the page shows the piano part";
    EXPECT_EQ(link.engine.snapshot().running, 1);
}

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
