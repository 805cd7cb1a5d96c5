// The setup page: its device lists over fake devices, the channel box, the output test,
// PANIC, the page switches and help, with scripted dialogs and the launch log.

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QTest>
#include <cstring>
#include <fstream>
#include <iterator>

#include "common/config_file.h"
#include "common/help.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Entry = platform::testing::ScriptedDialogs::Entry;
using Strings = std::vector<std::string>;

// Counts the complete rewrites of one file in a folder (each lands by a rename).
class RewriteCounter {
  public:
    RewriteCounter(const fs::path& folder, std::string name) : name_(std::move(name)) {
        fd_ = inotify_init1(IN_NONBLOCK);
        // Creations are watched too: they part the renames, which would otherwise merge.
        if (fd_ >= 0) inotify_add_watch(fd_, folder.c_str(), IN_CREATE | IN_MOVED_TO);
    }
    ~RewriteCounter() {
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    int count() {
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                if ((e->mask & IN_MOVED_TO) && e->len && name_ == e->name) ++count_;
                p += sizeof(inotify_event) + e->len;
            }
        return count_;
    }

  private:
    int fd_ = -1;
    int count_ = 0;
    std::string name_;
};

class SetupPage : public testsupport::PagesRig {
  protected:
    SetupPage() {
        createPages();
        form = pages.QuintoraForm;
        form->show();
        link.clearJournal();
        dialogs.clear();
        launcher.opened.clear();  // the first run's introduction
    }
    app::TQuintoraForm* form = nullptr;

    // The devices as stored and in memory (the page writes one and reads the other).
    void storeDevices(std::int8_t out, std::uint8_t in) {
        state.Engine.MidiOutDevice = out;
        state.Engine.MidiInDevice = in;
        std::ofstream f(folder.path() / common::kConfigFileName, std::ios::binary);
        const char b[3] = {static_cast<char>(out), static_cast<char>(in), 3};
        f.write(b, 3);
    }
    // Keys reach shortcuts only while one of the program's windows is the active one.
    void activate(QWidget* w) {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    }
    std::vector<unsigned char> configBytes() {
        std::ifstream in(folder.path() / common::kConfigFileName, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    Strings items(QComboBox* box) {
        Strings out;
        for (int i = 0; i < box->count(); ++i) out.push_back(box->itemText(i).toStdString());
        return out;
    }
    // A user's pick in a box: the index, then the box's signal for a user's choice.
    void pick(QComboBox* box, int item) {
        box->setCurrentIndex(item);
        emit box->activated(item);
    }
    bool inputChoiceShown() { return form->MidiInBox->isVisible() && form->OKInBtn->isVisible(); }
    bool titlesShown() { return form->MidiLabel1->isVisible() && form->MidiLabel2->isVisible(); }
    std::string helpPage(const char* topic) { return (folder.path() / "help" / topic).string(); }
};

// No input ports; no output ports and not even the built-in synth's description.
TEST_F(SetupPage, NoDevicesOfAKindGivesItsBoxAndLeavesThePageIdleWithThePlayer) {
    platform.inputBackend->setPorts({});
    platform.outputBackend->setPorts({});
    platform.outputBackend->failCaps(-1, platform::MMSYSERR_NODRIVER);
    struct Case {
        void (app::TQuintoraForm::*click)();
        const char* text;
        const char* caption;
    };
    for (const Case& c :
         {Case{&app::TQuintoraForm::MidiInBtnClick, "No MIDI input devices!", "NO MIDI IN FOUND"},
          Case{&app::TQuintoraForm::MidiOutBtnClick, "No MIDI output devices!", "NO MIDI OUT FOUND"}}) {
        dialogs.clear();
        (form->*c.click)();
        // The synth's failed description has its error box before.
        const auto& log = dialogs.log();
        ASSERT_GE(log.size(), 2u) << c.text;
        const Entry& beep = log[log.size() - 2];
        const Entry& box = log.back();
        EXPECT_EQ(beep.kind, Entry::Kind::Beep);
        EXPECT_EQ(beep.sound, platform::BeepSound::Stop);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.icon, platform::BoxIcon::Exclamation);
        EXPECT_EQ(box.buttons, platform::BoxButtons::Ok);
        EXPECT_EQ(dialogs.boxes().size(), c.text[8] == 'o' ? 2u : 1u) << c.text;
        EXPECT_TRUE(titlesShown());
        EXPECT_TRUE(pages.MidiForm->isVisible()) << "the idle page shows the player";
        EXPECT_FALSE(form->MidiInBox->isVisible());
        EXPECT_FALSE(form->MidiOutBox->isVisible());
        EXPECT_FALSE(form->ChannelBox->isVisible());
    }
    EXPECT_EQ(form->MidiInBox->count(), 0);
    EXPECT_EQ(form->MidiOutBox->count(), 0);
}

// A machine without MIDI ports still has the built-in synth: it is listed and chosen, the
// channel box and the test come up, and the test chord sounds through it.
TEST_F(SetupPage, WithoutPortsTheBuiltInSynthIsTheOutputDeviceAndItsTestPlaysThroughIt) {
    platform.outputBackend->setPorts({});
    storeDevices(-1, 0);
    form->MidiOutBtnClick();
    EXPECT_TRUE(dialogs.boxes().empty()) << (dialogs.boxes().empty() ? "" : dialogs.boxes()[0].text);
    EXPECT_EQ(items(form->MidiOutBox), (Strings{"Built-in Synth"}));
    EXPECT_EQ(form->MidiOutBox->currentIndex(), 0);
    for (QWidget* w : std::initializer_list<QWidget*>{form->MidiOutBox, form->ChannelBox, form->OutTestBtn,
                                                      form->OKOutBtn, form->Label2})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();

    platform.output->clear();
    form->OutTestBtn->click();
    int synthNotes = 0;
    for (const auto& e : platform.output->events())
        if (e.kind == platform::testing::OutputEvent::Kind::Short && e.device == -1 &&
            (e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] > 0)
            ++synthNotes;
    EXPECT_GE(synthNotes, 3) << "the test chord reached the synth";

    form->OKOutBtn->click();
    EXPECT_TRUE(titlesShown());
    EXPECT_TRUE(pages.MidiForm->isVisible());
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 0, 3}));
}

