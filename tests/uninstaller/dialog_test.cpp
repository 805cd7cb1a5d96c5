// The uninstall dialog and the message boxes, offscreen.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "kwu_test_support.h"
#include "uninstaller/desktop_menu.h"
#include "uninstaller/qt/qt_prompter.h"
#include "uninstaller/qt/uninstall_dialog.h"
#include "uninstaller/startup.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::present;
using testing::writeText;

class Dialog : public ::testing::Test {
  protected:
    Dialog() {
        writeText(app / "one.txt", "1");
        writeText(app / "two.txt", "2");
        writeText(tmp.layout.systemDir / "sys.so", "s");
    }
    void open(const std::string& text, const fs::path& program = {}) {
        script.emplace(IniFile::parse(text), "kwu");
        uninstaller.emplace(*script, ProgramNames::of(program.empty() ? app / "kwu" : program), root,
                            prompter, menu);
        dialog.emplace(*script, *uninstaller);
    }
    template <typename T>
    T* child(const char* name) {
        T* w = dialog->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString label(const char* name) { return child<QLabel>(name)->text(); }

    testing::TempRoot tmp;
    fs::path app = tmp.root() / "opt" / "app";
    std::string twoFiles = "[kwu]\nP1=Drum App\nP2=" + app.string() +
                           "\nP3=Drums\n[one.txt]\nL=" + app.string() + "\n[two.txt]\nL=" + app.string() +
                           "\n";
    testing::ScriptedPrompter prompter;
    InstallRoot root = InstallRoot::open(tmp.layout);
    DesktopMenu menu{root};
    std::optional<UninstallScript> script;
    std::optional<Uninstaller> uninstaller;
    std::optional<UninstallDialog> dialog;
};

TEST_F(Dialog, ShowsTheScriptTextsDefaultsAndCount) {
    open(twoFiles + "[kwu]\n");
    EXPECT_EQ(dialog->windowTitle(), "Drum App Uninstall");
    EXPECT_EQ(label("title"), "Drum App");
    EXPECT_EQ(label("directoryIntro"), "Will be removed from the directory below");
    EXPECT_EQ(label("directoryLabel"), "Applicatio Directory");
    EXPECT_EQ(label("groupIntro"), "The Task Bar Group shown below will be modified to reflect this removal");
    EXPECT_EQ(label("groupLabel"), "Application Task Bar Group");
    EXPECT_EQ(label("count"), "Scheduled Files: 2");
    EXPECT_EQ(label("status"), "Choose OK to Start or Cancel To Quit");
    for (const char* edit : {"directory", "group"}) EXPECT_FALSE(child<QLineEdit>(edit)->isEnabled());
    EXPECT_EQ(child<QLineEdit>("directory")->text().toStdString(), app.string());
    EXPECT_EQ(child<QLineEdit>("group")->text(), "Drums");
    const std::pair<const char*, const char*> boxes[] = {
        {"removeTree", "Delete The Above Directory Structure?"},
        {"removeGroup", "Delete The Above Task Bar Folder"},
        {"askSystemFiles", "Ask Before Deleting Each System File"}};
    for (auto [name, text] : boxes) {
        EXPECT_TRUE(child<QCheckBox>(name)->isChecked()) << name;
        EXPECT_EQ(child<QCheckBox>(name)->text(), text);
    }
    EXPECT_EQ(child<QPushButton>("ok")->text(), "&OK");
    EXPECT_TRUE(child<QPushButton>("ok")->isDefault());
    EXPECT_EQ(child<QPushButton>("cancel")->text(), "&Cancel");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dialog->x(), (screen.width() - dialog->width()) / 2);
    EXPECT_EQ(dialog->y(), (screen.height() - dialog->height()) / 3);
}

TEST_F(Dialog, ScriptTextsReplaceTheDefaults) {
    open("[KWU]\nD13=Remove\nD7=Folder\nD19=Files\nD8=&Go\nD15=&Stop\nM2=Ask\n[a]\n");
    EXPECT_EQ(dialog->windowTitle(), " Remove");
    EXPECT_EQ(label("directoryLabel"), "Folder");
    EXPECT_EQ(label("count"), "Files: 1");
    EXPECT_EQ(child<QPushButton>("ok")->text(), "&Go");
    EXPECT_EQ(child<QPushButton>("cancel")->text(), "&Stop");
    EXPECT_EQ(child<QCheckBox>("askSystemFiles")->text(), "Ask");
}

TEST_F(Dialog, CancelBeforeOkRemovesNothing) {
    open(twoFiles);
    child<QPushButton>("cancel")->click();
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(present(app / "one.txt"));
    EXPECT_FALSE(present(tmp.layout.pendingList));
}

TEST_F(Dialog, OkRunsTheRemovalWithTheChosenBoxesAndShowsProgress) {
    open(twoFiles);
    child<QCheckBox>("removeTree")->setChecked(false);
    child<QPushButton>("ok")->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(child<QPushButton>("ok")->isEnabled());
    EXPECT_FALSE(present(app / "one.txt"));
    EXPECT_FALSE(present(app / "two.txt"));
    EXPECT_TRUE(fs::is_directory(app));
    EXPECT_EQ(label("status"), "Total: 2 Current: 2 Remaining: 0");
    EXPECT_EQ(label("count"), "two.txt");
}

