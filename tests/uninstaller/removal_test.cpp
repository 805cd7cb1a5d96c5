#include "uninstaller/removal.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"
#include "uninstaller/desktop_menu.h"
#include "uninstaller/ini_file.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
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
    }

    std::string standardScript() const {
        return "[KWU]\nP1=Drum App\nP2=" + app.string() + "\nP3=drums\n" +
               "[app.bin]\nL=" + (app / "bin").string() + "\nT=Drum Machine\n" +
               "[plugin.so]\nL=" + (app / "lib").string() + "\n0=1\n" + "[libshared.so]\nL=s\n0=1\n" +
               "[shared.ini]\nL=W\n" + "[Help]\nT=help\n" + "[kwp.ini]\n";
    }

    // Runs the removal as OK does and returns the told and asked messages.
    void run(const std::string& scriptText, const Choices& choices = {}, const std::string& directory = "") {
        script.emplace(IniFile::parse(scriptText), "kwu");
        uninstaller.emplace(*script, names, tmp.layout, prompter, menu);
        observer.uninstaller = &*uninstaller;
        uninstaller->run(choices, directory.empty() ? script->texts().directory : directory, observer);
        EXPECT_FALSE(uninstaller->running());
    }

    IniFile store(const fs::path& file) const { return IniFile::load(file).value_or(IniFile{}); }
    std::string pending() const {
        return present(tmp.layout.pendingList) ? readText(tmp.layout.pendingList) : "";
    }

    testing::TempRoot tmp;
    fs::path app = tmp.root() / "opt" / "drumapp";
    fs::path group = tmp.layout.menuDir / "Drums";
    fs::path otherGroup = tmp.layout.menuDir / "Other";
    ProgramNames names = ProgramNames::of(app / "kwu");
    testing::ScriptedPrompter prompter;
    testing::RecordingObserver observer;
    DesktopMenu menu{tmp.layout.menuDir};
    std::optional<UninstallScript> script;
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
    run(standardScript(), Choices{}, (tmp.root() / "opt" / "gone").string());
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

TEST_F(Installed, UnreachableMenuRemovesNothing) {
    fs::rename(tmp.layout.menuDir, tmp.root() / "menu-moved");
    writeText(tmp.layout.menuDir, "not a folder");
    run(standardScript());
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Cannot Connect With Task Bar For  DDE");
    EXPECT_EQ(prompter.told[0].caption, "Drum App");
    EXPECT_TRUE(observer.sections.empty());
    EXPECT_TRUE(present(app / "bin" / "app.bin"));
    EXPECT_TRUE(store(tmp.layout.uninstallStore).hasSection("kwu"));
    EXPECT_EQ(pending(), "");
}

TEST_F(Installed, OnlyTheMainSectionStillRemovesGroupTreeAndEntry) {
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\nP3=Drums\n");
    EXPECT_TRUE(observer.sections.empty());
    EXPECT_FALSE(present(group));
    EXPECT_FALSE(present(app));
    EXPECT_FALSE(store(tmp.layout.uninstallStore).hasSection("kwu"));
}

TEST_F(Installed, InstallerLogKeepsOtherProgramsSections) {
    writeText(app / "kwp.ini", "[Other]\nStatus=Installed\n[drum app]\nVersion=1\nFiles=9\n");
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\n[KWP.INI]\nL=" + app.string() + "\n",
        Choices{false, false, true});
    EXPECT_EQ(readText(app / "kwp.ini"), "[Other]\nStatus=Installed\n[drum app]\nStatus=Removed\n");
    EXPECT_TRUE(prompter.toldTexts().empty());
}

TEST_F(Installed, UnwritablePendingListFallsBackToWininit) {
    fs::create_directories(tmp.layout.pendingList);  // a folder where the list should be
    run(standardScript());
    EXPECT_EQ(readText(tmp.layout.windowsDir / "WININIT.INI"),
              "[rename]\nNULL = " + (app / "kwu").string() + "\nNULL = " + (app / "kwu.kwu").string() + "\n");
}

