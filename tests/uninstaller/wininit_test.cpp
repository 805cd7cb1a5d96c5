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

class Wininit : public ::testing::Test {
  protected:
    testing::TempRoot tmp;
    std::filesystem::path dir = tmp.layout.windowsDir;
    std::filesystem::path ini = dir / "WININIT.INI";
    std::filesystem::path bak = dir / "WININIT.BAK";
    const std::string entries = "NULL = /r/app/kwu\nNULL = /r/app/kwu.kwu\n";

    bool rewrite() { return rewriteWininit(dir, "/r/app/kwu", "/r/app/kwu.kwu"); }
};

TEST_F(Wininit, InsertsBelowTheFirstRenameLineOnceAndKeepsTheOldFileAsBackup) {
    const std::string old = "[boot]\nx=1\n  [RENAME]  \nNULL = /old/one\n[rename]\nNULL = /old/two\n";
    writeText(ini, old);
    writeText(bak, "older backup");
    ASSERT_TRUE(rewrite());
    EXPECT_EQ(readText(ini),
              "[boot]\nx=1\n  [RENAME]  \n" + entries + "NULL = /old/one\n[rename]\nNULL = /old/two\n");
    EXPECT_EQ(readText(bak), old);
}

TEST_F(Wininit, AppendsTheSectionWhenThereIsNone) {
    // "[renamed]" is another section: names match exactly.
    writeText(ini, "[boot]\nx=1\n[renamed]\nlast line without end");
    ASSERT_TRUE(rewrite());
    EXPECT_EQ(readText(ini), "[boot]\nx=1\n[renamed]\nlast line without end\n[rename]\n" + entries);
    EXPECT_EQ(readText(bak), "[boot]\nx=1\n[renamed]\nlast line without end");
}

TEST_F(Wininit, CreatesExactlyThreeLinesAndDropsAFormerBackupWhenThereIsNoFile) {
    writeText(bak, "former backup");
    ASSERT_TRUE(rewrite());
    EXPECT_EQ(readText(ini), "[rename]\n" + entries);
    EXPECT_FALSE(present(bak));
}

TEST_F(Wininit, AFailedRewriteLeavesBothFilesAsTheyWere) {
    writeText(ini, "[rename]\nNULL = /old\n");
    writeText(bak, "former backup");
    // A WININIT.INI that cannot be read (a folder in its place) is not replaced.
    std::filesystem::remove(ini);
    std::filesystem::create_directory(ini);
    writeText(ini / "inside", "x");
    EXPECT_FALSE(rewrite());
    EXPECT_EQ(readText(bak), "former backup");
    EXPECT_TRUE(std::filesystem::is_directory(ini));
    // And a Windows directory that does not exist: nothing is created anywhere.
    EXPECT_FALSE(rewriteWininit(tmp.root() / "missing", "a", "b"));
    EXPECT_FALSE(present(tmp.root() / "missing"));
}

}  // namespace
}  // namespace kwu
