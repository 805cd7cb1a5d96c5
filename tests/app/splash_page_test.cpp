// The start splash, the closing splash and the About box: where start-up and exit show and
// remove them against the engine and input steps, the About box's texts and its OK, and that no
// screen stays up when the jingles are not there.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "app/pages/program.h"
#include "app/pages/splash_screens.h"
#include "platform/testing/launch_log.h"
#include "tests/app/support/pages_rig.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// Shows, hides and ends of the program's own windows, each written after the engine and input
// entries that came before it. The closing sweep's 4096 messages stand as one "sweep".
class WindowLog final : public QObject {
  public:
    explicit WindowLog(testsupport::TestEngineLink& link) : link_(link) { qApp->installEventFilter(this); }
    ~WindowLog() override { qApp->removeEventFilter(this); }
    Strings entries() {
        flush();
        return out_;
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool show = event->type() == QEvent::Show;
        if ((show || event->type() == QEvent::Hide) && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            const std::string name = watched->objectName().toStdString();
            if (name == "MidiSplash" || name == "EndSplash" || name == "QuintoraForm" || name == "AboutBox") {
                write((show ? "show " : "hide ") + name);
                if (show && watched->property("logged").isNull()) {
                    watched->setProperty("logged", true);
                    connect(watched, &QObject::destroyed, this, [this, name] { write("gone " + name); });
                }
            }
        }
        return false;
    }

  private:
    void write(const std::string& entry) {
        flush();
        out_.push_back(entry);
    }
    void flush() {
        const Strings j = link_.journal();
        for (; seen_ < j.size(); ++seen_) {
            const bool isShort = j[seen_].rfind("short ", 0) == 0;
            if (isShort && ++shortRun_ == 17) out_.resize(out_.size() - 16), out_.push_back("sweep");
            if (!isShort) shortRun_ = 0;
            if (shortRun_ <= 16) out_.push_back(j[seen_]);
        }
    }
    testsupport::TestEngineLink& link_;
    std::size_t seen_ = 0;
    int shortRun_ = 0;
    Strings out_;
};

std::ptrdiff_t at(const Strings& log, const std::string& entry) {
    return std::find(log.begin(), log.end(), entry) - log.begin();
}
std::ptrdiff_t lastAt(const Strings& log, const std::string& entry) {
    const auto it = std::find(log.rbegin(), log.rend(), entry);
    return it == log.rend() ? -1 : log.rend() - it - 1;
}

class SplashProgram : public testsupport::ProgramFixture {
  protected:
    SplashProgram() {
        for (const char* jingle : {"Rizori.mid", "Varoza.mid", "ORVX.mid"})
            EXPECT_FALSE(fs::exists(folder.path() / jingle)) << "these tests run without the jingles";
    }
    platform::testing::LaunchLog launcher;
    std::unique_ptr<app::QuintoraProgram> program =
        std::make_unique<app::QuintoraProgram>(*qApp, link, dialogs, launcher);
    int run(const std::function<void(app::QuintoraProgram&)>& during) {
        return program->Run([&](app::QuintoraProgram& p) {
            QTimer::singleShot(0, [&p, during] {
                if (during) during(p);
                p.pages().QuintoraForm->ExitItem->trigger();
            });
        });
    }
};

TEST_F(SplashProgram, TheStartSplashStandsWhileThePagesAreMadeAndTheClosingSplashThroughTheExit) {
    WindowLog windows(link);
    program->state().drums.Modified = 1;
    Strings atReady;
    bool splashGone = false, clean = false;
    run([&](app::QuintoraProgram& p) {
        atReady = windows.entries();
        splashGone = p.pages().MidiSplash.isNull();
        clean = p.state().drums.Modified == 0;
    });
    const Strings all = windows.entries();
    ASSERT_FALSE(atReady.empty());
    EXPECT_TRUE(splashGone);
    EXPECT_TRUE(clean) << "the fresh program holds no unsaved change";

    // Start-up: shown after the engine's copy is cleared, before the orchestra page opens the
    // input; gone before the setup page shows, and the engine cell parked right after it.
    const auto shown = at(atReady, "show MidiSplash"), hidden = at(atReady, "hide MidiSplash");
    EXPECT_LT(at(atReady, "cmd 252"), shown);
    EXPECT_LT(shown, at(atReady, "in: open 0"));
    EXPECT_LT(lastAt(atReady, "cmd 245"), hidden) << "the pages' pans went out while it stood";
    ASSERT_LT(hidden + 2, static_cast<std::ptrdiff_t>(atReady.size()));
    EXPECT_EQ(atReady[static_cast<std::size_t>(hidden + 1)], "gone MidiSplash");
    EXPECT_EQ(atReady[static_cast<std::size_t>(hidden + 2)], "params") << "parked again as it goes";
    EXPECT_LT(hidden, at(atReady, "show QuintoraForm"));
    EXPECT_EQ(std::count(atReady.begin(), atReady.end(), "show MidiSplash"), 1);

    // Exit: the closing splash stands from before the engine's stop until after the sweep.
    const Strings exit(all.begin() + static_cast<std::ptrdiff_t>(atReady.size()), all.end());
    const auto endShown = at(exit, "show EndSplash");
    EXPECT_LT(endShown, lastAt(exit, "cmd 246"));
    EXPECT_LT(lastAt(exit, "cmd 246"), at(exit, "hide QuintoraForm"));
    EXPECT_LT(at(exit, "hide QuintoraForm"), at(exit, "sweep"));
    EXPECT_LT(at(exit, "sweep"), at(exit, "gone EndSplash"));
    EXPECT_LT(at(exit, "gone EndSplash"), static_cast<std::ptrdiff_t>(exit.size()));
    EXPECT_TRUE(program->pages().EndSplash.isNull());
}