TEST_F(SetupPage, TheInputListMapsItemsToDevicesPastAFailingOne) {
    platform.inputBackend->setPorts({"Keys 0", "Keys 1", "Keys 2"});
    platform.inputBackend->failCaps(1, platform::MMSYSERR_NODRIVER);
    storeDevices(-1, 2);
    form->MidiInBtnClick();

    EXPECT_EQ(items(form->MidiInBox), (Strings{"Keys 0", "Keys 2"}));
    EXPECT_EQ(form->MidiInBox->currentIndex(), 1) << "device 2 is the second item";
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, platform::midiErrorText(platform::MMSYSERR_NODRIVER));
    EXPECT_EQ(boxes[0].caption, "");
    EXPECT_EQ(boxes[0].icon, platform::BoxIcon::None);
    EXPECT_TRUE(inputChoiceShown());
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_FALSE(titlesShown());
    EXPECT_TRUE(pages.AccompanyForm->isVisible()) << "the note display shows arriving notes";
    EXPECT_FALSE(pages.MidiForm->isVisible());
    // The input was reopened on the stored device, after the output's open and the panic.
    EXPECT_EQ(link.journal("in: open"), (Strings{"in: open 2"}));

    link.clearJournal();
    pick(form->MidiInBox, 0);
    EXPECT_EQ(state.Engine.MidiInDevice, 0);
    EXPECT_EQ(link.journal(), (Strings{"params"}));
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 0, 3}));

    form->OKInBtnClick();
    EXPECT_FALSE(inputChoiceShown());
    EXPECT_TRUE(titlesShown());
    EXPECT_TRUE(pages.MidiForm->isVisible());
    EXPECT_FALSE(pages.AccompanyForm->isVisible());
}

TEST_F(SetupPage, AnInputDeviceBeyondTheListShowsNoSelection) {
    for (const Strings& ports : {Strings{"Keys 0"}, Strings{"Keys 0", "Keys 1", "Keys 2"}}) {
        platform.inputBackend->setPorts(ports);
        storeDevices(-1, 5);
        link.clearJournal();
        form->MidiInBtnClick();
        EXPECT_EQ(form->MidiInBox->count(), static_cast<int>(ports.size()));
        EXPECT_EQ(form->MidiInBox->currentIndex(), -1);
        EXPECT_EQ(state.Engine.MidiInDevice, 5);
        EXPECT_TRUE(link.journal("params").empty()) << "nothing chosen, nothing sent";
        EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 5, 3}));
    }
}

