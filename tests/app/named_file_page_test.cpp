// A name the user gives that is not a file (here a FIFO, which a plain open would wait on for
// good): every page that reads such a name refuses it at once with its own box, and the program
// goes on.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "tests/app/support/pages_rig.h"
#include "tests/support/fifo_watch.h"

namespace {

namespace fs = std::filesystem;

class NamedFiles : public testsupport::PagesRig {
  protected:
    fs::path in(const char* sub, const char* name) const { return folder.path() / sub / name; }
    // The last box shown, as "caption: text".
    std::string lastBox() const {
        const auto boxes = dialogs.boxes();
        return boxes.empty() ? "no box" : boxes.back().caption + ": " + boxes.back().text;
    }
};

TEST_F(NamedFiles, EveryReaderRefusesAFifoAtOnceWithItsOwnBox) {
    // Auto play lists the folder as the page is made: the file becomes a FIFO afterwards.
    std::ofstream(in("MidiFile", "listed.mid")) << "MThd";
    createPages();
    struct Case {
        const char* reader;
        fs::path fifo;
        bool chosenInDialog;
        std::function<void()> read;
        std::string box;
    };
    const fs::path song = in("TarnFile", "song.QTR");
    const fs::path tune = in("MidiFile", "tune.mid");
    const fs::path listed = in("MidiFile", "listed.mid");
    const fs::path jingle = folder.path() / "ORVX.mid";
    const std::string missing = "WARNING: " + song.string() + " does not exist!";
    const Case cases[] = {
        {"the setup page's Open", song, true, [&] { pages.QuintoraForm->OpenItemClick(); }, missing},
        {"the drum tab's OPEN", song, true, [&] { pages.DrumTab->OpenBtnClick(); }, missing},
        {"the accompaniment page's Open", song, true, [&] { pages.OrchestraForm->OpenBtnClick(); }, missing},
        {"MERGE DRUMS", song, true, [&] { pages.OrchestraForm->MergeDrumsButtonClick(); }, missing},
        {"the player's chosen file", tune, true, [&] { pages.MidiForm->BitBtn3Click(); },
         "QUINTORA2: " + tune.string() + ": not a regular file"},
        {"auto play", listed, false, [&] { pages.MidiForm->BitBtn1Click(); },
         "QUINTORA2: listed.mid: not a regular file"},
        {"the About jingle", jingle, false, [&] { pages.MidiForm->PlayJingle(3); },
         "QUINTORA2: ORVX.mid: not a regular file"},
        {"the import", tune, true, [&] { pages.Converting->ExtractDrumsClick(); },
         "ERROR: FILE ERROR - INPUT:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reader);
        dialogs.clear();
        testsupport::FifoWatch fifo(c.fifo);
        if (c.chosenInDialog) dialogs.scriptFile(fifo.path().string());
        c.read();
        EXPECT_FALSE(fifo.held()) << "the reader waited on the FIFO";
        EXPECT_EQ(lastBox(), c.box);
    }
    EXPECT_EQ(state.drums.Modified, 0) << "nothing was read";
}

// The start jingle plays as the player page is made, before any page is on the screen.
TEST_F(NamedFiles, AStartJingleThatIsNotAFileDoesNotHoldTheStart) {
    testsupport::FifoWatch fifo(folder.path() / "Rizori.mid");
    createPages();
    EXPECT_FALSE(fifo.held()) << "the start waited on the FIFO";
    EXPECT_EQ(lastBox(), "QUINTORA2: Rizori.mid: not a regular file");
    EXPECT_TRUE(pages.QuintoraForm->isVisible()) << "the program came up all the same";
}

}  // namespace
