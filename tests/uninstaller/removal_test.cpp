#include "uninstaller/removal.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstdio>

#include "kwu_test_support.h"
#include "uninstaller/desktop_menu.h"
#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::listing;
using testing::present;
using testing::readText;
using testing::writeText;

// An installed application under the root: its tree three levels deep, a shared file in the
// Windows directory, a registered component in the system directory and in the application, menu
// items in its group beside another group, its uninstall entry beside another program's.
class Installed : public ::testing::Test {
  protected:
    Installed() {
        for (const auto& d : {app, app / "bin", app / "data", app / "data" / "x", app / "data" / "x" / "y"})
            writeText(d / "level.txt", d.string());
        writeText(app / "bin" / "app.bin", "binary");
        writeText(app / "lib" / "plugin.so", "plugin");
        writeText(app / "kwp.ini", "[Drum App]\nVersion=1\n");
        writeText(app / "kwu", "program");
        writeText(app / "kwu.kwu", "script");
        writeText(tmp.layout.systemDir / "libshared.so", "shared");
        writeText(tmp.layout.windowsDir / "shared.ini", "shared");
        writeText(tmp.layout.registrarStore, "[" + (tmp.layout.systemDir / "libshared.so").string() +
                                                 "]\nid=1\n[" + (app / "lib" / "plugin.so").string() +
                                                 "]\nid=2\n[keep]\nid=3\n");
        writeText(group / "drum.desktop", "[Desktop Entry]\nName=Drum Machine\nExec=app.bin\n");
        writeText(group / "Help.desktop", "[Desktop Entry]\nName=Read me\n");
        writeText(group / "extra.desktop", "[Desktop Entry]\nName=Extra\n");
        writeText(otherGroup / "other.desktop", "[Desktop Entry]\nName=Drum Machine\n");
        writeText(tmp.layout.uninstallStore, "[kwu]\nDisplayName=Drum App\n[other]\nDisplayName=Other\n");
        writeText(tmp.outside() / "sub" / "deep.txt", "outside");
        ::chmod((tmp.outside() / "keep.txt").c_str(), 0600);
    }

    std::string standardScript() const {
        return "[KWU]\nP1=Drum App\nP2=" + app.string() + "\nP3=drums\n" +
               "[app.bin]\nL=" + (app / "bin").string() + "\nT=Drum Machine\n" +
               "[plugin.so]\nL=" + (app / "lib").string() + "\n0=1\n" + "[libshared.so]\nL=s\n0=1\n" +
               "[shared.ini]\nL=W\n" + "[Help]\nT=help\n" + "[kwp.ini]\n";
    }

    // Runs the removal as OK does, on the root as it is opened at start.
    void run(const std::string& scriptText, const Choices& choices = {}) {
        uninstaller.reset();
        menu.reset();
        script.emplace(IniFile::parse(scriptText), "kwu");
        root.emplace(InstallRoot::open(tmp.layout));
        menu.emplace(*root);
        uninstaller.emplace(*script, names, *root, prompter, *menu);
        observer.uninstaller = &*uninstaller;
        uninstaller->run(choices, observer);
        EXPECT_FALSE(uninstaller->running());
    }

    IniFile store(const fs::path& file) const { return IniFile::load(file).value_or(IniFile{}); }
    std::string pending() const {
        return present(tmp.layout.pendingList) ? readText(tmp.layout.pendingList) : "";
    }
    std::string refusals() const {
        std::string all;
        for (const auto& r : uninstaller->refusals()) all += r + "\n";
        return all;
    }

    testing::TempRoot tmp;
    fs::path app = tmp.root() / "opt" / "drumapp";
    fs::path group = tmp.layout.menuDir / "Drums";
    fs::path otherGroup = tmp.layout.menuDir / "Other";
    ProgramNames names = ProgramNames::of(app / "kwu");
    testing::ScriptedPrompter prompter;
    testing::RecordingObserver observer;
    std::optional<UninstallScript> script;
    std::optional<InstallRoot> root;
    std::optional<DesktopMenu> menu;
    std::optional<Uninstaller> uninstaller;
};

