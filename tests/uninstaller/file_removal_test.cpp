#include "uninstaller/file_removal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::present;
using testing::writeText;

TEST(DeleteWithAttributes, DeletesReadOnlyFilesLinksAndCountsMissingAsDeleted) {
    testing::TempRoot tmp;
    const auto file = tmp.root() / "ro.txt";
    writeText(file, "x");
    ::chmod(file.c_str(), 0444);
    EXPECT_TRUE(deleteWithAttributes(file));
    EXPECT_FALSE(present(file));
    EXPECT_TRUE(deleteWithAttributes(file));
    EXPECT_TRUE(deleteWithAttributes(tmp.root() / "no" / "such" / "file"));

    const auto link = tmp.root() / "link";
    fs::create_symlink(tmp.outside() / "keep.txt", link);
    EXPECT_TRUE(deleteWithAttributes(link));
    EXPECT_FALSE(present(link));
    EXPECT_TRUE(present(tmp.outside() / "keep.txt"));

    EXPECT_FALSE(deleteWithAttributes(tmp.layout.systemDir));  // a folder is not a file
    EXPECT_TRUE(fs::is_directory(tmp.layout.systemDir));
}

TEST(RemoveTree, RemovesThreeLevelsWithReadOnlyPartsAndNeverFollowsLinks) {
    testing::TempRoot tmp;
    const auto top = tmp.root() / "opt" / "app";
    for (const auto& d : {top, top / "a", top / "a" / "b", top / "a" / "b" / "c", top / "d"})
        writeText(d / "file.txt", d.string());
    ::chmod((top / "a" / "b" / "file.txt").c_str(), 0444);
    ::chmod((top / "a" / "b" / "c").c_str(), 0555);
    fs::create_symlink(tmp.outside(), top / "a" / "outside-link");
    fs::create_symlink(tmp.outside() / "keep.txt", top / "a" / "b" / "file-link");
    writeText(tmp.root() / "opt" / "sibling.txt", "stays");

    EXPECT_TRUE(removeTree(top));
    EXPECT_FALSE(present(top));
    EXPECT_TRUE(present(tmp.root() / "opt" / "sibling.txt"));
    EXPECT_TRUE(present(tmp.outside() / "keep.txt"));
    EXPECT_TRUE(removeTree(top));  // gone already

    // The folder itself as a link: nothing behind it is touched.
    fs::create_symlink(tmp.outside(), tmp.root() / "opt" / "linked");
    EXPECT_FALSE(removeTree(tmp.root() / "opt" / "linked"));
    EXPECT_TRUE(present(tmp.outside() / "keep.txt"));
}

}  // namespace
}  // namespace kwu
