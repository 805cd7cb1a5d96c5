#include "uninstaller/ini_file.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"
#include "uninstaller/installer_log.h"

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

TEST(IniFile, EveryLineKeepsItsOwnEnding) {
    // An unchanged text writes back byte for byte, whatever its endings.
    for (const char* text : {"[a]\r\nx=1\n[b]\ny=2\r\n", "[a]\nx=1", "no header\r\n\r\n[a]\r\nk\r=\rv\r\n",
                             "", "\n\n", "[a]\r"}) {
        EXPECT_EQ(IniFile::parse(text).text(), text);
    }
    // One line with a carriage return does not turn the rest into CRLF lines; new lines take the
    // ending of the line before them.
    IniFile ini = IniFile::parse("[Other]\r\nStatus=Installed\r\n[App]\nVersion=1\n");
    ini.clearSection("app");
    ini.setString("App", "Status", "Removed");
    ini.setString("other", "Extra", "x");
    EXPECT_EQ(ini.text(), "[Other]\r\nStatus=Installed\r\nExtra=x\r\n[App]\nStatus=Removed\n");
    // A file that ended without a line ending still does; a line that stops being the last gets
    // the ending of the line before it.
    IniFile open = IniFile::parse("[a]\nx=1");
    open.setString("a", "x", "2");
    EXPECT_EQ(open.text(), "[a]\nx=2");
    open.setString("b", "y", "3");
    EXPECT_EQ(open.text(), "[a]\nx=2\n[b]\ny=3");
}

TEST(IniFile, TheFirstSectionOfANameWinsBeforeAndAfterEdits) {
    IniFile ini = IniFile::parse("[dup]\nk=first\n[other]\nk=o\n[DUP]\nk=second\n");
    EXPECT_EQ(ini.getString("Dup", "k", ""), "first");
    ini.setString("other", "new", "line");  // shifts the lines below it
    EXPECT_EQ(ini.getString("dup", "K", ""), "first");
    EXPECT_TRUE(ini.removeSection("dup"));
    EXPECT_EQ(ini.getString("dup", "k", ""), "second");
    EXPECT_EQ(ini.getString("other", "new", ""), "line");
    EXPECT_TRUE(ini.removeSection("DUP"));
    EXPECT_FALSE(ini.hasSection("dup"));
    EXPECT_EQ(ini.sectionNames(), (std::vector<std::string>{"other"}));
}

// The log update on logs whose lines end in different ways: every line keeps its own ending, the
// header of the emptied section too, and a log whose last line had none still has none.
TEST(InstallerLog, UpdatingTheLogAddsNoLineEndingAndChangesNone) {
    const std::pair<std::string, std::string> cases[] = {
        {"[Other]\r\nStatus=Installed\r\n[Drum App]\nVersion=1",
         "[Other]\r\nStatus=Installed\r\n[Drum App]\nStatus=Removed"},
        {"[drum app]\nVersion=1\nFiles=9\n[Other]\r\nK=v", "[drum app]\nStatus=Removed\n[Other]\r\nK=v"},
        {"[Other]\r\nK=v\r\n[Drum App]", "[Other]\r\nK=v\r\n[Drum App]\r\nStatus=Removed"},
        {"[Other]\nK=v\n[Drum App]\r\nA=1\r\nB=2\r\n", "[Other]\nK=v\n[Drum App]\r\nStatus=Removed\r\n"},
    };
    testing::TempRoot tmp;
    const Folder folder = testing::openFolder(tmp.root());
    for (const auto& [before, after] : cases) {
        testing::writeText(tmp.root() / "kwp.ini", before);
        EXPECT_TRUE(updateInstallerLog(folder, "Drum App"));
        EXPECT_EQ(testing::readText(tmp.root() / "kwp.ini"), after) << before;
    }
}

// Lookups go through the section index: a handful of probes each, however many sections there
// are (a scan would compare thousands), and the first section of a name wins in any case.
TEST(IniFile, LooksUpAmongManySectionsThroughTheIndex) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "[s" + std::to_string(i) + "]\nv=" + std::to_string(i) + "\n";
    text += "[S5]\nv=late duplicate\n";
    const IniFile ini = IniFile::parse(text);
    EXPECT_EQ(ini.sectionNames().size(), 20001u);
    const std::size_t before = ini.indexProbes();
    std::size_t lookups = 0;
    for (int i = 0; i < 20000; i += 7, ++lookups)
        EXPECT_EQ(ini.getInt((i % 2 ? "S" : "s") + std::to_string(i), "V", -1), i);
    for (int i = 20000; i < 23000; ++i, ++lookups) EXPECT_FALSE(ini.hasSection("s" + std::to_string(i)));
    EXPECT_EQ(ini.getString("s5", "v", ""), "5");
    EXPECT_EQ(ini.getString("s20000", "v", "none"), "none");
    lookups += 2;
    const std::size_t probes = ini.indexProbes() - before;
    EXPECT_GE(probes, lookups);
    EXPECT_LE(probes, 4 * lookups);
}

TEST(IniFile, LoadsAFileAndNothingElse) {
    testing::TempRoot tmp;
    testing::writeText(tmp.root() / "a.ini", "[S]\nk=v\n");
    const auto back = IniFile::load(tmp.root() / "a.ini");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->getString("s", "K", ""), "v");
    EXPECT_FALSE(IniFile::load(tmp.root() / "missing.ini"));
    EXPECT_FALSE(IniFile::load(tmp.root()));  // a folder is no file
}

}  // namespace
}  // namespace kwu
