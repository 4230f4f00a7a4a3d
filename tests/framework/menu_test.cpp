// Menus: shared records and which wrapper destroys which menu.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/appcore.h"
#include "framework/menu.h"
#include "tests/framework/app_environment.h"

namespace {

using Casement::CMenu;

TEST(Menu, ResourceMenuLoadsWithItsTexts) {
    CMenu menu;
    ASSERT_TRUE(menu.LoadFromResource(41));
    EXPECT_EQ("文件(&F)", menu.GetMenuString(0, MF_BYPOSITION).GetString());
    CMenu popup = menu.GetSubMenu(0);
    EXPECT_EQ(3, popup.GetMenuItemCount());
    EXPECT_EQ("另存为(&A)...", popup.GetMenuString(100, MF_BYCOMMAND).GetString());
    EXPECT_FALSE(CMenu().LoadFromResource(999));
}

TEST(Menu, LastReferenceDestroysOnlyMenusAWrapperOwns) {
    CMenu bar;
    ASSERT_TRUE(bar.CreateMenu());
    const HMENU barHandle = bar;
    HMENU popupHandle = nullptr;
    {
        CMenu popup;
        ASSERT_TRUE(popup.CreatePopupMenu());
        popupHandle = popup;
        ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(popupHandle), "编辑"));
    }
    EXPECT_TRUE(IsMenu(popupHandle));  // it belongs to the bar now
    {
        CMenu sub = bar.GetSubMenu(0);
        CMenu attached(barHandle);
        EXPECT_EQ(popupHandle, static_cast<HMENU>(sub));
    }
    EXPECT_TRUE(IsMenu(barHandle));
    EXPECT_TRUE(IsMenu(popupHandle));

    bar.Release();
    EXPECT_FALSE(IsMenu(barHandle));
    EXPECT_FALSE(IsMenu(popupHandle));
    EXPECT_EQ(nullptr, Casement::GetApp().MenuMap().Find(barHandle));
}

}  // namespace
