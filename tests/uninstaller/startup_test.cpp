#include "uninstaller/startup.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <cstdio>

#include "kwu_test_support.h"
#include "uninstaller/install_root.h"

namespace kwu {
namespace {

using testing::EnvironmentGuard;

int start(const ProgramNames& names, testing::ScriptedPrompter& prompter, bool* dialogRan,
          std::string* title = nullptr, std::size_t* items = nullptr) {
    return startUninstaller(names, prompter, [&](const UninstallScript& s, const InstallRoot&) {
        *dialogRan = true;
        if (title) *title = s.texts().title;
        if (items) *items = s.itemSections().size();
        return 0;
    });
}

TEST(Startup, MissingScriptAbortsWithExitCodeOne) {
    testing::TempRoot tmp;
    testing::ScriptedPrompter prompter;
    bool dialogRan = false;
    EXPECT_EQ(start(ProgramNames::of(tmp.root() / "app" / "kwu"), prompter, &dialogRan), 1);
    EXPECT_FALSE(dialogRan);
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Initialization File Missing");
    EXPECT_EQ(prompter.told[0].caption, "Aborting");
    EXPECT_FALSE(prompter.told[0].ownedByDialog);
}

TEST(Startup, ReadsTheScriptNamedAfterTheProgramBesideIt) {
    testing::TempRoot tmp;
    const EnvironmentGuard env{{"KWU_ROOT", tmp.root().string()}};
    testing::writeText(tmp.root() / "app" / "unDrum.kwu", "[UNDRUM]\nP1=Drums\n[a]\n");
    testing::writeText(tmp.root() / "app" / "kwu.kwu", "[kwu]\nP1=Wrong\n");
    testing::ScriptedPrompter prompter;
    bool dialogRan = false;
    std::string title;
    std::size_t items = 0;
    EXPECT_EQ(
        start(ProgramNames::of(tmp.root() / "app" / "unDrum.exe"), prompter, &dialogRan, &title, &items), 0);
    EXPECT_TRUE(dialogRan);
    EXPECT_EQ(title, "Drums");
    EXPECT_EQ(items, 1u);
    EXPECT_TRUE(prompter.told.empty());
}

// The root "/" (or one at or above the home folder) would make every folder of the system a
// candidate for removal: the program stops before the dialog opens.
TEST(Startup, ARootAtTheTopOrAboveHomeIsRefusedBeforeTheDialog) {
    testing::TempRoot tmp;
    const auto home = tmp.base() / "home" / "me";
    std::filesystem::create_directories(home);
    testing::writeText(tmp.root() / "app" / "kwu.kwu", "[kwu]\nP1=Drums\n");
    struct Case {
        std::optional<std::string> root;
        std::string message;
    };
    const Case cases[] = {
        {"/", "Refused the installation root \"/\": it is the top of the file system"},
        {home.string(), "it is the home folder"},
        {(tmp.base() / "home").string(), "it holds the home folder"},
        {"relative/root", "Cannot find the installation root"},
    };
    for (const auto& c : cases) {
        const EnvironmentGuard env{{"KWU_ROOT", c.root}, {"HOME", home.string()}};
        testing::ScriptedPrompter prompter;
        bool dialogRan = false;
        EXPECT_EQ(start(ProgramNames::of(tmp.root() / "app" / "kwu"), prompter, &dialogRan), 1) << *c.root;
        EXPECT_FALSE(dialogRan) << *c.root;
        ASSERT_EQ(prompter.told.size(), 1u);
        EXPECT_NE(prompter.told[0].text.find(c.message), std::string::npos) << prompter.told[0].text;
        EXPECT_EQ(prompter.told[0].caption, "Aborting");
    }
}

// The account's home comes from the user database as well as from $HOME: whatever HOME says (unset,
// empty, relative, or another folder), a root at or above the account's home is refused, by name
// and, opened, by the folder itself.
TEST(Startup, ARootAtOrAboveTheAccountsHomeIsRefusedWhateverHomeSays) {
    testing::TempRoot tmp;
    const auto account = tmp.base() / "home" / "me";
    std::filesystem::create_directories(account);
    std::filesystem::create_symlink(account, tmp.base() / "me-link");
    struct Case {
        std::filesystem::path root;
        std::string reason;  // empty: accepted
    };
    const Case cases[] = {
        {account, "it is the home folder \"" + account.string() + "\""},
        {tmp.base() / "home", "it holds the home folder \"" + account.string() + "\""},
        {tmp.base() / "me-link", "it is the home folder"},
        {account / ".local", ""},
        {tmp.root(), ""},
    };
    for (const char* home :
         {static_cast<const char*>(nullptr), "", "relative/home", "/nonexistent/elsewhere"}) {
        for (const auto& c : cases) {
            const auto layout = InstallLayout::from(c.root.c_str(), home, account);
            ASSERT_TRUE(layout);
            const std::string shown = c.root.string() + " with HOME " + (home ? home : "unset");
            EXPECT_EQ(rootRefusal(*layout).empty(), c.reason.empty()) << shown;
            const InstallRoot root = InstallRoot::open(*layout);
            EXPECT_NE(root.refusal().find(c.reason), std::string::npos) << shown << ": " << root.refusal();
            EXPECT_EQ(root.usable(), c.reason.empty()) << shown;
        }
    }
}

// The same through the real environment and the real user database.
TEST(Startup, TheAccountsOwnHomeIsRefusedWithHomeUnset) {
    const std::filesystem::path account = accountHomeFolder();
    if (account.empty() || account == "/" || !std::filesystem::is_directory(account))
        GTEST_SKIP() << "this account has no home folder of its own";
    testing::TempRoot tmp;
    testing::writeText(tmp.root() / "app" / "kwu.kwu", "[kwu]\nP1=Drums\n");
    for (const auto& root : {account, account.parent_path()}) {
        const EnvironmentGuard env{{"KWU_ROOT", root.string()}, {"HOME", std::nullopt}};
        testing::ScriptedPrompter prompter;
        bool dialogRan = false;
        EXPECT_EQ(start(ProgramNames::of(tmp.root() / "app" / "kwu"), prompter, &dialogRan), 1) << root;
        EXPECT_FALSE(dialogRan) << root;
        ASSERT_EQ(prompter.told.size(), 1u);
        EXPECT_EQ(prompter.told[0].caption, "Aborting");
        EXPECT_NE(prompter.told[0].text.find("Refused the installation root"), std::string::npos)
            << prompter.told[0].text;
    }
}

// Names can hide what a folder is: a root that is the home folder mounted elsewhere passes every
// check by name, and is refused by the open folder's identity. The mount lives in a mount namespace
// of a child process.
TEST(Startup, ARootThatIsTheHomeFolderUnderAnotherNameIsRefused) {
    testing::TempRoot tmp;
    const auto home = tmp.base() / "home" / "me";
    std::filesystem::create_directories(home / ".local");
    std::filesystem::create_directories(tmp.base() / "alias" / "me");
    const int code = testing::inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0) return testing::kChildSkipped;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return testing::kChildSkipped;
        if (::mount((tmp.base() / "home").c_str(), (tmp.base() / "alias").c_str(), nullptr, MS_BIND,
                    nullptr) != 0)
            return testing::kChildSkipped;
        for (const auto& [root, reason] : {std::pair{tmp.base() / "alias" / "me", "it is the home folder"},
                                           std::pair{tmp.base() / "alias", "it holds the home folder"}}) {
            const InstallLayout layout = InstallLayout::under(root, home);
            if (!rootRefusal(layout).empty()) return 1;
            const InstallRoot opened = InstallRoot::open(layout);
            std::fprintf(stderr, "%s\n", opened.refusal().c_str());
            if (opened.refusal().find(reason) == std::string::npos) return 2;
        }
        return InstallRoot::open(InstallLayout::under(tmp.base() / "alias" / "me" / ".local", home)).usable()
                   ? 0
                   : 3;
    });
    if (code == testing::kChildSkipped)
        GTEST_SKIP() << "this test cannot make a mount namespace and mount in it";
    EXPECT_EQ(code, 0);
}

TEST(Layout, RootComesFromTheEnvironment) {
    {
        const EnvironmentGuard env{{"KWU_ROOT", "/tmp/kwu-root-test"}};
        const auto layout = InstallLayout::fromEnvironment();
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->windowsDir, std::filesystem::path("/tmp/kwu-root-test/share"));
        EXPECT_EQ(layout->systemDir, std::filesystem::path("/tmp/kwu-root-test/lib"));
        EXPECT_EQ(layout->menuDir, std::filesystem::path("/tmp/kwu-root-test/share/applications"));
    }
    {
        const EnvironmentGuard env{{"KWU_ROOT", std::nullopt}, {"HOME", "/home/someone"}};
        const auto layout = InstallLayout::fromEnvironment();
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->root, std::filesystem::path("/home/someone/.local"));
    }
    const EnvironmentGuard env{{"KWU_ROOT", std::nullopt}, {"HOME", std::nullopt}};
    EXPECT_FALSE(InstallLayout::fromEnvironment());
}

}  // namespace
}  // namespace kwu
