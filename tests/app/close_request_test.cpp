// The desktop's close request (a title bar's close button, Alt+F4) on any page of the running
// program: it takes File | Exit's road, with its save question, and never leaves the program
// running with no page on the screen. The request reaches the real page as the window system
// delivers it, through the page's window.

#include <gtest/gtest.h>

#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <functional>

#include "accompaniment/pages/orchestra_form.h"
#include "app/pages/accompany_form.h"
#include "app/pages/program.h"
#include "app/pages/quintora_form.h"
#include "common/config_file.h"
#include "drums/pages/drum_tab.h"
#include "drums/pages/drums_grid.h"
#include "import/pages/converting.h"
#include "import/pages/inst_list_form.h"
#include "platform/testing/launch_log.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// The scripted dialogs, with something the user does while a box is up.
class DialogsWithUser final : public platform::DialogService {
  public:
    explicit DialogsWithUser(platform::testing::ScriptedDialogs& script) : script_(script) {}
    std::function<void(const std::string& text)> whileBoxUp;

    platform::BoxAnswer messageBox(const void* owner, const std::string& text, const std::string& caption,
                                   platform::BoxButtons buttons, platform::BoxIcon icon) override {
        if (whileBoxUp) whileBoxUp(text);
        return script_.messageBox(owner, text, caption, buttons, icon);
    }
    void beep(platform::BeepSound sound) override { script_.beep(sound); }
    std::optional<std::string> openFile(const platform::FileDialogRequest& r) override {
        return script_.openFile(r);
    }
    std::optional<std::string> saveFile(const platform::FileDialogRequest& r) override {
        return script_.saveFile(r);
    }

  private:
    platform::testing::ScriptedDialogs& script_;
};

// The close request a window manager sends to a page's window.
void closeFromDesktop(QWidget* page) {
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->isVisible()) << page->objectName().toStdString() << " is not on the screen";
    page->windowHandle()->close();
}

struct PageCase {
    const char* name;
    // Brings the page on the screen the way the user gets there.
    std::function<void(app::QuintoraProgram&)> go;
    std::function<QWidget*(app::Pages&)> page;
};

void toDrumTab(app::QuintoraProgram& p) {
    p.pages().QuintoraForm->DRUMTABClick();
}

const PageCase kPages[] = {
    {"SetupPage", [](app::QuintoraProgram&) {}, [](app::Pages& p) -> QWidget* { return p.QuintoraForm; }},
    {"DrumTab", toDrumTab, [](app::Pages& p) -> QWidget* { return p.DrumTab; }},
    {"DrumGrid",
     [](app::QuintoraProgram& p) {
         toDrumTab(p);
         p.pages().DrumTab->DRUMGRID1Click();
     },
     [](app::Pages& p) -> QWidget* { return p.DrumsGrid; }},
    {"AccompanimentPage", [](app::QuintoraProgram& p) { p.pages().QuintoraForm->ComboButtonClick(); },
     [](app::Pages& p) -> QWidget* { return p.OrchestraForm; }},
    {"PlayedNoteDisplay", [](app::QuintoraProgram& p) { p.pages().QuintoraForm->MidiInBtnClick(); },
     [](app::Pages& p) -> QWidget* { return p.AccompanyForm; }},
    {"ImportPage",
     [](app::QuintoraProgram& p) {
         toDrumTab(p);
         p.pages().DrumTab->MidiExtractClick();
     },
     [](app::Pages& p) -> QWidget* { return p.Converting; }},
    {"InstrumentChooser",
     [](app::QuintoraProgram& p) {
         toDrumTab(p);
         p.pages().DrumTab->MidiExtractClick();
         p.pages().InstListForm->show();  // as an instrument import shows it
     },
     [](app::Pages& p) -> QWidget* { return p.InstListForm; }},
};

// The pages on the screen.
std::vector<QWidget*> visiblePages(app::Pages& pages) {
    std::vector<QWidget*> out;
    for (const PageCase& c : kPages)
        if (QWidget* w = c.page(pages); w && w->isVisible()) out.push_back(w);
    return out;
}

class CloseRequest : public testsupport::ProgramFixture {
  protected:
    DialogsWithUser userDialogs{dialogs};
    platform::testing::LaunchLog launcher;
    std::unique_ptr<app::QuintoraProgram> program =
        std::make_unique<app::QuintoraProgram>(*qApp, link, userDialogs, launcher);
    bool exitedOnRequest = false;