TEST_F(SetupPage, OneOutputDeviceListsTheSynthAndThePort) {
    platform.outputBackend->setPorts({"Port 0"});
    storeDevices(-1, 0);
    state.Engine.Channel = 6;
    form->MidiOutBtnClick();

    EXPECT_EQ(items(form->MidiOutBox), (Strings{"Built-in Synth", "Port 0"}));
    EXPECT_EQ(form->MidiOutBox->currentIndex(), 0);
    // The panic, the four messages, then the box's own change for the selected item.
    EXPECT_EQ(link.journal(), (Strings{"panic", "short 121 0 0", "short 255 0 0", "short 127 0 0",
                                       "short 125 0 0", "params"}));
    EXPECT_EQ(link.params.back().MidiOutDevice, -1);
    EXPECT_EQ(form->ChannelBox->currentIndex(), 0);
    EXPECT_EQ(state.Engine.Channel, 6) << "the box shows channel 1, the engine keeps its channel";
    for (QWidget* w : std::initializer_list<QWidget*>{form->MidiOutBox, form->ChannelBox, form->OutTestBtn,
                                                      form->OKOutBtn, form->Label2})
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
    EXPECT_FALSE(titlesShown());

    pick(form->MidiOutBox, 1);
    EXPECT_EQ(state.Engine.MidiOutDevice, 0);
    EXPECT_EQ(link.params.back().MidiOutDevice, 0);
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0, 0, 3}));
}

TEST_F(SetupPage, OutputItemsKeepTheirDevicesWhenTheSynthOrAPortFails) {
    platform.outputBackend->setPorts({"Port 0", "Port 1", "Port 2"});
    platform.outputBackend->failCaps(0, platform::MMSYSERR_NODRIVER);
    storeDevices(2, 0);
    form->MidiOutBtnClick();
    EXPECT_EQ(items(form->MidiOutBox), (Strings{"Built-in Synth", "Port 1", "Port 2"}));
    EXPECT_EQ(form->MidiOutBox->currentIndex(), 2);
    pick(form->MidiOutBox, 1);
    EXPECT_EQ(state.Engine.MidiOutDevice, 1);

    // Without the synth's item the stored synth is no item: nothing chosen, nothing written.
    platform.outputBackend->failCaps(0, platform::MMSYSERR_NOERROR);
    platform.outputBackend->failCaps(-1, platform::MMSYSERR_NODRIVER);
    storeDevices(-1, 0);
    link.clearJournal();
    dialogs.clear();
    form->MidiOutBtnClick();
    EXPECT_EQ(items(form->MidiOutBox), (Strings{"Port 0", "Port 1", "Port 2"}));
    EXPECT_EQ(form->MidiOutBox->currentIndex(), -1);
    EXPECT_EQ(state.Engine.MidiOutDevice, -1);
    EXPECT_TRUE(link.journal("params").empty());
    EXPECT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(configBytes(), (std::vector<unsigned char>{0xFF, 0, 3}));
}

TEST_F(SetupPage, TheChannelBoxSendsTheChannelAndStoresNothing) {
    form->MidiOutBtnClick();
    ASSERT_EQ(form->ChannelBox->count(), 16);
    EXPECT_EQ(form->ChannelBox->itemText(0), "Channel: 1");
    EXPECT_EQ(form->ChannelBox->itemText(15), "Channel: 16");
    const auto before = configBytes();
    link.clearJournal();
    pick(form->ChannelBox, 15);
    EXPECT_EQ(state.Engine.Channel, 15);
    EXPECT_EQ(link.journal(), (Strings{"params"}));
    EXPECT_EQ(link.params.back().Channel, 15);
    EXPECT_EQ(configBytes(), before);

    form->MidiOutBtnClick();
    EXPECT_EQ(form->ChannelBox->currentIndex(), 0);
    EXPECT_EQ(state.Engine.Channel, 15);
}

TEST_F(SetupPage, TheOutputTestWaitsASecondBeforeItsPanic) {
    form->MidiOutBtnClick();
    link.clearJournal();
    platform.output->clear();
    const double start = platform.clock.ms();
    form->OutTestBtnClick();
    EXPECT_EQ(link.journal(), (Strings{"outtest", "panic"}));
    EXPECT_GE(platform.clock.ms() - start, 1000.0);
    // The test chord's last note-on, then the panic's first message a second later.
    const auto events = platform.output->events();
    double lastNote = -1, firstAfter = -1;
    for (const auto& e : events) {
        if (e.kind != platform::testing::OutputEvent::Kind::Short) continue;
        if ((e.bytes[0] & 0xF0) == 0x90 && e.bytes[2] == 100)
            lastNote = e.ms;
        else if (lastNote >= 0 && firstAfter < 0)
            firstAfter = e.ms;
    }
    ASSERT_GE(lastNote, 0);
    ASSERT_GE(firstAfter, 0);
    EXPECT_GE(firstAfter - lastNote, 1000.0);
}

