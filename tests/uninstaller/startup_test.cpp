#include "uninstaller/startup.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

TEST(Startup, MissingScriptAbortsWithExitCodeOne) {
    testing::TempRoot tmp;
    testing::ScriptedPrompter prompter;
    bool dialogRan = false;
    const int code = startUninstaller(ProgramNames::of(tmp.root() / "app" / "kwu"), prompter,
                                      [&](const UninstallScript&) { return dialogRan = true, 0; });
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(dialogRan);
    ASSERT_EQ(prompter.told.size(), 1u);
    EXPECT_EQ(prompter.told[0].text, "Initialization File Missing");
    EXPECT_EQ(prompter.told[0].caption, "Aborting");
    EXPECT_FALSE(prompter.told[0].ownedByDialog);
}

TEST(Startup, ReadsTheScriptNamedAfterTheProgramBesideIt) {
    testing::TempRoot tmp;
    testing::writeText(tmp.root() / "app" / "unDrum.kwu", "[UNDRUM]\nP1=Drums\n[a]\n");
    testing::writeText(tmp.root() / "app" / "kwu.kwu", "[kwu]\nP1=Wrong\n");
    testing::ScriptedPrompter prompter;
    std::string title;
    std::size_t items = 0;
    const int code = startUninstaller(ProgramNames::of(tmp.root() / "app" / "unDrum.exe"), prompter,
                                      [&](const UninstallScript& s) {
                                          title = s.texts().title;
                                          items = s.itemSections().size();
                                          return 0;
                                      });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "Drums");
    EXPECT_EQ(items, 1u);
    EXPECT_TRUE(prompter.told.empty());
}

TEST(Layout, RootComesFromTheEnvironment) {
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("KWU_ROOT", "/tmp/kwu-root-test", 1);
    auto layout = InstallLayout::fromEnvironment();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->windowsDir, std::filesystem::path("/tmp/kwu-root-test/share"));
    EXPECT_EQ(layout->systemDir, std::filesystem::path("/tmp/kwu-root-test/lib"));
    EXPECT_EQ(layout->menuDir, std::filesystem::path("/tmp/kwu-root-test/share/applications"));
    ::setenv("KWU_ROOT", "relative/root", 1);
    EXPECT_FALSE(InstallLayout::fromEnvironment());
    ::unsetenv("KWU_ROOT");
    ::setenv("HOME", "/home/someone", 1);
    layout = InstallLayout::fromEnvironment();
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->root, std::filesystem::path("/home/someone/.local"));
    if (oldHome) ::setenv("HOME", savedHome.c_str(), 1);
}

}  // namespace
}  // namespace kwu