    // Runs the program; `during` runs once the loop is going. Should the program still run
    // afterwards, File | Exit ends it (answered No), so that a failure cannot hang the test.
    int run(const std::function<void(app::QuintoraProgram&)>& during) {
        return program->Run([&](app::QuintoraProgram& p) {
            QTimer::singleShot(0, [&p, during] {
                during(p);
                if (p.state().shell.Exiting == 0) {
                    ADD_FAILURE() << "the program runs on; File | Exit ends it";
                    p.pages().QuintoraForm->ExitItem->trigger();
                }
            });
        });
    }
    // An unsaved edit, made on the drum tab.
    static void edit(app::QuintoraProgram& p) {
        p.pages().DrumTab->DrumPanel[1]->onClick();
        ASSERT_EQ(p.state().drums.Modified, 1);
    }
    Strings asked() const {
        Strings out;
        for (const auto& e : dialogs.log())
            out.push_back(e.kind == platform::testing::ScriptedDialogs::Entry::Kind::Save ? "save dialog"
                                                                                          : e.text);
        return out;
    }
    // What File | Exit leaves when it has run to its end.
    void expectEndedAsExitEnds(int rc) {
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(program->state().shell.Exiting, 1);
        const Strings j = link.journal();
        ASSERT_GE(j.size(), 2u);
        EXPECT_EQ(j[j.size() - 2], "short 31 127 0") << "the closing sweep's last note";
        EXPECT_EQ(j.back(), "cmd 247");
        EXPECT_TRUE(fs::exists(folder.path() / common::kConfigFileName)) << "the configuration written";
        EXPECT_TRUE(program->pages().DrumTab.isNull()) << "the pages released";
        EXPECT_TRUE(program->pages().QuintoraForm.isNull());
    }
};

class CloseRequestOnPage : public CloseRequest, public ::testing::WithParamInterface<PageCase> {};

TEST_P(CloseRequestOnPage, AsksToSaveAnUnsavedEditAndEndsTheProgramAsExitDoes) {
    const void* setupPage = nullptr;
    const int rc = run([&](app::QuintoraProgram& p) {
        edit(p);
        GetParam().go(p);
        setupPage = p.pages().QuintoraForm.data();
        link.clearJournal();
        dialogs.clear();
        closeFromDesktop(GetParam().page(p.pages()));
    });
    const auto boxes = dialogs.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Save Changes?");
    EXPECT_EQ(boxes[0].caption, "Confimation");
    EXPECT_EQ(boxes[0].owner, setupPage);
    EXPECT_EQ(program->state().drums.Modified, 1) << "answered No: nothing saved";
    expectEndedAsExitEnds(rc);
}

// Yes saves and ends; Yes with the save dialog cancelled keeps the program as it was, on the
// page the request came to, from where a second request may let the edit go.
TEST_F(CloseRequest, YesSavesAndEndsAndASaveThatDidNotHappenKeepsThePage) {
    const fs::path song = folder.path() / "TarnFile" / "kept.QTR";
    bool keptOnScreen = false;
    const int rc = run([&](app::QuintoraProgram& p) {
        edit(p);
        toDrumTab(p);
        dialogs.scriptAnswer(platform::BoxAnswer::Yes);  // and the save dialog is cancelled
        closeFromDesktop(p.pages().DrumTab);
        keptOnScreen = p.state().shell.Exiting == 0 && p.pages().DrumTab && p.pages().DrumTab->isVisible() &&
                       p.state().drums.Modified == 1;
        dialogs.scriptAnswer(platform::BoxAnswer::Yes);
        dialogs.scriptFile(song.string());
        closeFromDesktop(p.pages().DrumTab);
    });
    EXPECT_TRUE(keptOnScreen) << "the drum tab stays, with the edit";
    EXPECT_EQ(asked(), (Strings{"Save Changes?", "save dialog", "Save Changes?", "save dialog"}));
    EXPECT_TRUE(fs::exists(song)) << "saved before the program ended";
    EXPECT_EQ(program->state().drums.Modified, 0);
    expectEndedAsExitEnds(rc);
}

// A request that comes while exit already runs (File | Exit, here while its question is up) is
// refused: no second exit starts and no page hides, so that a save that then does not happen
// leaves the program on the screen, where a later request may end it.
TEST_P(CloseRequestOnPage, ARequestWhileExitRunsNeitherExitsAgainNorHidesAPage) {
    bool hidNothing = false, onScreen = false;
    const int rc = run([&](app::QuintoraProgram& p) {
        edit(p);
        GetParam().go(p);
        QWidget* page = GetParam().page(p.pages());
        int questions = 0;
        userDialogs.whileBoxUp = [&](const std::string& text) {
            if (text != "Save Changes?" || questions++ > 0) return;
            const std::vector<QWidget*> shown = visiblePages(p.pages());
            page->windowHandle()->close();
            hidNothing = visiblePages(p.pages()) == shown;
        };
        dialogs.clear();
        dialogs.scriptAnswer(platform::BoxAnswer::Yes);  // and the save dialog is cancelled
        p.pages().QuintoraForm->ExitItem->trigger();     // Alt+X works on every page
        onScreen = p.state().shell.Exiting == 0 && !visiblePages(p.pages()).empty();
        // Answered No this time. (The exit's stop closes the played-note display, as PANIC does.)
        closeFromDesktop(page->isVisible() ? page : p.pages().QuintoraForm.data());
    });
    EXPECT_TRUE(hidNothing) << "the request inside exit hid a page";
    EXPECT_TRUE(onScreen) << "the program stayed on the screen";
    EXPECT_EQ(asked(), (Strings{"Save Changes?", "save dialog", "Save Changes?"}))
        << "one question per exit: the request inside the first started none";
    expectEndedAsExitEnds(rc);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, CloseRequestOnPage, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<PageCase>& param) { return param.param.name; });

}  // namespace
