#include "uninstaller/uninstall_script.h"

#include <gtest/gtest.h>

namespace kwu {
namespace {

UninstallScript script(const std::string& text, const std::string& base = "kwu") {
    return UninstallScript(IniFile::parse(text), base);
}

TEST(UninstallScript, AScriptWithoutMainKeysUsesTheDefaults) {
    const auto s = script("");
    EXPECT_EQ(s.texts().title, "");
    EXPECT_EQ(s.texts().directory, "");
    EXPECT_EQ(s.dialogTitle(), " Uninstall");
    EXPECT_EQ(s.countLine(), "Scheduled Files: 0");
    EXPECT_EQ(s.texts().directoryLabel, "Applicatio Directory");
    EXPECT_EQ(s.texts().statusLine, "Choose OK to Start or Cancel To Quit");
    EXPECT_EQ(s.menuUnreachableMessage(), "Cannot Connect With Task Bar For  DDE");
    EXPECT_EQ(s.progressLine(2), "Total: 0 Current: 2 Remaining: -2");
}

TEST(UninstallScript, ReadsTheMainSectionByBaseNameInAnyCaseAndCountsTheOthers) {
    const auto s = script(
        "[KWU]\nP1=Drum App\nP2=/opt/drum\nP3=Drums\nD13=Remove\nE9=menu\n"
        "[drum.bin]\nL=/opt/drum\n[KWP.INI]\n[help.txt]\nT=Help\n",
        "kwu");
    EXPECT_EQ(s.dialogTitle(), "Drum App Remove");
    EXPECT_EQ(s.texts().directory, "/opt/drum");
    EXPECT_EQ(s.texts().group, "Drums");
    EXPECT_EQ(s.menuUnreachableMessage(), "Cannot Connect With Task Bar For  menu");
    EXPECT_EQ(s.itemSections(), (std::vector<std::string>{"drum.bin", "KWP.INI", "help.txt"}));
    EXPECT_EQ(s.countLine(), "Scheduled Files: 3");
    EXPECT_EQ(s.progressLine(1), "Total: 3 Current: 1 Remaining: 2");
    EXPECT_TRUE(isInstallerLogSection("KWP.INI"));
    EXPECT_FALSE(isInstallerLogSection("kwp.ini.bak"));
}

TEST(UninstallScript, ReadsItemKeys) {
    const auto s = script("[kwu]\n[a.so]\nL=w\n0=1\nT=A item\n[b]\n0=abc\n");
    const ItemEntry a = s.item("A.SO");
    EXPECT_EQ(a.name, "A.SO");
    EXPECT_EQ(a.location, "w");
    EXPECT_TRUE(a.unregister);
    EXPECT_EQ(a.menuItem, "A item");
    const ItemEntry b = s.item("b");
    EXPECT_EQ(b.location, "");
    EXPECT_FALSE(b.unregister);
    EXPECT_EQ(b.menuItem, "");
}

TEST(UninstallScript, KeepsAtMost259CharactersOfAText) {
    const auto s = script("[kwu]\nP1=" + std::string(300, 't') + "\n");
    EXPECT_EQ(s.texts().title.size(), 259u);
}

}  // namespace
}  // namespace kwu