TEST_F(SetupPage, PanicWithTheInputListOpenClosesItAndPanicsOnce) {
    RewriteCounter writes(folder.path(), common::kConfigFileName);
    ASSERT_TRUE(writes.ok());
    form->MidiInBtnClick();
    ASSERT_TRUE(inputChoiceShown());
    const int afterList = writes.count();
    activate(form);
    link.clearJournal();

    QTest::keyClick(form, Qt::Key_Space);
    EXPECT_EQ(link.journal(), (Strings{"panic"}));
    EXPECT_EQ(writes.count() - afterList, 4) << "both OKs before the panic and both again on the setup page";
    EXPECT_FALSE(inputChoiceShown());
    EXPECT_TRUE(titlesShown());
    EXPECT_TRUE(pages.MidiForm->isVisible());
    EXPECT_FALSE(pages.AccompanyForm->isVisible());

    state.shell.SetupPageActive = 0;
    const int before = writes.count();
    form->PanicBtnClick();
    EXPECT_EQ(writes.count() - before, 2);
}

TEST_F(SetupPage, PageButtonsLeaveForTheDrumTabAndTheAccompaniment) {
    form->MidiOutBtnClick();
    link.clearJournal();
    form->ComboButtonClick();
    EXPECT_EQ(state.shell.PageCode, "CO");
    EXPECT_EQ(state.shell.SetupPageActive, 0);
    EXPECT_TRUE(pages.OrchestraForm->isVisible());
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(pages.MidiForm->isVisible());
    EXPECT_FALSE(form->MidiOutBox->isVisible()) << "the choice was closed first";
    EXPECT_EQ(link.journal("in: "), (Strings{"in: stop 0", "in: close 0", "in: open 0", "in: reset 0",
                                             "in: start 0", "in: reset 0", "in: start 0"}));

    pages.OrchestraForm->hide();
    form->show();
    form->DRUMTABClick();
    EXPECT_EQ(state.shell.PageCode, "DT");
    EXPECT_TRUE(pages.DrumTab->isVisible());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SetupPage, F1OpensTheTopicOfThePageCodeAndF2TheIndex) {
    const std::pair<const char*, const char*> cases[] = {
        {"ST", "Setup.htm"}, {"DT", "DrumTab.htm"}, {"DG", "DrumTab.htm"},
        {"CO", "Combo.htm"}, {"HH", "Intro.htm"},   {"XY", "Index.htm"},
    };
    for (auto [code, topic] : cases) {
        state.shell.PageCode = code;
        launcher.opened.clear();
        form->Search->trigger();
        EXPECT_EQ(launcher.opened, (Strings{helpPage(topic)})) << code;
        launcher.opened.clear();
        form->Topics1->trigger();
        EXPECT_EQ(launcher.opened, (Strings{helpPage("Index.htm")})) << code;
    }
}

TEST_F(SetupPage, F1AndF2WithoutABrowserNameThePageInABox) {
    launcher.accepts = false;
    state.shell.PageCode = "CO";
    for (auto [help, topic] : {std::pair{form->Search, "Combo.htm"}, {form->Topics1, "Index.htm"}}) {
        dialogs.clear();
        help->trigger();
        const auto boxes = dialogs.boxes();
        ASSERT_EQ(boxes.size(), 1u) << topic;
        EXPECT_EQ(boxes[0].text, common::HelpNotShownText(helpPage(topic)));
    }
}

TEST_F(SetupPage, HelpOnTheSetupPageBringsThePlayerBack) {
    for (auto [code, back] : {std::pair{"ST", true}, {"DT", false}}) {
        for (QAction* help : {form->Search, form->Topics1}) {
            state.shell.PageCode = code;
            pages.MidiForm->hide();
            help->trigger();
            EXPECT_EQ(pages.MidiForm->isVisible(), back) << code;
            EXPECT_EQ(fs::current_path(), back ? folder.path() / "MidiFile" : folder.path()) << code;
        }
    }
}

