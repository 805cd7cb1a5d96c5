#include "uninstaller/file_removal.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::listing;
using testing::modeOf;
using testing::present;
using testing::writeText;

TEST(DeleteWithAttributes, DeletesFilesAndLinksAndCountsMissingAsDeleted) {
    testing::TempRoot tmp;
    writeText(tmp.root() / "ro.txt", "x");
    ::chmod((tmp.root() / "ro.txt").c_str(), 0444);
    fs::create_symlink(tmp.outside() / "keep.txt", tmp.root() / "link");
    const auto before = listing(tmp.outside());
    const Folder root = testing::openFolder(tmp.root());

    EXPECT_TRUE(deleteWithAttributes(root, "ro.txt"));
    EXPECT_FALSE(present(tmp.root() / "ro.txt"));
    EXPECT_TRUE(deleteWithAttributes(root, "ro.txt"));  // gone already
    EXPECT_TRUE(deleteWithAttributes(root, "link"));
    EXPECT_FALSE(present(tmp.root() / "link"));
    EXPECT_EQ(listing(tmp.outside()), before);

    EXPECT_FALSE(deleteWithAttributes(root, "lib"));  // a folder is not a file
    EXPECT_TRUE(fs::is_directory(tmp.layout.systemDir));
    for (const char* unusable : {"", ".", "..", "share/kwu"})
        EXPECT_FALSE(deleteWithAttributes(root, unusable));
    // A name with a NUL byte must not be cut short to another name.
    writeText(tmp.root() / "a", "stays");
    EXPECT_FALSE(deleteWithAttributes(root, std::string("a\0b", 3)));
    EXPECT_TRUE(present(tmp.root() / "a"));
}

TEST(RemoveTree, RemovesThreeLevelsAndNeverFollowsLinks) {
    testing::TempRoot tmp;
    const auto top = tmp.root() / "opt" / "app";
    for (const auto& d : {top, top / "a", top / "a" / "b", top / "a" / "b" / "c", top / "d"})
        writeText(d / "file.txt", d.string());
    ::chmod((top / "a" / "b" / "file.txt").c_str(), 0444);
    fs::create_symlink(tmp.outside(), top / "a" / "outside-link");
    fs::create_symlink(tmp.outside() / "keep.txt", top / "a" / "b" / "file-link");
    writeText(tmp.root() / "opt" / "sibling.txt", "stays");
    const auto before = listing(tmp.outside());
    const Folder opt = testing::openFolder(tmp.root() / "opt");

    const TreeRemoval removal = removeTree(opt, "app");
    EXPECT_TRUE(removal.gone);
    EXPECT_TRUE(removal.otherMounts.empty());
    EXPECT_FALSE(present(top));
    EXPECT_TRUE(present(tmp.root() / "opt" / "sibling.txt"));
    EXPECT_EQ(listing(tmp.outside()), before);
    EXPECT_TRUE(removeTree(opt, "app").gone);  // gone already

    // The folder itself as a link: nothing behind it is touched, and the link stays.
    fs::create_symlink(tmp.outside(), tmp.root() / "opt" / "linked");
    EXPECT_FALSE(removeTree(opt, "linked").gone);
    EXPECT_TRUE(fs::is_symlink(tmp.root() / "opt" / "linked"));
    EXPECT_EQ(listing(tmp.outside()), before);
}

// The walk holds one descriptor per level, so it stops at a fixed depth: what lies deeper is left
// and reported, and the walk ends.
TEST(RemoveTree, ATreeDeeperThanTheWalkGoesIsLeftAndReported) {
    testing::TempRoot tmp;
    fs::path deepest = tmp.root() / "opt" / "app";
    for (int i = 0; i < 205; ++i) deepest /= "d";
    writeText(deepest / "bottom.txt", "b");
    writeText(tmp.root() / "opt" / "app" / "top.txt", "t");
    const TreeRemoval removal = removeTree(testing::openFolder(tmp.root() / "opt"), "app");
    EXPECT_FALSE(removal.gone);
    ASSERT_EQ(removal.tooDeep.size(), 1u);
    EXPECT_EQ(removal.tooDeep[0].size(), std::string("app").size() + 201 * 2);  // "app" and 201 times "/d"
    EXPECT_TRUE(present(deepest / "bottom.txt"));
    EXPECT_FALSE(present(tmp.root() / "opt" / "app" / "top.txt"));
}