TEST_F(Installed, OkWithEverythingChosenRemovesTheInstallation) {
    run(standardScript());
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_EQ(observer.sections, (std::vector<std::string>{"app.bin", "plugin.so", "libshared.so",
                                                           "shared.ini", "Help", "kwp.ini"}));
    EXPECT_EQ(observer.progress.front(), "Total: 6 Current: 1 Remaining: 5");
    EXPECT_EQ(observer.progress.back(), "Total: 6 Current: 6 Remaining: 0");

    ASSERT_EQ(prompter.asked.size(), 2u);  // the system and the Windows directory's file ask
    const Message& q = prompter.asked[0];
    EXPECT_EQ(q.text, "Is a System File and may be required by other applications. Delete it anyway?");
    EXPECT_EQ(q.caption, (tmp.layout.systemDir / "libshared.so").string());
    EXPECT_TRUE(q.errorIcon && q.systemModal && q.ownedByDialog);

    EXPECT_FALSE(present(app));
    EXPECT_FALSE(present(tmp.layout.systemDir / "libshared.so"));
    EXPECT_FALSE(present(tmp.layout.windowsDir / "shared.ini"));
    EXPECT_FALSE(present(group));
    EXPECT_TRUE(present(otherGroup / "other.desktop"));  // same item name, other group
    EXPECT_TRUE(fs::is_directory(tmp.layout.systemDir));
    EXPECT_TRUE(present(tmp.root() / "opt"));

    EXPECT_EQ(store(tmp.layout.registrarStore).sectionNames(), (std::vector<std::string>{"keep"}));
    EXPECT_EQ(store(tmp.layout.uninstallStore).sectionNames(), (std::vector<std::string>{"other"}));
    EXPECT_EQ(pending(), (app / "kwu.kwu").string() + "\n" + (app / "kwu").string() + "\n");
    EXPECT_FALSE(present(tmp.layout.windowsDir / "WININIT.INI"));
}

TEST_F(Installed, KeptTreeAndGroupShowWhatEachItemRemoved) {
    run(standardScript(), Choices{false, false, true});
    EXPECT_FALSE(present(app / "bin" / "app.bin"));
    EXPECT_FALSE(present(app / "lib" / "plugin.so"));
    EXPECT_TRUE(present(app / "data" / "x" / "y" / "level.txt"));
    EXPECT_FALSE(present(group / "drum.desktop"));  // found by its Name
    EXPECT_FALSE(present(group / "Help.desktop"));  // found by its file name, any case
    EXPECT_TRUE(present(group / "extra.desktop"));
    EXPECT_FALSE(present(app / "kwp.ini"));  // it held only this program's section
    EXPECT_EQ(pending(), (app / "kwu.kwu").string() + "\n" + (app / "kwu").string() + "\n");
}

TEST_F(Installed, SystemFileAnsweredNoStaysRegisteredAndUnaskedGoesWithoutAQuestion) {
    prompter.answers = {false};
    run(standardScript(), Choices{false, true, true});
    EXPECT_TRUE(present(tmp.layout.systemDir / "libshared.so"));
    EXPECT_TRUE(
        store(tmp.layout.registrarStore).hasSection((tmp.layout.systemDir / "libshared.so").string()));
    EXPECT_FALSE(present(tmp.layout.windowsDir / "shared.ini"));  // answered Yes when the queue ran dry
    EXPECT_EQ(prompter.asked.size(), 2u);
}

TEST_F(Installed, SystemFilesGoWithoutQuestionsWhenTheBoxIsOff) {
    run(standardScript(), Choices{false, true, false});
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_FALSE(present(tmp.layout.systemDir / "libshared.so"));
    EXPECT_FALSE(present(tmp.layout.windowsDir / "shared.ini"));
}

TEST_F(Installed, CancelAnsweredYesStopsAfterTheCurrentItemAndKeepsTheScript) {
    observer.cancelAt = 3;
    prompter.answers = {true, true};  // the system file at item 3, then "Do You Really Want To Cancel?"
    run(standardScript());
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].text, "Do You Really Want To Cancel?");
    EXPECT_EQ(prompter.asked[1].caption, "Drum App");
    EXPECT_FALSE(prompter.asked[1].ownedByDialog);
    EXPECT_EQ(observer.sections.size(), 3u);
    EXPECT_FALSE(present(tmp.layout.systemDir / "libshared.so"));  // item 3 was done
    EXPECT_TRUE(present(tmp.layout.windowsDir / "shared.ini"));    // items 4 and on stay
    EXPECT_TRUE(present(app / "kwp.ini"));
    EXPECT_FALSE(present(group));                                  // the group still goes
    EXPECT_TRUE(present(app / "data" / "x" / "y" / "level.txt"));  // the tree stays
    EXPECT_TRUE(store(tmp.layout.uninstallStore).hasSection("kwu"));
    EXPECT_EQ(pending(), "");
    EXPECT_TRUE(uninstaller->cancelRequested());
}

