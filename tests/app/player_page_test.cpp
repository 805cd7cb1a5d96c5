// The MIDI file player page: its controls, the list of the MidiFile folder, the start jingle of
// its creation, the timers following the handlers, a damaged file's box, and leaving the page.

#include <gtest/gtest.h>

#include <QTest>
#include <fstream>

#include "midifile/MidiWrite.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

void WriteNote(const fs::path& path, int key) {
    midifile::MidiWrite w(path.string().c_str());
    w.WriteHeader(0, 1, 480);
    w.StartTrack();
    w.WriteNoteOn(0, key, 100);
    w.AddDelta(48);  // 50 ms at the default tempo
    w.WriteNoteOff(0, key, 0);
    ASSERT_TRUE(w.Close());
}

class PlayerPage : public testsupport::PagesRig {
  protected:
    app::TMidiForm* page() { return pages.MidiForm; }
    Strings listed() {
        Strings out;
        for (int i = 0; i < page()->MidiFileListBox->count(); ++i)
            out.push_back(page()->MidiFileListBox->item(i)->text().toStdString());
        return out;
    }
};

TEST_F(PlayerPage, ControlsCaptionsAndHints) {
    createPages();
    app::TMidiForm* p = page();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->windowTitle(), "MIDI PLAYER");
    EXPECT_EQ(p->size(), QSize(378, 419));
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->Panel1->text(), "Single Play                   ");
    EXPECT_EQ(p->BitBtn3->toolTip(), "Choose MIDI File");
    EXPECT_EQ(p->MediaPlayer1->toolTip(), "Start Selected Midi File");
    EXPECT_FALSE(p->MediaPlayer1->isEnabled()) << "until a file is chosen or auto play starts";
    EXPECT_EQ(p->ProgressBar1->maximum(), 100000);
    EXPECT_EQ(p->BitBtn1->text(), "Auto Midi Play ");
    EXPECT_EQ(p->BitBtn1->toolTip(), "Start Auto Play");
    EXPECT_EQ(p->BitBtn2->text(), "STOP Midi Play ");
    EXPECT_EQ(p->BitBtn2->toolTip(), "Stop All Midi Play");
    EXPECT_EQ(p->MidiFileListBox->toolTip(), "Midi Files");
    EXPECT_TRUE(p->Timer1->isActive());
    EXPECT_EQ(p->Timer1->interval(), 1000);
    EXPECT_TRUE(p->Timer2->isActive());
    EXPECT_EQ(p->Timer2->interval(), 5000);
    EXPECT_EQ(state.shell.SetupPageActive, 1);
}

TEST_F(PlayerPage, CreationPlaysTheStartJingleFromTheProgramFolderAndListsTheMidiFiles) {
    WriteNote(folder.path() / "Rizori.mid", 79);
    for (const char* name : {"b.mid", "A.MID", "readme.txt"})
        std::ofstream(folder.path() / "MidiFile" / name) << "x";
    createPages();
    bool heard = false;
    for (const auto& m : platform.output->messages())
        heard = heard || m == std::vector<std::uint8_t>{0x90, 79, 100};
    EXPECT_TRUE(heard) << "the jingle played before the page was done";
    EXPECT_FALSE(page()->ops().media().IsPlaying());
    EXPECT_EQ(listed(), (Strings{"A.MID", "b.mid"}));
}

TEST_F(PlayerPage, ADamagedFileGivesTheDeviceErrorBoxAndTheNextPollEndsAutoPlay) {
    std::ofstream(folder.path() / "MidiFile" / "broken.mid") << "MThd";
    createPages();
    dialogs.clear();
    page()->BitBtn1->click();
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("broken.mid"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::Stop);
    EXPECT_EQ(page()->windowTitle(), "MIDI PLAYER - broken.mid");
    EXPECT_TRUE(page()->Timer2->isActive()) << "running from creation";
    page()->Timer2Timer();  // the poll: the list is done
    EXPECT_FALSE(page()->Timer1->isActive());
    EXPECT_FALSE(page()->Timer2->isActive());
    EXPECT_EQ(dialogs.boxes().size(), 1u);
}

TEST_F(PlayerPage, TheTimersFollowTheHandlersAndLeavingThePageStopsThem) {
    WriteNote(folder.path() / "MidiFile" / "tune.mid", 60);
    createPages();
    page()->BitBtn2->click();
    EXPECT_FALSE(page()->Timer1->isActive() || page()->Timer2->isActive());
    page()->BitBtn1->click();
    EXPECT_TRUE(page()->Timer1->isActive() && page()->Timer2->isActive());
    EXPECT_TRUE(page()->MediaPlayer1->isEnabled());
    EXPECT_EQ(page()->ProgressBar1->maximum(), 50);

    pages.QuintoraForm->DRUMTABClick();
    EXPECT_FALSE(page()->isVisible());
    EXPECT_FALSE(page()->Timer1->isActive() || page()->Timer2->isActive());
    EXPECT_FALSE(page()->ops().media().IsOpen());
}

}  // namespace
