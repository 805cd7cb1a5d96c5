#include "uninstaller/path_guard.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

using testing::writeText;

class Guard : public ::testing::Test {
  protected:
    Guard() {
        std::filesystem::create_directories(tmp.root() / "opt" / "app" / "sub");
        std::filesystem::create_symlink(tmp.outside(), tmp.root() / "opt" / "escape");
        std::filesystem::create_symlink(tmp.root() / "opt" / "app", tmp.root() / "opt" / "alias");
    }
    std::string r(const std::string& rest) const { return (tmp.root().string() + rest); }

    testing::TempRoot tmp;
    RootGuard guard{tmp.layout};
};

TEST_F(Guard, AcceptsPathsInsideTheRoot) {
    for (const std::string& p : {r("/opt/app/file"), r("/opt/app/sub/x.so"), r("/opt/app/sub//y"),
                                 r("/opt/new/z"), r("/opt/alias")}) {
        const Verdict v = guard.removable(p);
        EXPECT_TRUE(v.ok()) << p << ": " << v.refusal;
    }
    EXPECT_EQ(guard.removable(r("/opt/app//file")).path, tmp.root() / "opt" / "app" / "file");
}

TEST_F(Guard, RefusesEscapesWithAClearReason) {
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {r("/opt/app/../../outside/keep.txt"), "\"..\""},
        {r("/opt/./app/file"), "\"..\""},
        {r("/opt/app/..\\..\\x"), "\"..\""},
        {"opt/app/file", "absolute"},
        {"", "empty"},
        {tmp.outside().string() + "/keep.txt", "outside the installation root"},
        {"/etc/passwd", "outside the installation root"},
        {tmp.root().string() + "x/file", "outside the installation root"},  // a sibling sharing the prefix
        {r(""), "installation root itself"},
        {r("/"), "installation root itself"},
        {r("/opt/escape/keep.txt"), "symbolic link"},
        {r("/opt/alias/sub/x"), "symbolic link"},
        {r("/opt/app/a\nb"), "control characters"},
    };
    for (const auto& c : cases) {
        const Verdict v = guard.removable(c.path);
        EXPECT_FALSE(v.ok()) << c.path;
        EXPECT_NE(v.refusal.find(c.reason), std::string::npos) << c.path << ": " << v.refusal;
        EXPECT_TRUE(v.path.empty());
    }
}

TEST_F(Guard, RefusesTreesThatHoldWhatMustStay) {
    EXPECT_TRUE(guard.tree(r("/opt/app")).ok());
    const std::string refusedTrees[] = {
        r(""),                              // the root
        tmp.root().parent_path().string(),  // an ancestor of the root
        "/",
        tmp.layout.windowsDir.string(),  // holds the menu and the stores
        tmp.layout.menuDir.string(),
        tmp.layout.storeDir.string(),
        tmp.layout.systemDir.string(),
        r("/opt"),  // shared folders of the prefix
        r("/bin"),
        r("/opt/escape"),  // a link, even to a folder
        r("/opt/alias"),
    };
    for (const auto& p : refusedTrees) EXPECT_FALSE(guard.tree(p).ok()) << p;

    // A home folder inside the root is kept as well.
    const InstallLayout layout = InstallLayout::under(tmp.root(), tmp.root() / "opt" / "home");
    std::filesystem::create_directories(tmp.root() / "opt" / "home");
    const RootGuard homeGuard(layout);
    EXPECT_FALSE(homeGuard.tree(r("/opt/home")).ok());
    EXPECT_TRUE(homeGuard.tree(r("/opt/app")).ok());
}

TEST(Names, PlainAndMenuNames) {
    for (const char* ok : {"a.dll", "Read Me", "kwp.ini", "x..y"}) {
        EXPECT_EQ(plainNameRefusal(ok), "") << ok;
        EXPECT_EQ(menuNameRefusal(ok), "") << ok;
    }
    for (const char* bad : {"", ".", "..", "../x", "a/b", "..\\x", "a\tb"}) {
        EXPECT_NE(plainNameRefusal(bad), "") << bad;
        EXPECT_NE(menuNameRefusal(bad), "") << bad;
    }
    for (const char* command : {"x)][DeleteGroup(Other)", "[ExitProgMan(1)]", "a,b", "say \"hi\"", "(x"}) {
        EXPECT_EQ(plainNameRefusal(command).find("menu"), std::string::npos);
        EXPECT_NE(menuNameRefusal(command).find("menu command"), std::string::npos) << command;
    }
}

}  // namespace
}  // namespace kwu