TEST_F(Installed, CancelAnsweredNoGoesOnToTheEnd) {
    observer.cancelAt = 3;
    prompter.answers = {true, false};
    run(standardScript());
    EXPECT_EQ(observer.sections.size(), 6u);
    EXPECT_FALSE(uninstaller->cancelRequested());
    EXPECT_FALSE(present(app));
    EXPECT_FALSE(store(tmp.layout.uninstallStore).hasSection("kwu"));
}

TEST_F(Installed, MissingDirectoryReportsNothingToUninstallAndOnlyCleansUp) {
    run("[kwu]\nP1=Drum App\nP2=" + (tmp.root() / "opt" / "gone").string() +
        "\nP3=Drums\n[app.bin]\nL=" + (app / "bin").string() + "\nT=Drum Machine\n");
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Nothing To Uninstall");
    EXPECT_EQ(prompter.told[0].caption, "Drum App");
    EXPECT_TRUE(prompter.told[0].errorIcon && prompter.told[0].ownedByDialog);
    EXPECT_TRUE(observer.sections.empty());
    EXPECT_TRUE(present(group / "drum.desktop"));
    EXPECT_TRUE(present(app / "bin" / "app.bin"));
    EXPECT_FALSE(store(tmp.layout.uninstallStore).hasSection("kwu"));
    EXPECT_NE(pending(), "");
}

TEST_F(Installed, AScriptWithoutKeysReportsNothingToUninstall) {
    run("");
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Nothing To Uninstall");
    EXPECT_EQ(prompter.told[0].caption, "");
}

TEST_F(Installed, AMenuFolderThatIsNotAFolderRemovesNothing) {
    fs::rename(tmp.layout.menuDir, tmp.root() / "menu-moved");
    for (const bool link : {false, true}) {
        prompter.told.clear();
        if (link)
            fs::create_symlink(tmp.root() / "menu-moved", tmp.layout.menuDir);
        else
            writeText(tmp.layout.menuDir, "not a folder");
        run(standardScript());
        ASSERT_EQ(prompter.told.size(), 1u);
        EXPECT_EQ(prompter.told[0].text, "Cannot Connect With Task Bar For  DDE");
        EXPECT_EQ(prompter.told[0].caption, "Drum App");
        EXPECT_TRUE(observer.sections.empty());
        EXPECT_TRUE(present(app / "bin" / "app.bin"));
        EXPECT_TRUE(present(tmp.root() / "menu-moved" / "Drums" / "drum.desktop"));
        EXPECT_TRUE(store(tmp.layout.uninstallStore).hasSection("kwu"));
        EXPECT_EQ(pending(), "");
        fs::remove(tmp.layout.menuDir);
    }
}

TEST_F(Installed, AMissingMenuFolderIsAnEmptyMenu) {
    fs::remove_all(tmp.layout.menuDir);
    run(standardScript());
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_EQ(observer.sections.size(), 6u);
    EXPECT_FALSE(present(app));
    EXPECT_FALSE(present(tmp.layout.systemDir / "libshared.so"));
    EXPECT_FALSE(present(tmp.layout.menuDir));  // nothing is made up in its place
    EXPECT_NE(pending(), "");
}

TEST_F(Installed, OnlyTheMainSectionStillRemovesGroupTreeAndEntry) {
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\nP3=Drums\n");
    EXPECT_TRUE(observer.sections.empty());
    EXPECT_FALSE(present(group));
    EXPECT_FALSE(present(app));
    EXPECT_FALSE(store(tmp.layout.uninstallStore).hasSection("kwu"));
}

