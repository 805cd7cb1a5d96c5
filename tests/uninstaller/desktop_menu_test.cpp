#include "uninstaller/desktop_menu.h"

#include <gtest/gtest.h>

#include "kwu_test_support.h"

namespace kwu {
namespace {

namespace fs = std::filesystem;
using testing::present;
using testing::writeText;

// Items are found by file name or by Name, any case, the first in name order winning; each request
// deletes one, so the same name asked again deletes the next. What the group held is read when it is
// first shown, so a file written there later is not among its items.
TEST(DesktopMenu, DeletesTheFirstItemOfANameEachTimeItIsAsked) {
    testing::TempRoot tmp;
    const fs::path group = tmp.layout.menuDir / "Drums";
    writeText(group / "b.desktop", "[Desktop Entry]\nName=Same\n");
    writeText(group / "a.desktop", "[Desktop Entry]\nName=same\n");
    writeText(group / "Same.desktop", "[Desktop Entry]\nName=Other\n");
    writeText(group / "c.desktop", "[Desktop Entry]\nName=X\n");
    writeText(group / "notes.txt", "Name=Same\n");
    const InstallRoot root = InstallRoot::open(tmp.layout);
    DesktopMenu menu(root);
    ASSERT_TRUE(menu.connect());
    ASSERT_TRUE(menu.showGroup("DRUMS"));
    ASSERT_TRUE(menu.showGroup("drums"));  // shown twice, as the run does
    writeText(group / "0.desktop", "[Desktop Entry]\nName=Same\n");
    const std::pair<const char*, const char*> steps[] = {
        {"SAME", "Same.desktop"},  // "Same.desktop" sorts first, matched by its file name
        {"same", "a.desktop"},    {"Same", "b.desktop"},
        {"same", nullptr},        {"Other", nullptr},  // its file is gone already
        {"x", "c.desktop"},       {"notes", nullptr},
    };
    for (const auto& [item, gone] : steps) {
        EXPECT_EQ(menu.deleteItem(item), gone != nullptr) << item;
        if (gone) {
            EXPECT_FALSE(present(group / gone)) << item;
        }
    }
    EXPECT_TRUE(present(group / "notes.txt"));
    EXPECT_TRUE(present(group / "0.desktop"));
    EXPECT_TRUE(menu.leftInPlace().empty());
    EXPECT_TRUE(menu.deleteGroup("Drums"));
    EXPECT_FALSE(present(group));
}

}  // namespace
}  // namespace kwu
