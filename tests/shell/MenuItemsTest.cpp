#include "shell/MenuItems.h"

#include "shell/ActionTable.h"

#include <gtest/gtest.h>

#include <set>

namespace narv {
namespace {

TEST(MenuItems, ComponentNamesAreUniqueAndReadLikeTheHintFile)
{
    EXPECT_EQ(MenuComponentName("&New Model"), "NewModel1");
    EXPECT_EQ(MenuComponentName("&CSTR (Completely Stirred Tank Reactor) "),
              "CSTRCompletelyStirredTankReactor1");
    EXPECT_EQ(MenuComponentName("&About..."), "About1");
    const ActionTable table;
    std::set<std::string> names;
    for (const auto& [menu, items] : table.menus()) {
        EXPECT_TRUE(names.insert(MenuComponentName(menu)).second) << menu;
        EXPECT_FALSE(MenuItemHint(menu, {}).empty()) << menu;
        for (const std::string& item : items) {
            EXPECT_TRUE(names.insert(MenuComponentName(item)).second) << item;
            EXPECT_FALSE(MenuItemHint(item, {}).empty()) << "a built-in hint for " << item;
        }
    }
}

TEST(MenuItems, TheHintFileReplacesTheBuiltInHint)
{
    const std::map<std::string, std::string> file = {{"LoadProject1", "Open\na project"},
                                                     {"loadproject1", "wrong case"}};
    EXPECT_EQ(MenuItemHint("&Load Project", file), "Open\na project");
    EXPECT_EQ(MenuItemHint("&Save Project", file),
              "Save the model, plant and variation of the project");
}

} // namespace
} // namespace narv