TEST_F(Installed, InstallerLogKeepsOtherProgramsSectionsAndEachLineEnding) {
    writeText(app / "kwp.ini", "[Other]\r\nStatus=Installed\r\n[drum app]\nVersion=1\nFiles=9\n");
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\n[KWP.INI]\nL=" + app.string() + "\n",
        Choices{false, false, true});
    EXPECT_EQ(readText(app / "kwp.ini"), "[Other]\r\nStatus=Installed\r\n[drum app]\nStatus=Removed\n");
    EXPECT_TRUE(prompter.toldTexts().empty());
}

TEST_F(Installed, UnwritablePendingListFallsBackToWininit) {
    fs::create_directories(tmp.layout.pendingList);  // a folder where the list should be
    run(standardScript());
    EXPECT_EQ(readText(tmp.layout.windowsDir / "WININIT.INI"),
              "[rename]\nNULL = " + (app / "kwu").string() + "\nNULL = " + (app / "kwu.kwu").string() + "\n");
}

// Hostile scripts: every escape is refused with its reason, all reasons come in one message, and
// nothing outside the root changes, by content or by mode.
TEST_F(Installed, HostileItemsAreRefusedInOneSummaryAndNothingOutsideTheRootChanges) {
    fs::create_symlink(tmp.outside(), tmp.root() / "opt" / "escape");
    const auto outsideBefore = listing(tmp.outside());
    const auto otherGroupBefore = listing(otherGroup);
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\nP3=Drums\n" +
            "[../../outside/keep.txt]\nL=" + app.string() + "\n" + "[keep.txt]\nL=" + tmp.outside().string() +
            "\n" + "[a.txt]\nL=" + app.string() + "/../../../outside\n" +
            "[deep.txt]\nL=" + (tmp.root() / "opt" / "escape" / "sub").string() + "\n" +
            "[b.txt]\nL=opt/relative\n" + "[passwd]\nL=/etc\n" + "[menu]\nT=x)][DeleteGroup(Other)\n" +
            "[..]\nL=s\n" + "[ctl\x1b[2J]\nL=s\n",
        Choices{false, true, true});
    const std::string all = refusals();
    for (const char* reason :
         {"\"../../outside/keep.txt\" as a file name: it holds a folder separator",
          "outside the installation root", "holds a \"..\" part", "leads through the symbolic link \"",
          "only absolute paths", "menu command", "\"..\" as a file name: it names a folder",
          "\"ctl\\x1B[2J\" as a file name: it holds control bytes"})
        EXPECT_NE(all.find(reason), std::string::npos) << reason << "\n" << all;
    EXPECT_EQ(uninstaller->refusals().size(), 9u) << all;
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].caption, "Drum App");
    EXPECT_TRUE(prompter.told[0].errorIcon && prompter.told[0].ownedByDialog);
    EXPECT_NE(prompter.told[0].text.find("9 entries were left in place"), std::string::npos);
    for (const auto& refusal : uninstaller->refusals())
        EXPECT_NE(prompter.told[0].text.find(refusal), std::string::npos) << refusal;
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_EQ(listing(tmp.outside()), outsideBefore);
    EXPECT_EQ(listing(otherGroup), otherGroupBefore);
    EXPECT_TRUE(fs::is_directory(tmp.layout.systemDir));
}

TEST_F(Installed, ThousandsOfRefusalsStillMakeOneMessage) {
    std::string text = "[kwu]\nP1=Drum App\nP2=" + app.string() + "\n";
    for (int i = 0; i < 2000; ++i) text += "[x" + std::to_string(i) + "]\nL=/etc\n";
    run(text, Choices{false, false, false});
    ASSERT_EQ(prompter.told.size(), 1u);
    const Message& summary = prompter.told[0];
    EXPECT_NE(summary.text.find("2000 entries were left in place"), std::string::npos);
    EXPECT_NE(summary.text.find("and 1980 more"), std::string::npos);
    EXPECT_EQ(summary.text.find("\"/etc/x20\""), std::string::npos);  // the 21st is only in the details
    EXPECT_EQ(std::count(summary.details.begin(), summary.details.end(), '\n'), 2000);
    EXPECT_NE(summary.details.find("\"/etc/x1999\": it lies outside the installation root"),
              std::string::npos);
}

