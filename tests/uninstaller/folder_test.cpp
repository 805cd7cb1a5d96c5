#include "uninstaller/folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "kwu_test_support.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::listing;
using testing::modeOf;
using testing::present;
using testing::readText;
using testing::writeText;

class FolderTest : public ::testing::Test {
  protected:
    FolderTest() {
        writeText(tmp.root() / "a" / "b" / "file.txt", "inside");
        fs::create_symlink(tmp.outside(), tmp.root() / "a" / "link");
        fs::create_symlink(tmp.outside() / "keep.txt", tmp.root() / "a" / "file-link");
    }
    testing::TempRoot tmp;
    Folder root = testing::openFolder(tmp.root());
};

TEST_F(FolderTest, WalksDownRealFoldersOnlyAndSaysWhereItStopped) {
    struct Case {
        std::vector<std::string> parts;
        Reach reach;
        std::size_t stoppedAt;
    };
    const Case cases[] = {
        {{"a", "b"}, Reach::Ok, 2},
        {{}, Reach::Ok, 0},
        {{"a", "link", "x"}, Reach::Link, 1},
        {{"a", "file-link"}, Reach::Link, 1},
        {{"a", "b", "file.txt"}, Reach::NotAFolder, 2},
        {{"a", "missing", "x"}, Reach::Missing, 1},
        {{"a", ".."}, Reach::Failed, 1},
        {{"a", "b/.."}, Reach::Failed, 1},
        {{std::string("a\0b", 3)}, Reach::Failed, 0},
    };
    for (const auto& c : cases) {
        const Reached r = root.descend(c.parts);
        EXPECT_EQ(r.reach, c.reach) << ::testing::PrintToString(c.parts);
        EXPECT_EQ(r.stoppedAt, c.stoppedAt) << ::testing::PrintToString(c.parts);
        EXPECT_EQ(r.folder.has_value(), c.reach == Reach::Ok);
    }
    const Reached b = root.descend({"a", "b"});
    EXPECT_EQ(b.folder->read("file.txt"), "inside");
    EXPECT_EQ(b.folder->list(), (std::vector<std::string>{"file.txt"}));
}

TEST_F(FolderTest, ReadsAndWritesRegularFilesButNeverThroughALink) {
    const Folder a = testing::openFolder(tmp.root() / "a");
    const auto outsideBefore = listing(tmp.outside());
    EXPECT_FALSE(a.read("file-link"));
    EXPECT_FALSE(a.read("b"));
    EXPECT_FALSE(a.writeAtomically("file-link", "replaced"));
    EXPECT_FALSE(a.append("file-link", "more"));
    EXPECT_FALSE(a.writeAtomically("b", "a folder"));
    EXPECT_TRUE(fs::is_symlink(tmp.root() / "a" / "file-link"));
    EXPECT_EQ(listing(tmp.outside()), outsideBefore);

    writeText(tmp.root() / "a" / "store.ini", "old");
    ::chmod((tmp.root() / "a" / "store.ini").c_str(), 0640);
    EXPECT_TRUE(a.writeAtomically("store.ini", "new"));
    EXPECT_EQ(readText(tmp.root() / "a" / "store.ini"), "new");
    EXPECT_EQ(modeOf(tmp.root() / "a" / "store.ini"), 0640u);
    EXPECT_TRUE(a.writeAtomically("fresh.ini", "made"));
    EXPECT_TRUE(a.append("list", "one\n"));
    EXPECT_TRUE(a.append("list", "two\n"));
    EXPECT_EQ(readText(tmp.root() / "a" / "list"), "one\ntwo\n");
    // No temporary file is left behind.
    auto names = a.list();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"b", "file-link", "fresh.ini", "link", "list", "store.ini"}));
}

TEST_F(FolderTest, CreatesMissingFoldersOnTheWayButNotThroughALink) {
    EXPECT_EQ(root.descendCreating({"share", "kwu", "new"}).reach, Reach::Ok);
    EXPECT_TRUE(fs::is_directory(tmp.root() / "share" / "kwu" / "new"));
    EXPECT_EQ(root.descendCreating({"a", "link", "new"}).reach, Reach::Link);
    EXPECT_FALSE(present(tmp.outside() / "new"));
}

}  // namespace
}  // namespace kwu
