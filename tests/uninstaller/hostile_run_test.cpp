// Hostile installations run from start to end as the program runs them: the script read from
// beside the program, the root taken from KWU_ROOT and checked, the dialog built and its OK pressed.
// Each run has a home folder and a folder beside the root holding decoys; neither may change. Runs
// that need an unprivileged user or a mount of their own run in a child process.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <csignal>

#include "kwu_test_support.h"
#include "uninstaller/desktop_menu.h"
#include "uninstaller/qt/qt_prompter.h"
#include "uninstaller/qt/uninstall_dialog.h"
#include "uninstaller/startup.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::listing;
using testing::present;
using testing::readText;
using testing::writeText;

// What a run showed: the dialog's window title and title line, the item line when it ended, and
// every message (caption, then text and details).
struct Outcome {
    int code = -1;
    std::string windowTitle, titleLine, itemLine, groupEdit;
    std::vector<std::pair<std::string, std::string>> boxes;

    std::string texts() const {
        std::string all;
        for (const auto& [caption, text] : boxes) all += text + "\n";
        return all;
    }
    // Kept in a file across the end of a child process: the fields one after another, each ended
    // by a NUL byte (no field holds one).
    void save(const fs::path& file) const {
        std::string s = std::to_string(code) + '\0' + windowTitle + '\0' + titleLine + '\0' + itemLine +
                        '\0' + groupEdit + '\0';
        for (const auto& [caption, text] : boxes) s += caption + '\0' + text + '\0';
        writeText(file, s);
    }
    static Outcome load(const fs::path& file) {
        std::vector<std::string> fields;
        const std::string s = readText(file);
        for (std::size_t at = 0, end; (end = s.find('\0', at)) != std::string::npos; at = end + 1)
            fields.push_back(s.substr(at, end - at));
        Outcome o;
        if (fields.size() < 5) return o;
        o.code = std::stoi(fields[0]);
        o.windowTitle = fields[1];
        o.titleLine = fields[2];
        o.itemLine = fields[3];
        o.groupEdit = fields[4];
        for (std::size_t i = 5; i + 1 < fields.size(); i += 2) o.boxes.emplace_back(fields[i], fields[i + 1]);
        return o;
    }
};

// Records every message box the program shows and presses its default button.
class BoxWatcher {
  public:
    explicit BoxWatcher(Outcome& outcome) {
        QObject::connect(&timer_, &QTimer::timeout, [&outcome] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                outcome.boxes.emplace_back(box->windowTitle().toStdString(),
                                           (box->text() + "\n" + box->detailedText()).toStdString());
                box->accept();
            }
        });
        timer_.start(5);
    }

  private:
    QTimer timer_;
};

// An installation under a fresh root: the application's tree with its log, the program and its
// script in a folder of their own, the menu with the application's group and another, kwu's stores
// holding other programs' entries, a home folder and a folder beside the root with decoys.
class World {
  public:
    World() {
        writeText(home / ".profile", "PATH=$HOME/bin:$PATH\n");
        writeText(home / "notes" / "todo.txt", "decoy");
        writeText(tmp.outside() / "decoy.ini", "[kwu]\nDisplayName=decoy\n");
        writeText(app / "drum.bin", "drum");
        writeText(app / "plugin.so", "plugin");
        writeText(app / "kwp.ini", "[Drum App]\nVersion=1\n");
        writeText(program.parent_path() / "kwu", "program");
        writeText(tmp.layout.uninstallStore, "[kwu]\nDisplayName=Drum App\n[other]\nDisplayName=Other\n");
        writeText(tmp.layout.registrarStore,
                  "[" + (app / "plugin.so").string() + "]\nid=1\n[other.so]\nid=2\n");
        writeText(tmp.layout.pendingList, "/earlier/file\n");
        writeText(group / "drum.desktop", "[Desktop Entry]\nName=Drum Machine\n");
        writeText(otherGroup / "other.desktop", "[Desktop Entry]\nName=Drum Machine\n");
    }

    // The home folder and the folder beside the root, by content and mode.
    std::map<std::string, std::string> untouchable() const {
        std::map<std::string, std::string> all;
        for (const auto& [at, what] : listing(home)) all["home/" + at] = what;
        for (const auto& [at, what] : listing(tmp.outside())) all["outside/" + at] = what;
        return all;
    }