TEST_F(Installed, HostileDirectoriesAndGroupsAreRefused) {
    struct Case {
        std::string directory;
        std::string group;
        std::string reason;
    };
    fs::create_symlink(tmp.outside(), tmp.root() / "opt" / "escape");
    fs::create_symlink(tmp.root() / "opt", tmp.root() / "opt-link");
    const Case cases[] = {
        {tmp.root().string(), "Drums", "installation root itself"},
        {tmp.root().parent_path().string(), "Drums", "outside the installation root"},
        {tmp.outside().string(), "Drums", "outside the installation root"},
        {(tmp.root() / "opt" / "escape").string(), "Drums", "it is a symbolic link"},
        {(tmp.root() / "opt-link" / "drumapp").string(), "Drums", "leads through the symbolic link"},
        {tmp.layout.windowsDir.string(), "Drums", "must stay"},
        {app.string() + "/../../..", "Drums", "holds a \"..\" part"},
        {app.string(), "Other),(x", "menu command"},
        {app.string(), "..", "as a menu name: it names a folder"},
    };
    const auto outsideBefore = listing(tmp.outside());
    const auto menuBefore = listing(otherGroup);
    for (const auto& c : cases) {
        writeText(app / "again.txt", "the tree comes back for each case");
        run("[kwu]\nP1=T\nP2=" + c.directory + "\nP3=" + c.group + "\n");
        EXPECT_NE(refusals().find(c.reason), std::string::npos)
            << c.directory << " " << c.group << ": " << refusals();
        EXPECT_EQ(listing(tmp.outside()), outsideBefore);
        EXPECT_EQ(listing(otherGroup), menuBefore);
        EXPECT_TRUE(fs::is_directory(tmp.layout.menuDir));
        EXPECT_TRUE(fs::is_directory(tmp.root()));
    }
}

// The tree goes only when it holds this installation's own files, and never when it is a folder
// other programs share.
TEST_F(Installed, ATreeGoesOnlyWithItsOwnScriptOrLogAndNeverWhenShared) {
    struct Case {
        fs::path folder;
        std::string script;   // the uninstaller's script placed in the folder ("" for none)
        std::string log;      // kwp.ini placed in the folder ("" for none)
        std::string refusal;  // "" when the tree goes
    };
    const fs::path other = tmp.root() / "opt" / "otherapp";
    const fs::path icons = tmp.layout.windowsDir / "icons";
    const Case cases[] = {
        {other, "", "", "holds neither this uninstaller's script"},
        {other, "", "[Someone Else]\nVersion=2\n", "has a section for another program, \"Someone Else\""},
        {other, "", "[drum app]\nVersion=1\n", ""},
        {other, "kwu.kwu", "", ""},
        {icons, "kwu.kwu", "[Drum App]\n", "is a folder that other programs share (share/icons)"},
        {icons / "hicolor", "kwu.kwu", "[Drum App]\n", "lies inside a folder that other programs share"},
    };
    for (const auto& c : cases) {
        writeText(c.folder / "theme" / "x.png", "picture");
        if (!c.script.empty()) writeText(c.folder / c.script, "[kwu]\n");
        if (!c.log.empty()) writeText(c.folder / "kwp.ini", c.log);
        names = ProgramNames::of(c.script.empty() ? app / "kwu" : c.folder / "kwu");
        run("[kwu]\nP1=Drum App\nP2=" + c.folder.string() + "\n", Choices{true, false, false});
        if (c.refusal.empty()) {
            EXPECT_FALSE(present(c.folder)) << c.folder << ": " << refusals();
        } else {
            EXPECT_TRUE(present(c.folder / "theme" / "x.png")) << c.folder;
            EXPECT_NE(refusals().find(c.refusal), std::string::npos) << c.folder << ": " << refusals();
        }
        fs::remove_all(c.folder);
    }
}

// A folder between the root and a file is swapped for a link while the question about the file is
// open: the file is reached from the root's descriptor, so the link is met and refused.
TEST_F(Installed, AFolderSwappedForALinkAfterTheCheckIsNotFollowed) {
    writeText(tmp.outside() / "libshared.so", "outside, same name");
    const auto outsideBefore = listing(tmp.outside());
    prompter.onAsk = [&](const Message&) {
        fs::rename(tmp.layout.systemDir, tmp.root() / "lib-real");
        fs::create_symlink(tmp.outside(), tmp.layout.systemDir);
        return true;
    };
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\n[libshared.so]\nL=S\n", Choices{false, false, true});
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(listing(tmp.outside()), outsideBefore);
    EXPECT_TRUE(present(tmp.root() / "lib-real" / "libshared.so"));
    EXPECT_NE(refusals().find("leads through the symbolic link \"" + tmp.layout.systemDir.string() + "\""),
              std::string::npos)
        << refusals();
}