TEST_F(Dialog, CancelWhileRunningAsksAndStops) {
    open("[kwu]\nP1=Drum App\nP2=" + app.string() + "\n[sys.so]\nL=S\n[one.txt]\nL=" + app.string() + "\n");
    prompter.onAsk = [this](const Message& m) {
        // Cancel is pressed while the system file question is open.
        if (m.text.rfind("Is a System File", 0) == 0) child<QPushButton>("cancel")->click();
        return true;
    };
    child<QPushButton>("ok")->click();
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].text, "Do You Really Want To Cancel?");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(present(tmp.layout.systemDir / "sys.so"));
    EXPECT_TRUE(present(app / "one.txt"));
    EXPECT_FALSE(present(tmp.layout.pendingList));
}

// The directory edit shows the name escaped; the removal uses the script's bytes, not the edit's
// text, so a name that is not UTF-8 is found and removed.
TEST_F(Dialog, ADirectoryNameThatIsNotUtf8IsShownEscapedAndRemoved) {
    const fs::path odd = tmp.root() / "opt" / "dr\xffm";
    writeText(odd / "one.txt", "1");
    writeText(odd / "kwu.kwu", "script");
    open("[kwu]\nP1=Drum App\nP2=" + odd.string() + "\n[one.txt]\nL=" + odd.string() + "\n", odd / "kwu");
    EXPECT_EQ(child<QLineEdit>("directory")->text().toStdString(),
              (tmp.root() / "opt").string() + "/dr\\xFFm");
    child<QPushButton>("ok")->click();
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_FALSE(present(odd));
}

// The root is opened once, at start. Swapped for a link to its parent (here the home folder) while
// the dialog is up, it is still the folder that was checked: OK removes the installation from it,
// writes the pending deletions into it and names them where it now is, and the home folder, which
// holds a decoy of the same installation, does not change.
TEST(DialogRoot, ARootSwappedForALinkToItsParentBeforeOkIsStillTheCheckedRoot) {
    testing::TempRoot tmp;
    const fs::path home = tmp.base();
    const fs::path app = tmp.root() / "opt" / "app";
    const std::string script = "[kwu]\nP1=Drum App\nP2=" + app.string() +
                               "\nP3=Drums\n[one.txt]\nL=" + app.string() + "\nT=Drum Machine\n[kwp.ini]\n";
    for (const fs::path& base : {tmp.root(), home}) {
        writeText(base / "opt" / "app" / "one.txt", "1");
        writeText(base / "opt" / "app" / "kwu.kwu", script);
        writeText(base / "opt" / "app" / "kwp.ini", "[Drum App]\nVersion=1\n");
        writeText(base / "share" / "applications" / "Drums" / "drum.desktop",
                  "[Desktop Entry]\nName=Drum Machine\n");
        fs::create_directories(base / "share" / "kwu");
    }
    const auto optBefore = testing::listing(home / "opt");
    const auto shareBefore = testing::listing(home / "share");
    const fs::path moved = home / "root-moved";

    const testing::EnvironmentGuard env{{"KWU_ROOT", tmp.root().string()}, {"HOME", home.string()}};
    testing::ScriptedPrompter prompter;
    const auto names = ProgramNames::of(app / "kwu");
    const int code =
        startUninstaller(names, prompter, [&](const UninstallScript& s, const InstallRoot& root) {
            DesktopMenu menu(root);
            Uninstaller uninstaller(s, names, root, prompter, menu);
            UninstallDialog dialog(s, uninstaller);
            fs::rename(tmp.root(), moved);
            fs::create_symlink(home, tmp.root());
            dialog.findChild<QPushButton*>("ok")->click();
            return dialog.result() == QDialog::Accepted ? 0 : 1;
        });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_EQ(testing::listing(home / "opt"), optBefore);
    EXPECT_EQ(testing::listing(home / "share"), shareBefore);
    EXPECT_FALSE(present(moved / "opt" / "app"));
    EXPECT_FALSE(present(moved / "share" / "applications" / "Drums"));
    EXPECT_EQ(testing::readText(moved / "share" / "kwu" / "pending-deletes"),
              (moved / "opt" / "app" / "kwu.kwu").string() + "\n" + (moved / "opt" / "app" / "kwu").string() +
                  "\n");
    fs::remove(tmp.root());
}

// Waits for the next modal message box, notes its texts and presses its default button.
void answerNextBox(QString* text, QString* title) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, text, title] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *text = box->text();
            *title = box->windowTitle();
            box->accept();
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
}

TEST(MessageBoxes, TheRefusalSummaryCarriesItsDetails) {
    QtPrompter prompter;
    QString text, title, details;
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            title = box->windowTitle();
            details = box->detailedText();
            box->accept();
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    prompter.tell(Message{"21 entries were left in place:", "Drum App", true, false, false, "one\ntwo\n"});
    EXPECT_EQ(text, "21 entries were left in place:");
    EXPECT_EQ(title, "Drum App");
    EXPECT_EQ(details, "one\ntwo\n");
}

TEST(MessageBoxes, MissingScriptShowsTheAbortBox) {
    testing::TempRoot tmp;
    QtPrompter prompter;
    QString text, title;
    answerNextBox(&text, &title);
    const int code = startUninstaller(ProgramNames::of(tmp.root() / "kwu"), prompter,
                                      [](const UninstallScript&, const InstallRoot&) { return 0; });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, "Initialization File Missing");
    EXPECT_EQ(title, "Aborting");
}

}  // namespace
}  // namespace kwu

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
