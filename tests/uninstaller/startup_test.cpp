#include "uninstaller/startup.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"

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