TEST_F(Installed, ADirectoryNameThatIsNotUtf8IsRemovedByItsBytes) {
    const fs::path odd = tmp.root() / "opt" / "dr\xff\xfe-app";
    writeText(odd / "bin" / "app.bin", "binary");
    writeText(odd / "kwu.kwu", "script");
    names = ProgramNames::of(odd / "kwu");
    run("[kwu]\nP1=Drum App\nP2=" + odd.string() + "\n[app.bin]\nL=" + (odd / "bin").string() + "\n");
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_FALSE(present(odd));
    EXPECT_EQ(pending(), (odd / "kwu.kwu").string() + "\n" + (odd / "kwu").string() + "\n");
}

TEST_F(Installed, ARefusedRootRemovesNothing) {
    // A home folder at the root: the guard refuses everything, whatever the startup let through.
    tmp.layout = InstallLayout::under(tmp.root(), tmp.root());
    const auto before = listing(tmp.root());
    run(standardScript());
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_NE(prompter.told[0].text.find("it is the home folder"), std::string::npos)
        << prompter.told[0].text;
    EXPECT_TRUE(observer.sections.empty());
    EXPECT_EQ(listing(tmp.root()), before);
}

// The tree holds a folder mounted from outside the root: the folder is left, reported, and what it
// shows is untouched. The mount lives in a mount namespace of a child process.
TEST_F(Installed, AMountPointInTheTreeIsLeftAndReported) {
    fs::create_directories(app / "data" / "mnt");
    writeText(tmp.outside() / "mounted" / "precious.txt", "outside");
    const auto before = listing(tmp.outside());
    const int code = testing::inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) return testing::kChildSkipped;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return testing::kChildSkipped;
        if (::mount((tmp.outside() / "mounted").c_str(), (app / "data" / "mnt").c_str(), nullptr, MS_BIND,
                    nullptr) != 0)
            return testing::kChildSkipped;
        run(standardScript());
        const std::string expected =
            "Left the folder \"" + (app / "data" / "mnt").string() + "\": it lies on another device or mount";
        return prompter.told.size() == 1 && prompter.told[0].text.find(expected) != std::string::npos ? 0 : 1;
    });
    if (code == testing::kChildSkipped)
        GTEST_SKIP() << "this test cannot make a mount namespace and mount in it";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(listing(tmp.outside()), before);
    EXPECT_TRUE(fs::is_directory(app / "data" / "mnt"));
    EXPECT_FALSE(present(app / "bin"));
}

// A tree whose installer log (or a log deeper in it) has a live section for another program holds
// that program's files: it stays whole, reported, even when this uninstaller's script lies in it.
// A section of a program already removed does not count.
TEST_F(Installed, ATreeWhoseLogsNameAnotherInstalledProgramStays) {
    struct Case {
        fs::path tree;     // P2
        fs::path program;  // where kwu and its script lie
        fs::path log;      // the other program's log
        std::string logText;
        fs::path others;  // the other program's files
        bool goes;
    };
    const fs::path suite = tmp.root() / "opt" / "suite";
    const Case cases[] = {
        {app, app, app / "kwp.ini", "[Drum App]\nVersion=1\n[Other App]\nVersion=3\n", app / "other", false},
        {app, app, app / "kwp.ini", "[Drum App]\r\n[other app]\r\nVersion=3", app / "other", false},
        {suite, suite / "drum", suite / "other" / "KWP.INI", "[Other App]\nVersion=3\n", suite / "other",
         false},
        {app, app, app / "kwp.ini", "[Drum App]\nVersion=1\n[Other App]\nstatus = removed\n", app / "other",
         true},
    };
    for (const auto& c : cases) {
        writeText(c.program / "kwu.kwu", "[kwu]\n");
        writeText(c.program / "drum.bin", "drum");
        writeText(c.log, c.logText);
        writeText(c.others / "other.bin", "other");
        writeText(c.others / "data" / "song.mid", "song");
        const auto othersBefore = listing(c.others);
        names = ProgramNames::of(c.program / "kwu");
        run("[kwu]\nP1=Drum App\nP2=" + c.tree.string() + "\n[kwp.ini]\n", Choices{true, false, false});
        if (c.goes) {
            EXPECT_FALSE(present(c.tree)) << c.logText << refusals();
        } else {
            EXPECT_EQ(listing(c.others), othersBefore) << c.logText;
            EXPECT_TRUE(present(c.program / "drum.bin")) << c.logText;
            const std::string expected = "Refused to remove the folder \"" + c.tree.string() +
                                         "\": its installer log \"" + c.log.string() +
                                         "\" has a section for another program";
            EXPECT_NE(refusals().find(expected), std::string::npos) << refusals();
            EXPECT_NE(prompter.toldTexts().find(expected), std::string::npos);
        }
        prompter.told.clear();
        fs::remove_all(c.tree);
    }
}