    // Writes the script beside the program and runs the program with the dialog's boxes set to
    // choices; with prompter null, messages are recorded and questions answered Yes.
    Outcome run(const std::string& script, Choices choices = {}, Prompter* prompter = nullptr) {
        writeText(program.parent_path() / "kwu.kwu", script);
        const testing::EnvironmentGuard env{{"KWU_ROOT", tmp.root().string()}, {"HOME", home.string()}};
        Outcome outcome;
        testing::ScriptedPrompter recorder;
        Prompter& shown = prompter ? *prompter : recorder;
        const auto names = ProgramNames::of(program);
        outcome.code = startUninstaller(names, shown, [&](const UninstallScript& s, const InstallRoot& root) {
            DesktopMenu menu(root);
            Uninstaller uninstaller(s, names, root, shown, menu);
            UninstallDialog dialog(s, uninstaller);
            outcome.windowTitle = dialog.windowTitle().toStdString();
            outcome.titleLine = dialog.findChild<QLabel*>("title")->text().toStdString();
            outcome.groupEdit = dialog.findChild<QLineEdit*>("group")->text().toStdString();
            dialog.findChild<QCheckBox*>("removeTree")->setChecked(choices.removeTree);
            dialog.findChild<QCheckBox*>("removeGroup")->setChecked(choices.removeGroup);
            dialog.findChild<QCheckBox*>("askSystemFiles")->setChecked(choices.askSystemFiles);
            dialog.findChild<QPushButton*>("ok")->click();
            outcome.itemLine = dialog.findChild<QLabel*>("count")->text().toStdString();
            return dialog.result() == QDialog::Accepted ? 0 : 1;
        });
        for (const auto& m : recorder.told) outcome.boxes.emplace_back(m.caption, m.text + "\n" + m.details);
        return outcome;
    }

    // As run, in a child process: prepare makes what the run needs (mounts, owners) and says
    // whether it could; then the child becomes an unprivileged user when asked. A child that does
    // not end within a minute (a read blocked on a FIFO) is stopped. nullopt when the child could
    // not prepare; code 128 + the signal when it was killed.
    std::optional<Outcome> runInChild(const std::string& script, Choices choices, bool unprivileged,
                                      const std::function<bool()>& prepare) {
        const fs::path saved = tmp.base() / "outcome";
        const int code = testing::inChild([&] {
            ::alarm(60);
            if (!prepare()) return testing::kChildSkipped;
            if (unprivileged && !testing::dropToNobody()) return testing::kChildSkipped;
            run(script, choices).save(saved);
            return 0;
        });
        if (code == testing::kChildSkipped) return std::nullopt;
        if (code != 0) {
            Outcome killed;
            killed.code = code;
            return killed;
        }
        return Outcome::load(saved);
    }

    std::string mainSection(const std::string& more = "") const {
        return "[kwu]\nP1=Drum App\nP2=" + app.string() + "\nP3=Drums\n" + more;
    }

    testing::TempRoot tmp;
    fs::path home = tmp.base() / "home";
    fs::path app = tmp.root() / "opt" / "app";
    fs::path program = tmp.root() / "opt" / "uninstall" / "kwu";
    fs::path group = tmp.layout.menuDir / "Drums";
    fs::path otherGroup = tmp.layout.menuDir / "Other";
};

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string quoted(const fs::path& p) {
    return "\"" + p.string() + "\"";
}

