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

// A script of many sections (an installer that lists every file): every section is an item in file
// order, and items of one name all read the first such section's keys, as the profile functions do.
TEST(UninstallScript, ManySectionsKeepTheirOrderAndTheFirstOfANameWins) {
    std::string text = "[kwu]\nP1=Big\n";
    for (int i = 0; i < 50000; ++i)
        text += "[f" + std::to_string(i) + ".dat]\nL=/opt/big/" + std::to_string(i % 7) + "\n";
    text += "[F7.DAT]\nL=/elsewhere\nT=never read\n[kwu]\nP1=second main section\n";
    const auto s = script(text);
    EXPECT_EQ(s.texts().title, "Big");
    ASSERT_EQ(s.itemSections().size(), 50001u);  // the second main section is not an item
    EXPECT_EQ(s.itemSections()[0], "f0.dat");
    EXPECT_EQ(s.itemSections()[49999], "f49999.dat");
    EXPECT_EQ(s.itemSections()[50000], "F7.DAT");
    EXPECT_EQ(s.item("F7.DAT").location, "/opt/big/0");
    EXPECT_EQ(s.item("F7.DAT").menuItem, "");
    EXPECT_EQ(s.item("f49999.dat").location, "/opt/big/" + std::to_string(49999 % 7));
    EXPECT_EQ(s.countLine(), "Scheduled Files: 50001");
}

TEST(UninstallScript, KeepsAtMost259CharactersOfAText) {
    const auto s = script("[kwu]\nP1=" + std::string(300, 't') + "\n");
    EXPECT_EQ(s.texts().title.size(), 259u);
}

}  // namespace
}  // namespace kwu