// Everything left in place has its line in the summary: a tree partly left behind a folder the
// process cannot enter (mode 000) or whose entries it cannot delete (a folder of root's, for a
// normal user).
TEST_F(Installed, FoldersTheProcessCannotEnterOrEmptyAreListedInTheSummary) {
    writeText(app / "locked" / "inside.txt", "stays");
    writeText(app / "theirs" / "inside.txt", "stays");
    const bool asRoot = ::geteuid() == 0;
    const int code = testing::inChild([&] {
        if (!testing::giveToNobody(tmp.base())) return testing::kChildSkipped;
        if (::chmod((app / "locked").c_str(), 0) != 0) return testing::kChildSkipped;
        // Only root can hand a folder to someone else; without root the first case stands alone.
        if (asRoot && ::lchown((app / "theirs").c_str(), 0, 0) != 0) return testing::kChildSkipped;
        if (asRoot && ::lchown((app / "theirs" / "inside.txt").c_str(), 0, 0) != 0)
            return testing::kChildSkipped;
        if (!testing::dropToNobody()) return testing::kChildSkipped;
        run(standardScript(), Choices{true, false, false});
        const std::string all = prompter.toldTexts();
        std::fprintf(stderr, "%s\n", all.c_str());
        if (all.find("Left the folder \"" + (app / "locked").string() +
                     "\" with everything in it: it cannot be opened (Permission denied).") ==
            std::string::npos)
            return 1;
        if (asRoot &&
            all.find("Left the folder \"" + (app / "theirs").string() +
                     "\": 1 entry in it could not be deleted (Permission denied).") == std::string::npos)
            return 2;
        if (uninstaller->refusals().size() != (asRoot ? 2u : 1u)) return 3;  // no line for the folders above
        return present(app / "bin") ? 4 : 0;
    });
    if (code == testing::kChildSkipped) GTEST_SKIP() << "cannot become an unprivileged user here";
    EXPECT_EQ(code, 0);
    ::chmod((app / "locked").c_str(), 0755);
    EXPECT_TRUE(present(app / "locked" / "inside.txt"));
}

// When neither the list of pending deletions nor WININIT.INI can be written, the uninstaller and
// its script stay after the next start: the summary says so.
TEST_F(Installed, AnUninstallerThatCannotBeScheduledForDeletionIsListedInTheSummary) {
    fs::create_directories(tmp.layout.pendingList);
    fs::create_directories(tmp.layout.windowsDir / "WININIT.INI");
    run(standardScript(), Choices{false, false, false});
    EXPECT_EQ(uninstaller->refusals(),
              (std::vector<std::string>{
                  "Left the uninstaller \"" + (app / "kwu").string() + "\" and its script \"" +
                  (app / "kwu.kwu").string() +
                  "\": they could not be scheduled for deletion at the next start: neither \"" +
                  tmp.layout.pendingList.string() + "\" nor \"" +
                  (tmp.layout.windowsDir / "WININIT.INI").string() + "\" could be written."}));
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_NE(prompter.told[0].text.find("Left the uninstaller"), std::string::npos);
}