// An installer log that cannot be read may name another program: the tree stays whole, the log
// stays, and the summary says why. Run as an unprivileged user, so that a log of root's (or one
// without read permission) cannot be read; a FIFO must not block the run.
TEST(HostileRun, AnInstallerLogThatCannotBeReadKeepsTheTreeAndSaysWhy) {
    struct Case {
        const char* name;
        const char* log;  // below the application's folder
        std::function<bool(const fs::path&)> make;
        std::string reason;
    };
    const auto ofRoots = [](const fs::path& log) {
        writeText(log, "[Other App]\nVersion=3\n");
        // As root the log is handed back to root before the child becomes unprivileged; without
        // root, a mode without read permission does the same.
        if (::geteuid() == 0) return ::lchown(log.c_str(), 0, 0) == 0 && ::chmod(log.c_str(), 0600) == 0;
        return ::chmod(log.c_str(), 0) == 0;
    };
    const Case cases[] = {
        {"no permission", "plug/kwp.ini", ofRoots, "cannot be read (Permission denied)"},
        {"no permission, the tree's own log", "kwp.ini", ofRoots, "cannot be read (Permission denied)"},
        {"a FIFO", "plug/kwp.ini", [](const fs::path& log) { return ::mkfifo(log.c_str(), 0644) == 0; },
         "cannot be read (it is not a regular file)"},
        {"a folder", "plug/KWP.INI",
         [](const fs::path& log) {
             writeText(log / "readme.txt", "[Other App]\n");
             return true;
         },
         "cannot be read (it is a folder)"},
        {"a link", "plug/kwp.ini",
         [](const fs::path& log) {
             // To a log of another program beside the root.
             fs::create_symlink("../../../../outside/decoy.ini", log);
             return true;
         },
         "cannot be read (it is a symbolic link, which the uninstaller never follows)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        const fs::path log = world.app / c.log;
        writeText(world.app / "plug" / "other.dat", "the other program's");
        const auto before = world.untouchable();
        const auto outcome =
            world.runInChild(world.mainSection("[kwp.ini]\n"), Choices{true, false, false}, true,
                             [&] { return testing::giveToNobody(world.tmp.base()) && c.make(log); });
        if (!outcome) GTEST_SKIP() << "cannot become an unprivileged user here";
        ASSERT_EQ(outcome->code, 0) << "the run did not end (a read blocked?)";
        EXPECT_TRUE(present(log));
        EXPECT_TRUE(present(world.app / "plug" / "other.dat"));
        EXPECT_TRUE(present(world.app / "drum.bin"));
        EXPECT_TRUE(holds(outcome->texts(), "Refused to remove the folder " + quoted(world.app) +
                                                ": its installer log " + quoted(log) + " " + c.reason +
                                                ", so the folder may hold other programs' files."))
            << outcome->texts();
        if (std::string(c.log) == "kwp.ini") {
            EXPECT_TRUE(
                holds(outcome->texts(), "Left the installer log " + quoted(log) + ": it cannot be read"))
                << outcome->texts();
        }
        EXPECT_EQ(world.untouchable(), before);
        ::chmod(log.c_str(), 0600);
    }
}

// A log that gives an I/O error when read: a file of the process's memory that reads nothing at
// its start, mounted over the log in a mount namespace of a child.
TEST(HostileRun, AnInstallerLogWithAnIoErrorKeepsTheTree) {
    World world;
    const fs::path log = world.app / "plug" / "kwp.ini";
    writeText(log, "[Other App]\n");
    writeText(world.app / "plug" / "other.dat", "the other program's");
    const auto before = world.untouchable();
    const auto outcome = world.runInChild(world.mainSection(), Choices{true, false, false}, false, [&] {
        return ::unshare(CLONE_NEWNS) == 0 &&
               ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
               ::mount("/proc/self/mem", log.c_str(), nullptr, MS_BIND, nullptr) == 0;
    });
    if (!outcome) GTEST_SKIP() << "this test cannot make a mount namespace and mount in it";
    ASSERT_EQ(outcome->code, 0);
    EXPECT_TRUE(present(world.app / "plug" / "other.dat"));
    EXPECT_TRUE(
        holds(outcome->texts(), "its installer log " + quoted(log) + " cannot be read (Input/output error)"))
        << outcome->texts();
    EXPECT_EQ(world.untouchable(), before);
}

// Every file kwu writes may be a hard link to a file elsewhere (the user can make one to any file
// of theirs): it is written anew, never through the link, so the file elsewhere keeps its content.
TEST(HostileRun, StoresHardLinkedToFilesOutsideTheRootLeaveThemUnchanged) {
    struct Case {
        const char* name;
        fs::path (*store)(const World&);  // the file the run writes
        fs::path (*decoy)(const World&);  // what it is a hard link to
        std::string script;               // the items that make the run write it
        bool pendingListBlocked;          // the pending list is a folder, so WININIT.INI is written
    };
    const auto profile = [](const World& w) { return w.home / ".profile"; };
    const auto decoy = [](const World& w) { return w.tmp.outside() / "decoy.ini"; };
    const Case cases[] = {
        {"pending-deletes", [](const World& w) { return w.tmp.layout.pendingList; }, profile, "", false},
        {"uninstall.ini", [](const World& w) { return w.tmp.layout.uninstallStore; }, decoy, "", false},
        {"registrar.ini", [](const World& w) { return w.tmp.layout.registrarStore; }, decoy,
         "[plugin.so]\nL=@APP@\n0=1\n", false},
        {"kwp.ini", [](const World& w) { return w.app / "kwp.ini"; }, decoy, "[kwp.ini]\n", false},
        {"WININIT.INI", [](const World& w) { return w.tmp.layout.windowsDir / "WININIT.INI"; }, profile, "",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        const fs::path store = c.store(world);
        fs::remove(store);
        fs::create_hard_link(c.decoy(world), store);
        if (c.pendingListBlocked) {
            fs::remove(world.tmp.layout.pendingList);
            fs::create_directories(world.tmp.layout.pendingList);
        }
        // What each store's rewrite edits: the program's entry, the component's registration, and a
        // section of another program, so that the log is rewritten rather than deleted.
        writeText(world.tmp.outside() / "decoy.ini", "[kwu]\nDisplayName=decoy\n[" +
                                                         (world.app / "plugin.so").string() +
                                                         "]\nid=1\n[Old App]\nStatus=Removed\n");
        const auto before = world.untouchable();
        std::string items = c.script;
        if (const auto at = items.find("@APP@"); at != std::string::npos)
            items.replace(at, 5, world.app.string());
        const Outcome outcome = world.run(world.mainSection(items), Choices{false, false, false});
        EXPECT_EQ(world.untouchable(), before) << outcome.texts();
        EXPECT_EQ(outcome.texts(), "");
        const std::string written = present(store) ? readText(store) : "";
        EXPECT_NE(written, readText(c.decoy(world)));
        const std::string uninstaller = world.program.string();
        if (store.filename() == "pending-deletes" || store.filename() == "WININIT.INI") {
            EXPECT_TRUE(holds(written, uninstaller)) << written;
        }
    }
}

// kwu's own stores stand for the system's lists, which no item of a script could delete: items in
// share/kwu are refused and listed, and every other program's entries stay. WININIT.INI in the
// Windows directory remains an item like any other.
TEST(HostileRun, ItemsInsideTheUninstallersOwnStoresAreRefused) {
    World world;
    const fs::path store = world.tmp.layout.storeDir;
    writeText(store / "sub" / "deep.dat", "kept");
    writeText(world.tmp.layout.windowsDir / "WININIT.INI", "[rename]\n");
    const auto before = world.untouchable();
    const Outcome outcome = world.run(
        world.mainSection("[uninstall.ini]\nL=" + store.string() + "\n[registrar.ini]\nL=" + store.string() +
                          "\n[pending-deletes]\nL=" + store.string() +
                          "\n[deep.dat]\nL=" + (store / "sub").string() + "\n[WININIT.INI]\nL=W\n"),
        Choices{false, false, false});
    EXPECT_EQ(readText(world.tmp.layout.uninstallStore), "[other]\nDisplayName=Other\n");
    EXPECT_TRUE(holds(readText(world.tmp.layout.registrarStore), "[other.so]"));
    EXPECT_EQ(readText(world.tmp.layout.pendingList).rfind("/earlier/file\n", 0), 0u);
    EXPECT_TRUE(present(store / "sub" / "deep.dat"));
    EXPECT_FALSE(present(world.tmp.layout.windowsDir / "WININIT.INI"));
    for (const fs::path& file : {store / "uninstall.ini", store / "registrar.ini", store / "pending-deletes",
                                 store / "sub" / "deep.dat"})
        EXPECT_TRUE(holds(outcome.texts(), "Refused " + quoted(file) +
                                               ": it lies in the uninstaller's own folder " + quoted(store)))
            << file << "\n"
            << outcome.texts();
    EXPECT_TRUE(holds(outcome.texts(), "4 entries were left in place")) << outcome.texts();
    EXPECT_EQ(world.untouchable(), before);
}

// Single items left in place are listed with their reasons: an item in a folder the user cannot
// enter, an item in a folder of root's, an item that names a folder, and a group that is a link to
// another group (whose items stay). Run as an unprivileged user.
TEST(HostileRun, ItemsLeftInPlaceAreListedEachWithItsReason) {
    World world;
    const bool asRoot = ::geteuid() == 0;
    writeText(world.app / "locked" / "x.dat", "stays");
    writeText(world.app / "theirs" / "y.dat", "stays");
    fs::create_directories(world.app / "sub");
    fs::remove_all(world.group);
    fs::create_directory_symlink(world.otherGroup, world.group);
    const auto otherGroupBefore = listing(world.otherGroup);
    const auto before = world.untouchable();
    const auto outcome =
        world.runInChild(world.mainSection("[x.dat]\nL=" + (world.app / "locked").string() +
                                           "\n[y.dat]\nL=" + (world.app / "theirs").string() +
                                           "\n[sub]\nL=" + world.app.string() + "\n[drum]\nT=Drum Machine\n"),
                         Choices{false, true, false}, true, [&] {
                             if (!testing::giveToNobody(world.tmp.base())) return false;
                             // Only root can hand a folder to someone else; without root that case stands
                             // out.
                             if (asRoot && (::lchown((world.app / "theirs").c_str(), 0, 0) != 0 ||
                                            ::lchown((world.app / "theirs" / "y.dat").c_str(), 0, 0) != 0))
                                 return false;
                             return ::chmod((world.app / "locked").c_str(), 0) == 0;
                         });
    ::chmod((world.app / "locked").c_str(), 0755);
    if (!outcome) GTEST_SKIP() << "cannot become an unprivileged user here";
    ASSERT_EQ(outcome->code, 0);
    const std::string all = outcome->texts();
    EXPECT_TRUE(holds(all, "Left " + quoted(world.app / "locked" / "x.dat") + ": the folder " +
                               quoted(world.app / "locked") + " cannot be opened (Permission denied)."))
        << all;
    if (asRoot) {
        EXPECT_TRUE(holds(all, "Left " + quoted(world.app / "theirs" / "y.dat") +
                                   ": it could not be deleted (Permission denied)."))
            << all;
    }
    EXPECT_TRUE(holds(
        all, "Left " + quoted(world.app / "sub") + ": it is a folder, and an item names a single file."))
        << all;
    EXPECT_TRUE(
        holds(all, "Left the menu group " + quoted(world.group) +
                       " with its items: it is a symbolic link, which the uninstaller never follows."))
        << all;
    EXPECT_TRUE(holds(all, std::to_string(asRoot ? 4 : 3) + " entries were left in place")) << all;
    EXPECT_TRUE(present(world.app / "locked" / "x.dat"));
    EXPECT_TRUE(present(world.app / "theirs" / "y.dat"));
    EXPECT_TRUE(fs::is_symlink(world.group));
    EXPECT_EQ(listing(world.otherGroup), otherGroupBefore);
    EXPECT_EQ(world.untouchable(), before);
}

// The list of uninstallable programs may name the program more than once, in any case: every such
// entry goes, and only those.
TEST(HostileRun, EveryUninstallEntryNamingTheProgramGoes) {
    World world;
    writeText(world.tmp.layout.uninstallStore,
              "[kwu]\nDisplayName=Drum App\n[other]\nDisplayName=Other\n[KWU]\nDisplayName=again\n"
              "[ Kwu ]\nx=1\n[kwu2]\nDisplayName=Not this one\n");
    const auto before = world.untouchable();
    const Outcome outcome = world.run(world.mainSection(), Choices{false, false, false});
    EXPECT_EQ(readText(world.tmp.layout.uninstallStore),
              "[other]\nDisplayName=Other\n[kwu2]\nDisplayName=Not this one\n");
    EXPECT_EQ(outcome.texts(), "");
    EXPECT_EQ(world.untouchable(), before);
}

// A right-to-left override reverses how the rest of its line reads, and an escape byte starts a
// terminal command: wherever a name is shown (the window title, the title line, the group, the item
// line, the message boxes' titles and texts) both are shown escaped. The boxes are the program's
// own.
TEST(HostileRun, NamesThatWouldRearrangeALineAreShownEscapedEverywhere) {
    World world;
    const std::string rlo = "\xe2\x80\xae";
    const std::string item = "evil" + rlo + "gpj.exe";
    QtPrompter prompter;
    Outcome outcome;
    const auto before = world.untouchable();
    {
        const BoxWatcher watcher(outcome);
        const Outcome run = world.run("[kwu]\nP1=Drum\x1b[2J" + rlo + "ppA\nP2=" + world.app.string() +
                                          "\nP3=Dr\xe2\x81\xa6ums\n[" + item + "]\nL=/etc\n",
                                      Choices{false, false, false}, &prompter);
        outcome.windowTitle = run.windowTitle;
        outcome.titleLine = run.titleLine;
        outcome.itemLine = run.itemLine;
        outcome.groupEdit = run.groupEdit;
    }
    const std::string title = "Drum\\x1B[2J\\xE2\\x80\\xAEppA";
    EXPECT_EQ(outcome.windowTitle, title + " Uninstall");
    EXPECT_EQ(outcome.titleLine, title);
    EXPECT_EQ(outcome.groupEdit, "Dr\\xE2\\x81\\xA6ums");
    EXPECT_EQ(outcome.itemLine, "evil\\xE2\\x80\\xAEgpj.exe");
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].first, title);
    EXPECT_TRUE(holds(outcome.boxes[0].second, "\"/etc/evil\\xE2\\x80\\xAEgpj.exe\""))
        << outcome.boxes[0].second;
    for (const std::string& raw : {rlo, std::string("\x1b")})
        EXPECT_FALSE(holds(outcome.boxes[0].first + outcome.boxes[0].second, raw));
    EXPECT_EQ(world.untouchable(), before);
}