// The closing splash is on the screen and painted, and stands long enough to be read after
// the pages have gone (exit's own steps after it take moments); the program's clock measures.
TEST_F(SplashProgram, TheClosingSplashIsPaintedAndStandsToBeSeen) {
    struct Watch final : QObject {
        explicit Watch(platform::testing::FakeClock& c) : clock(c) { qApp->installEventFilter(this); }
        ~Watch() override { qApp->removeEventFilter(this); }
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (watched->objectName() == "EndSplash") {
                if (event->type() == QEvent::Show && shownMs < 0) {
                    shownMs = clock.ms();
                    connect(watched, &QObject::destroyed, this, [this] { goneMs = clock.ms(); });
                }
                if (event->type() == QEvent::Paint && paintedMs < 0) paintedMs = clock.ms();
            }
            if (watched->objectName() == "QuintoraForm" && event->type() == QEvent::Hide)
                pagesGoneMs = clock.ms();
            return false;
        }
        platform::testing::FakeClock& clock;
        double shownMs = -1, paintedMs = -1, goneMs = -1, pagesGoneMs = -1;
    } watch(platform.clock);
    EXPECT_EQ(run(nullptr), 0);
    ASSERT_GE(watch.shownMs, 0);
    EXPECT_GE(watch.paintedMs, watch.shownMs) << "painted";
    EXPECT_GE(watch.pagesGoneMs, watch.paintedMs);
    EXPECT_GE(watch.goneMs - watch.shownMs, static_cast<double>(app::kEndSplashStands.count()));
    EXPECT_GT(watch.goneMs, watch.pagesGoneMs) << "it stands after the pages have gone";
}

TEST_F(SplashProgram, WithoutTheJinglesNoScreenStaysUp) {
    bool boxShown = false, boxGoneAfterOk = false;
    run([&](app::QuintoraProgram& p) {
        QTimer::singleShot(0, p.pages().QuintoraForm, [&p, &boxShown] {
            if (app::TAboutBox* box = p.pages().AboutBox) {
                boxShown = box->isVisible();
                box->BitBtn1->click();
            }
        });
        p.pages().QuintoraForm->About1->trigger();
        boxGoneAfterOk = p.pages().AboutBox.isNull();
    });
    EXPECT_TRUE(boxShown);
    EXPECT_TRUE(boxGoneAfterOk);
    EXPECT_TRUE(program->pages().MidiSplash.isNull());
    EXPECT_TRUE(program->pages().EndSplash.isNull());
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString() << " is still up";
}

// The player page as the splashes and the About box use it: which jingle, and whether the
// screen that asked for it stood while it played.
class JinglePlayer final : public player::TMidiForm {
  public:
    JinglePlayer(app::ShellContext& context, QWidget* screen)
        : TMidiForm(context, screen), pages_(context.pages) {}
    std::vector<std::pair<int, bool>> played;  // jingle, its screen visible
    void PlayJingle(int n) override {
        const QWidget* screen = pages_.AboutBox ? static_cast<QWidget*>(pages_.AboutBox)
                                                : static_cast<QWidget*>(pages_.MidiSplash);
        played.emplace_back(n, screen && screen->isVisible());
    }

  private:
    app::Pages& pages_;
};

class Screens : public testsupport::PagesRig {
  protected:
    Screens() {
        createPages();
        delete pages.MidiForm.data();
        player = new JinglePlayer(context, pages.QuintoraForm->playerArea());
        pages.MidiForm = player;
        pages.QuintoraForm->show();
        link.clearJournal();
    }
    JinglePlayer* player = nullptr;
};