// Mount points inside the root are never crossed: not by an item whose folder lies on the mount,
// and not by the menu when a group is one. Both are left and listed; what the mounts show is
// untouched. The mounts live in a mount namespace of a child process.
TEST_F(Installed, ItemsAndTheMenuNeverCrossAMountPoint) {
    fs::create_directories(app / "mnt");
    writeText(tmp.outside() / "mounted" / "precious.txt", "outside");
    writeText(tmp.outside() / "mounted" / "sub" / "deep.txt", "outside");
    writeText(tmp.outside() / "group" / "drum.desktop", "[Desktop Entry]\nName=Drum Machine\n");
    fs::create_directories(tmp.layout.menuDir / "Mounted");
    const auto before = listing(tmp.outside());
    const int code = testing::inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) return testing::kChildSkipped;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return testing::kChildSkipped;
        if (::mount((tmp.outside() / "mounted").c_str(), (app / "mnt").c_str(), nullptr, MS_BIND, nullptr) !=
                0 ||
            ::mount((tmp.outside() / "group").c_str(), (tmp.layout.menuDir / "Mounted").c_str(), nullptr,
                    MS_BIND, nullptr) != 0)
            return testing::kChildSkipped;
        run("[kwu]\nP1=Drum App\nP2=" + app.string() +
                "\nP3=mounted\n[precious.txt]\nL=" + (app / "mnt").string() +
                "\n[deep.txt]\nL=" + (app / "mnt" / "sub").string() + "\nT=Drum Machine\n",
            Choices{false, true, false});
        const std::string all = refusals();
        std::fprintf(stderr, "%s\n", all.c_str());
        const std::string item = "\": it leads onto another device or mount at \"" + (app / "mnt").string() +
                                 "\", which the uninstaller never enters.";
        if (all.find("Refused \"" + (app / "mnt" / "precious.txt").string() + item) == std::string::npos)
            return 1;
        if (all.find("Refused \"" + (app / "mnt" / "sub" / "deep.txt").string() + item) == std::string::npos)
            return 2;
        if (all.find("Left the menu group \"" + (tmp.layout.menuDir / "Mounted").string() +
                     "\" with its items: it lies on another device or mount") == std::string::npos)
            return 3;
        return uninstaller->refusals().size() == 3 ? 0 : 4;
    });
    if (code == testing::kChildSkipped)
        GTEST_SKIP() << "this test cannot make a mount namespace and mount in it";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(listing(tmp.outside()), before);
    EXPECT_TRUE(fs::is_directory(tmp.layout.menuDir / "Mounted"));
}

TEST_F(Installed, AnEmptyGroupDeletesNoGroup) {
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\n[x]\nT=Extra\n");
    EXPECT_TRUE(present(group / "extra.desktop"));
    EXPECT_TRUE(present(otherGroup));
    EXPECT_TRUE(prompter.toldTexts().empty());
}

// A root reached through a link (a home folder on another disk): scripts spell paths through the
// link, and they are inside the root all the same.
TEST(RootThroughALink, PathsSpelledThroughTheLinkAreInsideTheRoot) {
    testing::TempRoot tmp;
    const auto spelledRoot = tmp.base() / "link-to-root";
    std::filesystem::create_symlink(tmp.root(), spelledRoot);
    const InstallLayout layout = InstallLayout::under(spelledRoot, {});
    EXPECT_EQ(layout.root, tmp.root());
    const auto app = spelledRoot / "opt" / "app";
    testing::writeText(tmp.root() / "opt" / "app" / "plugin.so", "p");
    testing::writeText(tmp.root() / "opt" / "app" / "kwu.kwu", "script");
    testing::writeText(layout.registrarStore, "[" + (app / "plugin.so").string() + "]\nid=1\n");

    const UninstallScript script(
        IniFile::parse("[kwu]\nP1=T\nP2=" + app.string() + "\n[plugin.so]\nL=" + app.string() + "\n0=1\n"),
        "kwu");
    testing::ScriptedPrompter prompter;
    testing::RecordingObserver observer;
    const InstallRoot root = InstallRoot::open(layout);
    DesktopMenu menu(root);
    Uninstaller uninstaller(script, ProgramNames::of(app / "kwu"), root, prompter, menu);
    uninstaller.run(Choices{}, observer);
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_FALSE(testing::present(tmp.root() / "opt" / "app"));
    EXPECT_TRUE(IniFile::load(layout.registrarStore)->sectionNames().empty());
    EXPECT_TRUE(std::filesystem::is_symlink(spelledRoot));
}

}  // namespace
}  // namespace kwu
