#include "uninstaller/ini_file.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

const char* const kSample =
    "; installer notes\n"
    "[Main]\n"
    "Title = My App \n"
    "Quoted=\"  spaced  \"\n"
    "Empty=\n"
    "\n"
    "[Other]\n"
    "title=second\n"
    "[MAIN]\n"
    "Title=duplicate\n";

TEST(IniFile, LooksUpCaseInsensitivelyWithTrimmingQuotesAndDefaults) {
    const IniFile ini = IniFile::parse(kSample);
    EXPECT_EQ(ini.getString("main", "TITLE", "x"), "My App");
    EXPECT_EQ(ini.getString("Main", "Quoted", "x"), "  spaced  ");
    EXPECT_EQ(ini.getString("Main", "Empty", "x"), "");  // present but empty is not the default
    EXPECT_EQ(ini.getString("Main", "Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.getString("Nowhere", "Title", "fallback"), "fallback");
    EXPECT_EQ(ini.getString("other", "Title", ""), "second");  // keys do not leak across sections
}

TEST(IniFile, ListsEverySectionHeaderInFileOrder) {
    const IniFile ini = IniFile::parse(kSample);
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"Main", "Other", "MAIN"}));
    EXPECT_EQ(IniFile::parse("[a.dll]x\n  [ b ]\n[c\nno header\n").sectionNames(),
              (std::vector<std::string>{"a.dll", "b", "c"}));
    EXPECT_TRUE(IniFile::parse("").sectionNames().empty());
}

TEST(IniFile, TruncatesValuesToTheBufferSize) {
    const std::string longValue(400, 'v');
    const IniFile ini = IniFile::parse("[s]\nk=" + longValue + "\n");
    EXPECT_EQ(ini.getString("s", "k", "", 259), std::string(259, 'v'));
    EXPECT_EQ(ini.getString("s", "k", "").size(), 400u);
}

TEST(IniFile, ReadsIntegersAsTheProfileFunctionsDo) {
    struct Case {
        const char* text;
        long expected;
    };
    const Case cases[] = {
        {"[s]\nn=1\n", 1},      {"[s]\nn= 42 \n", 42},
        {"[s]\nn=7abc\n", 7},   {"[s]\nn=abc\n", 0},
        {"[s]\nn=\n", 0},       {"[s]\nn=-3\n", 0},
        {"[s]\nother=1\n", -5}, {"[s]\nn=99999999999999999999\n", 999999999},
    };
    for (const auto& c : cases) EXPECT_EQ(IniFile::parse(c.text).getInt("s", "N", -5), c.expected) << c.text;
}

TEST(IniFile, WritingKeepsOtherLinesAndSectionPlaces) {
    IniFile ini = IniFile::parse("; head\r\n[App]\r\nA=1\r\nB=2\r\n\r\n[Other]\r\nC=3\r\n");
    ini.clearSection("app");
    ini.setString("APP", "Status", "Removed");
    ini.setString("other", "c", "4");
    ini.setString("New", "K", "v");
    EXPECT_EQ(ini.text(), "; head\r\n[App]\r\nStatus=Removed\r\n[Other]\r\nC=4\r\n[New]\r\nK=v\r\n");
    EXPECT_TRUE(ini.removeSection("other"));
    EXPECT_FALSE(ini.removeSection("other"));
    EXPECT_EQ(ini.text(), "; head\r\n[App]\r\nStatus=Removed\r\n[New]\r\nK=v\r\n");
}

TEST(IniFile, NewKeysGoBeforeTheBlankLinesThatSeparateSections) {
    IniFile ini = IniFile::parse("[A]\nx=1\n\n[B]\ny=2\n");
    ini.setString("A", "z", "3");
    EXPECT_EQ(ini.text(), "[A]\nx=1\nz=3\n\n[B]\ny=2\n");
}

TEST(IniFile, SavesThroughARenameAndLoadsBack) {
    testing::TempRoot tmp;
    const auto file = tmp.root() / "a.ini";
    IniFile ini;
    ini.setString("S", "k", "v");
    ASSERT_TRUE(ini.save(file));
    const auto back = IniFile::load(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getString("s", "K", ""), "v");
    EXPECT_FALSE(IniFile::load(tmp.root() / "missing.ini"));
    EXPECT_FALSE(IniFile::load(tmp.root()));  // a folder is no file
    EXPECT_FALSE(ini.save(tmp.root() / "no-such-folder" / "a.ini"));
    // No temporary file is left behind.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(tmp.root())) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace kwu