TEST_F(Screens, TheStartJinglePlaysWhileTheSplashStands) {
    auto* splash = new app::TMidiSplash();
    pages.MidiSplash = splash;
    splash->show();
    EXPECT_FALSE(splash->isEnabled()) << "it takes no input";
    EXPECT_EQ(splash->size(), QSize(684, 181));
    EXPECT_EQ(splash->Label1->text().toStdString(), "QUINTORA");
    EXPECT_EQ(splash->Label2->text().toStdString(), " 2 ");
    state.drums.Modified = 1;
    player->played.clear();
    app::CloseSplash(context, *player);
    EXPECT_EQ(player->played, (std::vector<std::pair<int, bool>>{{1, true}}));
    EXPECT_TRUE(pages.MidiSplash.isNull());
    EXPECT_EQ(link.journal(), Strings{"params"});
    EXPECT_EQ(state.drums.Modified, 0);
}

TEST_F(Screens, TheClosingSplashSaysThankYouAboveEveryWindow) {
    app::TEndSplash splash(pages.QuintoraForm);
    EXPECT_EQ(splash.Label1->text().toStdString(), "Thank you for using QUINTORA2");
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(splash.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(splash.size(), QSize(685, 176));
}

// Each way to the box opens a fresh one; its OK closes the device choice, brings the player
// page back and writes the configuration.
TEST_F(Screens, AboutOpensFromTheMenuTheTitlesAndThePageAndClosesWithOK) {
    app::TQuintoraForm& form = *pages.QuintoraForm;
    QWidget* background = form.centralWidget();
    QPoint empty(-1, -1);
    // (0, 0) would not do: a click there lands in the middle.
    for (int y = 1; y < background->height() && empty.x() < 0; ++y)
        for (int x = 1; x < background->width() && empty.x() < 0; ++x)
            if (!background->childAt(x, y)) empty = QPoint(x, y);
    ASSERT_GE(empty.x(), 0);

    const std::pair<const char*, std::function<void()>> openers[] = {
        {"menu", [&] { form.About1->trigger(); }},
        {"title", [&] { QTest::mouseClick(form.MidiLabel2, Qt::LeftButton); }},
        {"background", [&] { QTest::mouseClick(background, Qt::LeftButton, {}, empty); }},
    };
    const app::TAboutBox* previous = nullptr;
    for (const auto& [name, open] : openers) {
        SCOPED_TRACE(name);
        form.MidiInBtnClick();
        pages.MidiForm->hide();
        fs::current_path(folder.path() / "MidiFile");
        fs::remove(folder.path() / "Quintora2.cfg");
        player->played.clear();

        struct Seen {
            const app::TAboutBox* box = nullptr;
            bool modal = false;
            Strings texts;
            fs::path folder;
        } seen;
        // OK once the box has played its jingle, as a player would press it.
        QTimer waiting;
        // A jingle that never comes is given up on after a generous while, and the checks say so.
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        QObject::connect(&waiting, &QTimer::timeout, &form, [&] {
            app::TAboutBox* box = pages.AboutBox;
            if (!box || (player->played.empty() && std::chrono::steady_clock::now() < giveUp)) return;
            waiting.stop();
            seen.box = box;
            seen.modal = box->isModal() && box->isVisible();
            for (const QWidget* w :
                 {static_cast<QWidget*>(box), static_cast<QWidget*>(box->ProductName),
                  static_cast<QWidget*>(box->Version), static_cast<QWidget*>(box->Comments),
                  static_cast<QWidget*>(box->BitBtn1)})
                seen.texts.push_back(w == box ? box->windowTitle().toStdString()
                                     : qobject_cast<const QLabel*>(w)
                                         ? qobject_cast<const QLabel*>(w)->text().toStdString()
                                         : qobject_cast<const QPushButton*>(w)->text().toStdString());
            seen.folder = fs::current_path();
            box->BitBtn1->click();
        });
        waiting.start(10);
        open();
        waiting.stop();
        ASSERT_NE(seen.box, nullptr) << "no box came up";
        EXPECT_NE(seen.box, previous) << "a fresh box each time";
        previous = seen.box;
        EXPECT_TRUE(seen.modal);
        EXPECT_EQ(seen.texts, (Strings{"About  Quintora2", " Midi Tarn Sequencer ", "Version 2.0 ",
                                       "Auto Tarn Generator for Midi Keyboards", "OK "}));
        EXPECT_EQ(seen.folder, folder.path()) << "the jingle is found in the program folder";
        EXPECT_EQ(player->played, (std::vector<std::pair<int, bool>>{{3, true}}));
        EXPECT_TRUE(pages.AboutBox.isNull());
        EXPECT_FALSE(form.OKInBtn->isVisible()) << "the device choice is closed";
        EXPECT_TRUE(form.MidiLabel1->isVisible());
        EXPECT_TRUE(pages.MidiForm->isVisible());
        EXPECT_TRUE(fs::exists(folder.path() / "Quintora2.cfg"));
    }
}

}  // namespace
