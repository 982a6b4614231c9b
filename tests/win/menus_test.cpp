// Menus from the module's MENU and MENUEX resources and item by item: popups, items found by
// command (also inside popups) or by position, checks, greying, text, removal and deletion.
#include <string>
#include <gtest/gtest.h>
#include "win/menus.h"
#include "win_support.h"
#include "res/test_resource.h"

namespace {

std::string text(HMENU menu, UINT item, UINT flags) {
    char buffer[64] = "?";
    const int n = GetMenuString(menu, item, buffer, sizeof buffer, flags);
    EXPECT_EQ(n, GetMenuString(menu, item, nullptr, 0, flags));
    return buffer;
}

class MenuResourceTest : public wintest::RegisteredImageTest {};

}  // namespace

TEST_F(MenuResourceTest, LoadMenuBuildsThePopupsOfTheResource) {
    HMENU bar = LoadMenu(wintest::kModule, MAKEINTRESOURCE(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 3);
    HMENU file = GetSubMenu(bar, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1));
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), (3u << 8) | MF_POPUP);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(ID_FILE_OPEN));
    EXPECT_EQ(text(file, ID_FILE_OPEN, MF_BYCOMMAND), "&Open...\tCtrl+O");
    EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuState(bar, ID_FILE_EXIT, MF_BYCOMMAND), MF_GRAYED);  // found inside its popup
    EXPECT_EQ(GetMenuState(bar, ID_VIEW_GRID, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(text(GetSubMenu(GetSubMenu(bar, 1), 1), 2010, MF_BYCOMMAND), "Deep");
    EXPECT_EQ(GetMenuState(bar, 9999, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_TRUE(DestroyMenu(bar));
    EXPECT_FALSE(IsMenu(file));  // its popups went with it
    HMENU extended = LoadMenu(wintest::kModule, MAKEINTRESOURCE(IDR_EXMENU));
    ASSERT_NE(extended, nullptr);
    HMENU edit = GetSubMenu(extended, 0);
    EXPECT_EQ(GetMenuItemCount(edit), 3);
    EXPECT_EQ(GetMenuState(edit, 2101, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(GetMenuState(edit, 1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    DestroyMenu(extended);
    EXPECT_EQ(LoadMenu(wintest::kModule, MAKEINTRESOURCE(9999)), nullptr);
}

TEST(MenuTest, ItemsChangeByCommandAndByPosition) {
    HMENU menu = CreatePopupMenu();
    HMENU inner = CreatePopupMenu();
    ASSERT_TRUE(AppendMenu(menu, MF_STRING, 10, "&First"));
    ASSERT_TRUE(AppendMenu(menu, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenu(menu, MF_STRING | MF_GRAYED, 11, "Second"));
    ASSERT_TRUE(AppendMenu(inner, MF_STRING, 20, "Inner"));
    ASSERT_TRUE(AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "More"));
    EXPECT_FALSE(AppendMenu(menu, MF_POPUP, 12345, "Not a menu"));
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    // Checks and enabling answer the state before.
    EXPECT_EQ(CheckMenuItem(menu, 10, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 0, MF_BYPOSITION | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(CheckMenuItem(menu, 20, MF_BYCOMMAND | MF_CHECKED), MF_UNCHECKED);  // inside the popup
    EXPECT_EQ(GetMenuState(inner, 0, MF_BYPOSITION), MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(menu, 11, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
    EXPECT_EQ(EnableMenuItem(menu, 99, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(CheckMenuItem(menu, 99, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(-1));
    ASSERT_TRUE(ModifyMenu(menu, 11, MF_BYCOMMAND | MF_STRING, 12, "Renamed"));
    EXPECT_EQ(GetMenuItemID(menu, 2), 12u);
    EXPECT_EQ(text(menu, 2, MF_BYPOSITION), "Renamed");
    ASSERT_TRUE(InsertMenu(menu, 0, MF_BYPOSITION | MF_STRING, 9, "Zero"));
    EXPECT_EQ(GetMenuItemID(menu, 0), 9u);
    // RemoveMenu leaves a popup alive for its holder; DeleteMenu destroys it.
    EXPECT_TRUE(RemoveMenu(menu, 4, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(inner));
    EXPECT_TRUE(AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "More"));
    EXPECT_TRUE(DeleteMenu(menu, 4, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(inner));
    EXPECT_TRUE(RemoveMenu(menu, 12, MF_BYCOMMAND));
    EXPECT_FALSE(RemoveMenu(menu, 12, MF_BYCOMMAND));
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    EXPECT_TRUE(DestroyMenu(menu));
    EXPECT_FALSE(DestroyMenu(menu));
}