// As an ordinary user, a folder without write permission refuses deletions in it. The retry makes
// the folder writable and puts its mode back; files keep their modes, even when a hard link makes
// the file one with a file outside the tree.
TEST(RemoveTree, ReadOnlyFoldersAreOpenedForTheRetryAndPutBackWithoutTouchingFileModes) {
    testing::TempRoot tmp;
    const auto top = tmp.root() / "opt" / "app";
    writeText(top / "ro" / "plain.txt", "p");
    writeText(tmp.outside() / "secret.txt", "secret");
    ::chmod((tmp.outside() / "secret.txt").c_str(), 0600);
    fs::create_hard_link(tmp.outside() / "secret.txt", top / "ro" / "hardlink.txt");
    writeText(top / "ro" / "deeper" / "x.txt", "x");
    ::chmod((top / "ro" / "deeper").c_str(), 0555);
    ::chmod((top / "ro").c_str(), 0555);
    // A shared folder of the prefix that must keep its mode when one file in it goes.
    writeText(tmp.layout.systemDir / "libapp.so", "lib");
    ::chmod(tmp.layout.systemDir.c_str(), 0555);

    const int code = testing::inChild([&] {
        if (!testing::giveToNobody(tmp.base()) || !testing::dropToNobody()) return testing::kChildSkipped;
        // Without the retry these fail: the folders are not writable.
        if (::unlink((top / "ro" / "plain.txt").c_str()) == 0) return 10;
        const Folder lib = testing::openFolder(tmp.layout.systemDir);
        if (!deleteWithAttributes(lib, "libapp.so")) return 11;
        return removeTree(testing::openFolder(tmp.root() / "opt"), "app").gone ? 0 : 12;
    });
    if (code == testing::kChildSkipped) GTEST_SKIP() << "cannot become an unprivileged user here";
    ASSERT_EQ(code, 0);
    EXPECT_FALSE(present(top));
    EXPECT_FALSE(present(tmp.layout.systemDir / "libapp.so"));
    EXPECT_EQ(modeOf(tmp.layout.systemDir), 0555u);
    EXPECT_EQ(modeOf(tmp.outside() / "secret.txt"), 0600u);
    EXPECT_EQ(testing::readText(tmp.outside() / "secret.txt"), "secret");
}

TEST(RemoveTree, WhatCannotGoStaysWithTheFoldersAboveItAndTheirModes) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand a folder to another user";
    testing::TempRoot tmp;
    const auto top = tmp.root() / "opt" / "app";
    writeText(top / "locked" / "inner" / "stays.txt", "s");
    writeText(top / "goes.txt", "g");
    ::chmod((top / "locked").c_str(), 0555);
    const int code = testing::inChild([&] {
        if (!testing::giveToNobody(tmp.base())) return testing::kChildSkipped;
        // "inner" belongs to someone else: its owner's retry cannot be made, so its file stays.
        if (::chown((top / "locked" / "inner").c_str(), 0, 0) != 0) return testing::kChildSkipped;
        if (::chmod((top / "locked" / "inner").c_str(), 0555) != 0) return testing::kChildSkipped;
        if (!testing::dropToNobody()) return testing::kChildSkipped;
        return removeTree(testing::openFolder(tmp.root() / "opt"), "app").gone ? 1 : 0;
    });
    if (code == testing::kChildSkipped) GTEST_SKIP() << "cannot become an unprivileged user here";
    ASSERT_EQ(code, 0);
    EXPECT_TRUE(present(top / "locked" / "inner" / "stays.txt"));
    EXPECT_FALSE(present(top / "goes.txt"));
    EXPECT_EQ(modeOf(top / "locked" / "inner"), 0555u);
    EXPECT_EQ(modeOf(top / "locked"), 0555u);  // opened for the retry, then put back
}

// A folder mounted inside the tree (here a bind mount of a folder outside the root, the same file
// system and device) is left with everything in it, and so is a tree that is itself a mount point.
// The mounts live in a mount namespace of a child process, so they vanish with it.
TEST(RemoveTree, NeverCrossesIntoAnotherMount) {
    testing::TempRoot tmp;
    const auto top = tmp.root() / "opt" / "app";
    writeText(top / "a" / "file.txt", "goes");
    writeText(top / "b" / "file.txt", "goes");
    fs::create_directories(top / "a" / "mnt");
    fs::create_directories(tmp.root() / "opt" / "mounted-app");
    writeText(tmp.outside() / "mounted" / "precious.txt", "outside");
    writeText(tmp.outside() / "mounted" / "sub" / "more.txt", "outside");
    const auto before = listing(tmp.outside());

    const int code = testing::inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) return testing::kChildSkipped;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return testing::kChildSkipped;
        const auto source = tmp.outside() / "mounted";
        if (::mount(source.c_str(), (top / "a" / "mnt").c_str(), nullptr, MS_BIND, nullptr) != 0)
            return testing::kChildSkipped;
        if (::mount(source.c_str(), (tmp.root() / "opt" / "mounted-app").c_str(), nullptr, MS_BIND,
                    nullptr) != 0)
            return testing::kChildSkipped;
        const Folder opt = testing::openFolder(tmp.root() / "opt");
        const TreeRemoval inside = removeTree(opt, "app");
        if (inside.gone || inside.otherMounts != std::vector<std::string>{"app/a/mnt"}) return 1;
        const TreeRemoval itself = removeTree(opt, "mounted-app");
        if (itself.gone || itself.otherMounts != std::vector<std::string>{"mounted-app"}) return 2;
        return 0;
    });
    if (code == testing::kChildSkipped)
        GTEST_SKIP() << "this test cannot make a mount namespace and mount in it";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(listing(tmp.outside()), before);
    EXPECT_TRUE(fs::is_directory(top / "a" / "mnt"));  // left, with the folders above it
    EXPECT_FALSE(present(top / "a" / "file.txt"));
    EXPECT_FALSE(present(top / "b"));
}

}  // namespace
}  // namespace kwu