// Hostile scripts: every escape is refused with a message and nothing outside the root changes.
TEST_F(Installed, HostileItemsAreRefusedAndNothingOutsideTheRootIsTouched) {
    fs::create_symlink(tmp.outside(), tmp.root() / "opt" / "escape");
    writeText(tmp.outside() / "sub" / "deep.txt", "outside");
    run("[kwu]\nP1=Drum App\nP2=" + app.string() + "\nP3=Drums\n" +
            "[../../outside/keep.txt]\nL=" + app.string() + "\n" + "[keep.txt]\nL=" + tmp.outside().string() +
            "\n" + "[a.txt]\nL=" + app.string() + "/../../../outside\n" + "[deep.txt]\nL=" +
            (tmp.root() / "opt" / "escape" / "sub").string() + "\n" + "[b.txt]\nL=opt/relative\n" +
            "[passwd]\nL=/etc\n" + "[menu]\nT=x)][DeleteGroup(Other)\n" + "[..]\nL=s\n",
        Choices{false, true, true});
    const std::string told = prompter.toldTexts();
    EXPECT_NE(told.find("\"../../outside/keep.txt\": a file name must be a plain name"), std::string::npos)
        << told;
    EXPECT_NE(told.find("outside the installation root"), std::string::npos) << told;
    EXPECT_NE(told.find("\"..\""), std::string::npos) << told;
    EXPECT_NE(told.find("symbolic link"), std::string::npos) << told;
    EXPECT_NE(told.find("absolute"), std::string::npos) << told;
    EXPECT_NE(told.find("menu command"), std::string::npos) << told;
    EXPECT_EQ(prompter.told.size(), 8u) << told;
    for (const auto& m : prompter.told) EXPECT_EQ(m.caption, "Drum App");
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_TRUE(present(tmp.outside() / "keep.txt"));
    EXPECT_TRUE(present(tmp.outside() / "sub" / "deep.txt"));
    EXPECT_TRUE(present(otherGroup / "other.desktop"));
    EXPECT_TRUE(fs::is_directory(tmp.layout.systemDir));
}

TEST_F(Installed, HostileDirectoriesAndGroupsAreRefused) {
    struct Case {
        std::string directory;
        std::string group;
        std::string reason;
    };
    fs::create_symlink(tmp.outside(), tmp.root() / "opt" / "escape");
    const Case cases[] = {
        {tmp.root().string(), "Drums", "installation root itself"},
        {tmp.root().parent_path().string(), "Drums", "outside the installation root"},
        {tmp.outside().string(), "Drums", "outside the installation root"},
        {(tmp.root() / "opt" / "escape").string(), "Drums", "symbolic link"},
        {tmp.layout.windowsDir.string(), "Drums", "must stay"},
        {app.string() + "/../../..", "Drums", "\"..\""},
        {app.string(), "Other),(x", "menu command"},
        {app.string(), "..", "plain name"},
    };
    for (const auto& c : cases) {
        prompter.told.clear();
        writeText(app / "again.txt", "the tree comes back for each case");
        run("[kwu]\nP1=T\nP2=" + c.directory + "\nP3=" + c.group + "\n");
        EXPECT_NE(prompter.toldTexts().find(c.reason), std::string::npos)
            << c.directory << " " << c.group << ": " << prompter.toldTexts();
        EXPECT_TRUE(present(tmp.outside() / "keep.txt"));
        EXPECT_TRUE(present(otherGroup / "other.desktop"));
        EXPECT_TRUE(fs::is_directory(tmp.layout.menuDir));
        EXPECT_TRUE(fs::is_directory(tmp.root()));
    }
}

TEST_F(Installed, AnEmptyGroupDeletesNoGroup) {
    run("[kwu]\nP1=T\nP2=" + app.string() + "\n[x]\nT=Extra\n");
    EXPECT_TRUE(present(group / "extra.desktop"));
    EXPECT_TRUE(present(otherGroup));
    EXPECT_TRUE(prompter.toldTexts().empty());
}

}  // namespace
}  // namespace kwu

namespace kwu {
namespace {

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
    testing::writeText(layout.registrarStore, "[" + (app / "plugin.so").string() + "]\nid=1\n");

    const UninstallScript script(
        IniFile::parse("[kwu]\nP1=T\nP2=" + app.string() + "\n[plugin.so]\nL=" + app.string() + "\n0=1\n"),
        "kwu");
    testing::ScriptedPrompter prompter;
    testing::RecordingObserver observer;
    DesktopMenu menu(layout.menuDir);
    Uninstaller uninstaller(script, ProgramNames::of(app / "kwu"), layout, prompter, menu);
    uninstaller.run(Choices{}, script.texts().directory, observer);
    EXPECT_EQ(prompter.toldTexts(), "");
    EXPECT_FALSE(testing::present(tmp.root() / "opt" / "app"));
    EXPECT_TRUE(IniFile::load(layout.registrarStore)->sectionNames().empty());
    EXPECT_TRUE(std::filesystem::is_symlink(spelledRoot));
}

}  // namespace
}  // namespace kwu
