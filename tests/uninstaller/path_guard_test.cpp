#include "uninstaller/path_guard.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"
#include "uninstaller/printable.h"

namespace kwu {
namespace {

class Guard : public ::testing::Test {
  protected:
    std::string r(const std::string& rest) const { return (tmp.root().string() + rest); }

    testing::TempRoot tmp;
    RootGuard guard{tmp.layout};
};

TEST_F(Guard, AcceptsPathsInsideTheRootAsParts) {
    for (const std::string& p : {r("/opt/app/file"), r("/opt/app/sub/x.so"), r("/opt/app/sub//y"),
                                 r("/opt/new/z"), r("/opt/\xff\xfe-latin1/file")}) {
        const Verdict v = guard.removable(p);
        EXPECT_TRUE(v.ok()) << p << ": " << v.refusal;
    }
    const Verdict v = guard.removable(r("/opt/app//file"));
    EXPECT_EQ(v.path, (tmp.root() / "opt" / "app" / "file").native());
    EXPECT_EQ(v.parts, (std::vector<std::string>{"opt", "app", "file"}));
}

TEST_F(Guard, RefusesEscapesEachWithItsOwnReason) {
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {r("/opt/app/../../outside/keep.txt"), "holds a \"..\" part"},
        {r("/opt/./app/file"), "holds a \".\" part"},
        {r("/opt/app/..\\..\\x"), "written with \"\\\""},
        {"opt/app/file", "only absolute paths"},
        {"", "empty path"},
        {tmp.outside().string() + "/keep.txt", "outside the installation root"},
        {"/etc/passwd", "outside the installation root"},
        {tmp.root().string() + "x/file", "outside the installation root"},  // a sibling sharing the prefix
        {r(""), "installation root itself"},
        {r("/"), "installation root itself"},
        {r("/opt/app/a\nb"), "control bytes"},
        {r("/opt/app/a") + std::string(1, '\0') + "/../../x", "control bytes"},
    };
    for (const auto& c : cases) {
        const Verdict v = guard.removable(c.path);
        EXPECT_FALSE(v.ok()) << c.path;
        EXPECT_NE(v.refusal.find(c.reason), std::string::npos) << c.path << ": " << v.refusal;
        EXPECT_TRUE(v.path.empty());
        EXPECT_TRUE(v.parts.empty());
        EXPECT_EQ(v.refusal.find('\0'), std::string::npos);
        EXPECT_EQ(v.refusal.find('\n'), std::string::npos);
    }
}

TEST_F(Guard, RefusesTreesThatAreOrHoldWhatMustStayAndSharedFolders) {
    EXPECT_TRUE(guard.tree(r("/opt/app")).ok());
    EXPECT_TRUE(guard.tree(r("/share/drumapp")).ok());
    EXPECT_TRUE(guard.tree(r("/lib/drumapp")).ok());
    struct Case {
        std::string folder;
        std::string reason;
    };
    const Case cases[] = {
        {r(""), "installation root itself"},
        {tmp.root().parent_path().string(), "outside the installation root"},
        {"/", "outside the installation root"},
        {r("/share"), "it is \"" + r("/share") + "\", which must stay"},
        {r("/share/applications"), "it is \"" + r("/share/applications") + "\""},
        {r("/share/kwu"), "it is \"" + r("/share/kwu") + "\""},
        {r("/lib"), "it is \"" + r("/lib") + "\""},
        {r("/opt"), "it is \"" + r("/opt") + "\""},
        {r("/bin"), "it is \"" + r("/bin") + "\""},
        {r("/share/applications/Other"),
         "lies inside a folder that other programs share (share/applications)"},
        {r("/share/icons"), "is a folder that other programs share (share/icons)"},
        {r("/share/icons/hicolor"), "lies inside a folder that other programs share"},
        {r("/lib/python3.11"), "is a folder that other programs share (lib/python*)"},
        {r("/share/kwu/x"), "lies inside"},
    };
    for (const auto& c : cases) {
        const Verdict v = guard.tree(c.folder);
        EXPECT_FALSE(v.ok()) << c.folder;
        EXPECT_NE(v.refusal.find(c.reason), std::string::npos) << c.folder << ": " << v.refusal;
    }
}

// These never touch the disk: the guard alone must refuse everything under a refused root.
TEST(RootRefusal, TheTopOfTheFileSystemAndRootsAtOrAboveHomeAreRefused) {
    testing::TempRoot tmp;
    const auto home = tmp.base() / "home" / "me";
    std::filesystem::create_directories(home);
    std::filesystem::create_symlink("/", tmp.base() / "slash");
    struct Case {
        std::filesystem::path root;
        std::string reason;  // empty: accepted
    };
    const Case cases[] = {
        {"/", "top of the file system"},
        {"/.", "top of the file system"},
        {tmp.base() / "slash", "top of the file system"},  // "/" reached through a link
        {home, "it is the home folder"},
        {home.parent_path(), "it holds the home folder"},
        {tmp.base(), "it holds the home folder"},
        {home / ".local", ""},
        {tmp.root(), ""},
    };
    for (const auto& c : cases) {
        const InstallLayout layout = InstallLayout::under(c.root, home);
        const std::string refusal = rootRefusal(layout);
        if (c.reason.empty()) {
            EXPECT_EQ(refusal, "") << c.root;
            continue;
        }
        EXPECT_NE(refusal.find(c.reason), std::string::npos) << c.root << ": " << refusal;
        const RootGuard guard(layout);
        for (const char* path : {"/usr/bin/ls", "/boot", "/home"}) {
            EXPECT_EQ(guard.removable(path).refusal, refusal) << c.root << " " << path;
            EXPECT_EQ(guard.tree(path).refusal, refusal) << c.root << " " << path;
        }
        EXPECT_FALSE(guard.removable((home / "file").native()).ok());
    }
}

TEST(Names, PlainAndMenuNamesEachWithTheirReason) {
    for (const char* ok : {"a.dll", "Read Me", "kwp.ini", "x..y", "caf\xc3\xa9"}) {
        EXPECT_EQ(plainNameRefusal(ok), "") << ok;
        EXPECT_EQ(menuNameRefusal(ok), "") << ok;
    }
    const std::pair<std::string, std::string> bad[] = {
        {"", "Refused an empty file name."},
        {".", "Refused \".\" as a file name: it names a folder, not an entry."},
        {"..", "Refused \"..\" as a file name: it names a folder, not an entry."},
        {"../x", "Refused \"../x\" as a file name: it holds a folder separator (\"/\" or \"\\\")."},
        {"..\\x", "Refused \"..\\x\" as a file name: it holds a folder separator (\"/\" or \"\\\")."},
        {"a\tb", "Refused \"a\\x09b\" as a file name: it holds control bytes."},
        {std::string("a\0b", 3), "Refused \"a\\x00b\" as a file name: it holds control bytes."},
    };
    for (const auto& [name, reason] : bad) {
        EXPECT_EQ(plainNameRefusal(name), reason);
        EXPECT_NE(menuNameRefusal(name).find("menu name"), std::string::npos) << name;
    }
    for (const char* command : {"x)][DeleteGroup(Other)", "[ExitProgMan(1)]", "a,b", "say \"hi\"", "(x"}) {
        EXPECT_EQ(plainNameRefusal(command), "") << command;
        EXPECT_NE(menuNameRefusal(command).find("menu command"), std::string::npos) << command;
    }
}

TEST(Printable, EscapesControlBytesAndBytesThatAreNotUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain /path", "plain /path"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"\x1b[31mred\x7f", "\\x1B[31mred\\x7F"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb9", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb9"},
        {"latin1 caf\xe9", "latin1 caf\\xE9"},
        {"\xc2\x85next-line", "\\xC2\\x85next-line"},  // a C1 control
        {"\xc0\xaf overlong", "\\xC0\\xAF overlong"},  // an overlong "/"
        {"\xed\xa0\x80 surrogate", "\\xED\\xA0\\x80 surrogate"},
        {"cut \xe2\x82", "cut \\xE2\\x82"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(printable(in), out);
}

// Characters that reorder or break the line they stand in are escaped byte by byte; their
// neighbours, and every other character, are shown as they are.
TEST(Printable, EscapesBidirectionalControlsAndLineSeparatorsButNotTheirNeighbours) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\xe2\x80\xae"
         "b",
         "a\\xE2\\x80\\xAEb"},                                             // U+202E right-to-left override
        {"\xe2\x80\xaa", "\\xE2\\x80\\xAA"},                               // U+202A, first of its range
        {"\xe2\x81\xa6 \xe2\x81\xa9", "\\xE2\\x81\\xA6 \\xE2\\x81\\xA9"},  // U+2066, U+2069
        {"\xe2\x80\x8e\xe2\x80\x8f", "\\xE2\\x80\\x8E\\xE2\\x80\\x8F"},    // U+200E, U+200F
        {"\xd8\x9c", "\\xD8\\x9C"},                                        // U+061C Arabic letter mark
        {"\xe2\x80\xa8\xe2\x80\xa9", "\\xE2\\x80\\xA8\\xE2\\x80\\xA9"},    // U+2028, U+2029
        {"\xe2\x80\x8d \xe2\x80\xaf \xe2\x81\xa5 \xe2\x81\xaa",            // U+200D, U+202F, U+2065, U+206A
         "\xe2\x80\x8d \xe2\x80\xaf \xe2\x81\xa5 \xe2\x81\xaa"},
        {"\xd8\x9b \xd8\x9d \xc2\xa0", "\xd8\x9b \xd8\x9d \xc2\xa0"},  // U+061B, U+061D, U+00A0
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(printable(in), out) << out;
}

}  // namespace
}  // namespace kwu
