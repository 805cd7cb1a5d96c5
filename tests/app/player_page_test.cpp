// The MIDI file player page: its controls, the list of the MidiFile folder, the start jingle of
// its creation, the timers following the handlers, a damaged file's box, and leaving the page.

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QTest>
#include <QTimer>
#include <fstream>

#include "midifile/MidiWrite.h"
#include "platform/qt/qt_message_pump.h"
#include "platform/services.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// One note; 48 ticks are 50 ms at the default tempo.
void WriteNote(const fs::path& path, int key, std::uint32_t ticks = 48) {
    midifile::MidiWrite w(path.string().c_str());
    w.WriteHeader(0, 1, 480);
    w.StartTrack();
    w.WriteNoteOn(0, key, 100);
    w.AddDelta(ticks);
    w.WriteNoteOff(0, key, 0);
    ASSERT_TRUE(w.Close());
}

// A window that notes whether the jingle was playing when it was painted, took a key, or was
// asked to close, and a timer and a window message that note the same.
class HeldWatcher final : public QWidget, public platform::WindowProc {
  public:
    explicit HeldWatcher(const player::MidiFilePlayer& media) : media_(media) {
        resize(120, 80);
        timer.setInterval(5);
        connect(&timer, &QTimer::timeout, this, [this] { note(timerRan); });
    }
    struct Seen {
        int whilePlaying = 0, after = 0;
    };
    Seen paints, closes, timerRan, messages;
    QTimer timer;
    void windowMessage(std::uint32_t, std::uintptr_t, std::intptr_t) override { note(messages); }

  protected:
    void paintEvent(QPaintEvent*) override { note(paints); }
    void closeEvent(QCloseEvent* e) override {
        note(closes);
        e->ignore();
    }

  private:
    void note(Seen& s) { ++(media_.IsPlaying() ? s.whilePlaying : s.after); }
    const player::MidiFilePlayer& media_;
};

class PlayerPage : public testsupport::PagesRig {
  protected:
    player::TMidiForm* page() { return pages.MidiForm; }
    Strings listed() {
        Strings out;
        for (int i = 0; i < page()->MidiFileListBox->count(); ++i)
            out.push_back(page()->MidiFileListBox->item(i)->text().toStdString());
        return out;
    }
};

TEST_F(PlayerPage, ControlsCaptionsAndHints) {
    createPages();
    player::TMidiForm* p = page();
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

// While a jingle plays, the windows repaint (a question just answered leaves no trace, a splash
// is seen), and nothing else runs: no close request, timer or window message (the keyboard's
// MIDI, the engine's steps) is handled until the jingle is over.
TEST_F(PlayerPage, WhileAJingleHoldsTheProgramWindowsRepaintAndNothingElseRuns) {
    createPages();
    WriteNote(folder.path() / "ORVX.mid", 72, 480);  // half a second
    platform::qt::QtMessagePump pump(platform.queue());
    HeldWatcher watcher(page()->ops().media());
    const HWND window = platform.queue().createWindow(&watcher);
    watcher.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&watcher));
    QCoreApplication::processEvents();

    watcher.update();
    watcher.timer.start();
    ASSERT_TRUE(platform.queue().post(window, platform::MM_MIM_DATA, 0, 0x403C90));
    QCoreApplication::postEvent(&watcher, new QCloseEvent());
    page()->PlayJingle(3);
    EXPECT_GT(watcher.paints.whilePlaying, 0) << "the screen repainted while the jingle played";
    EXPECT_EQ(watcher.closes.whilePlaying + watcher.closes.after, 0) << "the close request was refused";
    EXPECT_EQ(watcher.timerRan.whilePlaying, 0);
    EXPECT_EQ(watcher.messages.whilePlaying, 0);

    // Afterwards the loop handles what waited.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return watcher.timerRan.after > 0 && watcher.messages.after > 0; }, 60000));
    QCoreApplication::processEvents();
    EXPECT_EQ(watcher.messages.after, 1);
    EXPECT_TRUE(watcher.isVisible());
    platform.queue().destroyWindow(window);
}

}  // namespace