// A tree that the run cannot enter is refused for that reason, whatever its log says: a mount
// point (in a mount namespace of a child) and, for an unprivileged user, a folder without
// permissions.
TEST(HostileRun, ATreeTheRunCannotEnterIsRefusedWithTheRealReason) {
    struct Case {
        const char* name;
        bool unprivileged;
        std::function<bool(World&)> prepare;
        std::string reason;
    };
    const Case cases[] = {
        {"a mount point", false,
         [](World& w) {
             return ::unshare(CLONE_NEWNS) == 0 &&
                    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                    ::mount((w.tmp.outside() / "mounted").c_str(), w.app.c_str(), nullptr, MS_BIND,
                            nullptr) == 0;
         },
         "it is a mount point: it lies on another device or mount, which the uninstaller never enters."},
        {"no permission", true,
         [](World& w) { return testing::giveToNobody(w.tmp.base()) && ::chmod(w.app.c_str(), 0) == 0; },
         "it cannot be opened (Permission denied)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        World world;
        writeText(world.tmp.outside() / "mounted" / "kwp.ini", "[Drum App]\nVersion=1\n");
        writeText(world.tmp.outside() / "mounted" / "precious.txt", "outside");
        const auto before = world.untouchable();
        const auto outcome = world.runInChild(world.mainSection(), Choices{true, false, false},
                                              c.unprivileged, [&] { return c.prepare(world); });
        ::chmod(world.app.c_str(), 0755);
        if (!outcome) {
            std::fprintf(stderr, "not run here: %s\n", c.name);
            continue;
        }
        ASSERT_EQ(outcome->code, 0);
        EXPECT_TRUE(
            holds(outcome->texts(), "Refused to remove the folder " + quoted(world.app) + ": " + c.reason))
            << outcome->texts();
        EXPECT_FALSE(holds(outcome->texts(), "holds neither")) << outcome->texts();
        EXPECT_TRUE(present(world.app / "drum.bin"));
        EXPECT_EQ(world.untouchable(), before);
    }
}

}  // namespace
}  // namespace kwu
