#include "uninstaller/wininit.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

using testing::present;
using testing::readText;
using testing::writeText;

TEST(CollapseBlanks, TrimsAndJoinsWhiteSpaceRuns) {
    const std::pair<std::string, std::string> cases[] = {
        {"  [Rename]  \n", "[Rename]"}, {"\t\v\f a \t\r\n b  c\r\n", "a b c"}, {"", ""}, {" \n\t ", ""},
        {"NULL   =   x", "NULL = x"},
    };
    for (auto [in, expected] : cases) {
        std::string text = in;
        collapseBlanks(text);
        EXPECT_EQ(text, expected) << "input: " << in;
    }
}

TEST(WininitWithRenames, PlacesTheTwoLinesOnceAndKeepsEveryOtherByte) {
    const std::string entries = "NULL = /r/app/kwu\nNULL = /r/app/kwu.kwu\n";
    struct Case {
        std::optional<std::string> old;
        std::string expected;
    };
    const Case cases[] = {
        {std::nullopt, "[rename]\n" + entries},
        {"", "[rename]\n" + entries},
        // Below the first line that reads [rename], in any case and with blanks around it.
        {"[boot]\nx=1\n  [RENAME]  \nNULL = /old/one\n[rename]\nNULL = /old/two\n",
         "[boot]\nx=1\n  [RENAME]  \n" + entries + "NULL = /old/one\n[rename]\nNULL = /old/two\n"},
        // Each line keeps its own ending; the inserted lines end with a line feed.
        {"[boot]\r\nx=1\n[Rename]\r\nNULL = /old\r\n",
         "[boot]\r\nx=1\n[Rename]\r\n" + entries + "NULL = /old\r\n"},
        {"[rename]", "[rename]\n" + entries},
        {"[rename]\nlast without ending", "[rename]\n" + entries + "last without ending"},
        // "[renamed]" and "[re name]" are other sections: names match exactly.
        {"[boot]\nx=1\n[renamed]\n[re name]\nlast line without end",
         "[boot]\nx=1\n[renamed]\n[re name]\nlast line without end\n[rename]\n" + entries},
        {"a\r\n", "a\r\n[rename]\n" + entries},
    };
    for (const auto& c : cases) {
        const auto out = wininitWithRenames(c.old ? std::optional<std::string_view>(*c.old) : std::nullopt,
                                            "/r/app/kwu", "/r/app/kwu.kwu");
        ASSERT_TRUE(out) << c.old.value_or("(none)");
        EXPECT_EQ(*out, c.expected) << c.old.value_or("(none)");
    }
    // A path that would add a line of its own is never written.
    for (const std::string_view bad : {std::string_view("/a\nNULL = /etc/passwd"), std::string_view("/a\r"),
                                       std::string_view("/a\0b", 4)}) {
        EXPECT_FALSE(wininitWithRenames("[rename]\n", bad, "/s"));
        EXPECT_FALSE(wininitWithRenames(std::nullopt, "/o", bad));
    }
}

class Wininit : public ::testing::Test {
  protected:
    testing::TempRoot tmp;
    std::filesystem::path dir = tmp.layout.windowsDir;
    std::filesystem::path ini = dir / "WININIT.INI";
    std::filesystem::path bak = dir / "WININIT.BAK";
    const std::string entries = "NULL = /r/app/kwu\nNULL = /r/app/kwu.kwu\n";

    bool rewrite() { return rewriteWininit(testing::openFolder(dir), "/r/app/kwu", "/r/app/kwu.kwu"); }
};

TEST_F(Wininit, KeepsTheOldFileAsBackup) {
    const std::string old = "[boot]\nx=1\n[rename]\nNULL = /old/one\n";
    writeText(ini, old);
    ::chmod(ini.c_str(), 0600);
    writeText(bak, "older backup");
    ASSERT_TRUE(rewrite());
    EXPECT_EQ(readText(ini), "[boot]\nx=1\n[rename]\n" + entries + "NULL = /old/one\n");
    EXPECT_EQ(readText(bak), old);
    EXPECT_EQ(testing::modeOf(ini), 0600u);
}

TEST_F(Wininit, CreatesExactlyThreeLinesAndDropsAFormerBackupWhenThereIsNoFile) {
    writeText(bak, "former backup");
    ASSERT_TRUE(rewrite());
    EXPECT_EQ(readText(ini), "[rename]\n" + entries);
    EXPECT_FALSE(present(bak));
}

TEST_F(Wininit, AFailedRewriteLeavesBothFilesAsTheyWere) {
    writeText(bak, "former backup");
    // A WININIT.INI that cannot be read (a folder, or a link, in its place) is not replaced.
    std::filesystem::create_directory(ini);
    writeText(ini / "inside", "x");
    EXPECT_FALSE(rewrite());
    EXPECT_EQ(readText(bak), "former backup");
    EXPECT_TRUE(std::filesystem::is_directory(ini));
    std::filesystem::remove_all(ini);
    std::filesystem::create_symlink(tmp.outside() / "keep.txt", ini);
    EXPECT_FALSE(rewrite());
    EXPECT_EQ(readText(tmp.outside() / "keep.txt"), "outside");
    EXPECT_EQ(readText(bak), "former backup");
}

}  // namespace
}  // namespace kwu
