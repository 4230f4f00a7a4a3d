// The program's own resources as the built executable carries them: ids,
// texts, initial menu states and accelerator keys.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace {

class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExA(driver::PathFromEnvironment("SCRIBECRYPT_EXE").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }

    static std::wstring String(UINT id) {
        wchar_t text[256] = {};
        LoadStringW(module_, id, text, 256);
        return text;
    }

    static HMODULE module_;
};

HMODULE ProgramResources::module_ = nullptr;

TEST_F(ProgramResources, StringTableHoldsThePromptsAndIndicators) {
    ASSERT_NE(nullptr, module_);
    EXPECT_EQ(L"Scribecrypt", String(41));
    EXPECT_EQ(L"显示或隐藏状态栏", String(44));
    EXPECT_EQ(L"Ready", String(45));
    EXPECT_EQ(L"CAP", String(46));
    EXPECT_EQ(L"NUM", String(47));
    EXPECT_EQ(L"SCRL", String(48));
    EXPECT_EQ(L"撤消动作", String(130));
    EXPECT_EQ(L"将剪贴板内容粘贴到文档中", String(134));
    EXPECT_EQ(L"关闭窗口", String(61536));
    EXPECT_EQ(L"Restore the Window", String(61728));
}

TEST_F(ProgramResources, MenuHasItsItemsAndInitialStates) {
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(41));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(5, GetMenuItemCount(menu));
    const wchar_t* popups[] = {L"文件", L"编辑", L"选项", L"视图", L"帮助"};
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(popups[i], text);
    }

    HMENU edit = GetSubMenu(menu, 1);
    const std::vector<UINT> editIds = {130, 0, 132, 133, 134, 135};
    ASSERT_EQ(static_cast<int>(editIds.size()), GetMenuItemCount(edit));
    for (int i = 0; i < GetMenuItemCount(edit); ++i)
        EXPECT_EQ(editIds[i], GetMenuItemID(edit, i)) << i;
    wchar_t undo[64] = {};
    GetMenuStringW(edit, 130, undo, 64, MF_BYCOMMAND);
    EXPECT_STREQ(L"撤销\tCtrl+Z", undo);

    // Disabled, not grayed: the frame's refresh uses the same state.
    EXPECT_EQ(static_cast<UINT>(MF_DISABLED), GetMenuState(menu, 32772, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED));
    EXPECT_TRUE(GetMenuState(menu, 141, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 44, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, 124, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
    DestroyMenu(menu);
}

TEST_F(ProgramResources, AcceleratorsAreControlKeysOnly) {
    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(41));
    ASSERT_NE(nullptr, table);
    ACCEL entries[16] = {};
    const int count = CopyAcceleratorTableW(table, entries, 16);
    ASSERT_EQ(5, count);
    const struct {
        WORD key;
        BYTE extra;
        WORD command;
    } expected[] = {{'C', 0, 133}, {'X', 0, 132}, {'V', 0, 134}, {'Y', FSHIFT, 131}, {'Z', 0, 130}};
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(expected[i].key, entries[i].key) << i;
        EXPECT_EQ(expected[i].command, entries[i].cmd) << i;
        EXPECT_EQ(FVIRTKEY | FCONTROL | FNOINVERT | expected[i].extra, entries[i].fVirt) << i;
    }
    DestroyAcceleratorTable(table);
}

TEST_F(ProgramResources, DialogsAndIconArePresent) {
    for (WORD id : {42, 129, 132})
        EXPECT_NE(nullptr, FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5))) << id;
    EXPECT_NE(nullptr, LoadImageW(module_, MAKEINTRESOURCEW(41), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(nullptr, LoadImageW(module_, MAKEINTRESOURCEW(41), IMAGE_ICON, 16, 16, 0));
}

}  // namespace