TEST_F(SetupPage, TheMenuKeysWorkOnTheOtherPages) {
    form->DRUMTABClick();
    ASSERT_TRUE(pages.DrumTab->isVisible());
    activate(pages.DrumTab);
    QTest::keyClick(pages.DrumTab, Qt::Key_F1);
    EXPECT_EQ(launcher.opened, (Strings{helpPage("DrumTab.htm")}));
    link.clearJournal();
    QTest::keyClick(pages.DrumTab, Qt::Key_Space);
    EXPECT_EQ(link.journal("panic"), (Strings{"panic"}));
}

TEST_F(SetupPage, SpaceIsPanicEvenOnAFocusedButton) {
    activate(form);
    form->MidiInBtn->setFocus();
    link.clearJournal();
    QTest::keyClick(form->MidiInBtn, Qt::Key_Space);
    EXPECT_EQ(link.journal(), (Strings{"panic"}));
    EXPECT_FALSE(inputChoiceShown()) << "MIDI IN did not run";
}

TEST_F(SetupPage, ComponentsCarryTheirCaptionsHintsAndKeys) {
    struct Control {
        QWidget* widget;
        const char* caption;
        const char* hint;
        bool visible;
    };
    const Control controls[] = {
        {form->MidiLabel1, " MIDI ", "", true},
        {form->MidiLabel2, " TARN ", "", true},
        {form->Label1, "Select MIDI IN DEVICE ", "", false},
        {form->Label2, "SELECT MIDI OUT DEVICE ", "", false},
        {form->MidiInBox, nullptr, "MIDI INPUT", false},
        {form->MidiOutBox, nullptr, "MIDI OUTPUT", false},
        {form->ChannelBox, nullptr, "Choose a Channel", false},
        {form->OKInBtn, "OK ", "Click when done", false},
        {form->OKOutBtn, "OK ", "Click when device is selected", false},
        {form->OutTestBtn, "MIDI OUT TEST ", "Play a chord", false},
        {form->OpenBtn, nullptr, "Open", true},
        {form->SaveBtn, nullptr, "Save", true},
        {form->ExitBtn, nullptr, "Exit", true},
        {form->MidiInBtn, "MIDI IN ", "Setup MIDI INPUT DEVICE", true},
        {form->MidiOutBtn, "MIDI OUT ", "Setup MIDI OUTPUT DEVICE", true},
        {form->PanicBtn, "PANIC (SPACEBAR)", "All notes off", true},
        {form->DRUMTAB, "DRUM TABS ", "Drum Page", true},
        {form->ComboButton, "COMBO ", "Accompanyment Page", true},
    };
    for (const Control& c : controls) {
        const std::string name = c.widget->objectName().toStdString();
        if (c.caption) {
            const QString text = qobject_cast<QLabel*>(c.widget)
                                     ? qobject_cast<QLabel*>(c.widget)->text()
                                     : qobject_cast<QAbstractButton*>(c.widget)->text();
            EXPECT_EQ(text.toStdString(), c.caption) << name;
        }
        EXPECT_EQ(c.widget->toolTip().toStdString(), c.hint) << name;
        EXPECT_EQ(c.widget->isVisible(), c.visible) << name;
    }
    const std::tuple<QAction*, const char*, QKeySequence> items[] = {
        {form->ExitItem, "E&xit", QKeySequence(Qt::ALT | Qt::Key_X)},
        {form->Topics1, "&Index", QKeySequence(Qt::Key_F2)},
        {form->Search, "&Help", QKeySequence(Qt::Key_F1)},
        {form->About1, "&About...", QKeySequence()},
        {form->SetupMidiIn, "&Setup Midi Input", QKeySequence()},
        {form->SetupMidiOut, "&Setup Midi Output", QKeySequence()},
        {form->PANIC1, "&PANIC", QKeySequence(Qt::Key_Space)},
    };
    for (auto [action, caption, key] : items) {
        EXPECT_EQ(action->text().toStdString(), caption);
        EXPECT_EQ(action->shortcut(), key) << caption;
    }
    EXPECT_EQ(form->ChannelBox->maxVisibleItems(), 3);
}

TEST_F(SetupPage, TheSetupMenuItemsOpenTheDeviceLists) {
    form->SetupMidiIn->trigger();
    EXPECT_TRUE(inputChoiceShown());
    form->SetupMidiOut->trigger();
    EXPECT_FALSE(inputChoiceShown()) << "the other device button closes the input choice";
    EXPECT_TRUE(form->MidiOutBox->isVisible());
}

}  // namespace
