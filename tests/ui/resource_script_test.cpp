// The program's own resources as the built executable carries them: ids,
// texts, initial menu states, accelerator keys and dialog templates.
#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/e2e/driver.h"
#include "ui/resource_ids.h"

namespace {

// One control of a dialog template. A text given by ordinal reads "#n"; a
// system class reads as its upper-case name, however it is stored.
struct Item {
    int id;
    std::wstring windowClass;
    std::wstring text;
    DWORD style;
    short x, y, cx, cy;
    bool operator==(const Item& o) const {
        return id == o.id && windowClass == o.windowClass && text == o.text && style == o.style && x == o.x &&
               y == o.y && cx == o.cx && cy == o.cy;
    }
};

void PrintTo(const Item& item, std::ostream* out) {
    *out << "{id " << item.id << ", class of " << item.windowClass.size() << " characters, style 0x" << std::hex
         << item.style
         << std::dec << ", " << item.x << "," << item.y << "," << item.cx << "," << item.cy << ", "
         << item.text.size() << " characters}";
}

struct Template {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::wstring caption;
    WORD fontSize = 0;
    std::wstring font;
    std::vector<Item> items;
};

// Reads a dialog template in its plain (not extended) form, as stored.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : m_base(data), m_at(data) {}

    Template Read() {
        Template dialog;
        dialog.style = Dword();
        Dword();  // extended style
        const WORD count = Word();
        Word();
        Word();
        dialog.cx = static_cast<short>(Word());
        dialog.cy = static_cast<short>(Word());
        Text();  // menu
        Text();  // class
        dialog.caption = Text();
        if (dialog.style & DS_SETFONT) {
            dialog.fontSize = Word();
            dialog.font = Text();
        }
        for (WORD i = 0; i < count; ++i) {
            m_at = m_base + ((m_at - m_base + 3) & ~3);
            Item item{};
            item.style = Dword();
            Dword();
            item.x = static_cast<short>(Word());
            item.y = static_cast<short>(Word());
            item.cx = static_cast<short>(Word());
            item.cy = static_cast<short>(Word());
            item.id = static_cast<short>(Word());
            item.windowClass = ClassName(Text());
            item.text = Text();
            m_at += Word();  // creation data
            dialog.items.push_back(item);
        }
        return dialog;
    }

private:
    WORD Word() {
        WORD value;
        memcpy(&value, m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }
    DWORD Dword() {
        const DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    // A zero-terminated string, or 0xFFFF and an ordinal, read as "#n".
    std::wstring Text() {
        WORD first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (; first != 0; first = Word())
            text.push_back(static_cast<wchar_t>(first));
        return text;
    }

    // The system's class ordinals stand for these names.
    static std::wstring ClassName(std::wstring stored) {
        const wchar_t* const kOrdinalNames[] = {L"BUTTON", L"EDIT", L"STATIC", L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
        if (stored.size() > 1 && stored[0] == L'#') {
            const int ordinal = std::stoi(stored.substr(1));
            return ordinal >= 0x80 && ordinal <= 0x85 ? kOrdinalNames[ordinal - 0x80] : stored;
        }
        for (wchar_t& c : stored)
            c = static_cast<wchar_t>(towupper(c));
        return stored;
    }

    const BYTE* m_base;
    const BYTE* m_at;
};

const wchar_t kButton[] = L"BUTTON", kEdit[] = L"EDIT", kStatic[] = L"STATIC", kComboBox[] = L"COMBOBOX";
constexpr DWORD kDefaultButton = 0x50010001, kButtonStyle = 0x50010000, kLabel = 0x50020000;
constexpr DWORD kPasswordField = 0x508100A0;

// A dialog's own fields; every dialog of the program uses 8-point "MS Shell Dlg".
void ExpectDialog(const Template& dialog, DWORD style, const wchar_t* caption, short cx, short cy) {
    EXPECT_EQ(style, dialog.style);
    EXPECT_EQ(caption, dialog.caption);
    EXPECT_EQ(cx, dialog.cx);
    EXPECT_EQ(cy, dialog.cy);
    EXPECT_EQ(8, dialog.fontSize);
    EXPECT_EQ(L"MS Shell Dlg", dialog.font);
}

class ProgramResources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExA(driver::PathFromEnvironment("SCRIBECRYPT_EXE").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }

    static HMODULE module_;
};

HMODULE ProgramResources::module_ = nullptr;

// Every string of the table, found block by block (sixteen ids a block).
BOOL CALLBACK CollectStringBlock(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR found) {
    const UINT first = (static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)) - 1) * 16;
    for (UINT id = first; id < first + 16; ++id) {
        wchar_t text[256] = {};
        if (LoadStringW(module, id, text, 256) > 0)
            (*reinterpret_cast<std::map<UINT, std::wstring>*>(found))[id] = text;
    }
    return TRUE;
}

TEST_F(ProgramResources, StringTableHoldsExactlyThePromptsAndIndicators) {
    ASSERT_NE(nullptr, module_);
    std::map<UINT, std::wstring> table;
    EnumResourceNamesW(module_, MAKEINTRESOURCEW(6), CollectStringBlock, reinterpret_cast<LONG_PTR>(&table));
    const std::map<UINT, std::wstring> expected = {
        {IDR_MAIN, L"Scribecrypt"},
        {IDM_STATUS_BAR, L"显示或隐藏状态栏"},
        {IDS_READY, L"Ready"},
        {IDS_CAPS, L"CAP"},
        {IDS_NUM, L"NUM"},
        {IDS_SCROLL, L"SCRL"},
        {IDM_OPEN, L"打开文档"},
        {IDM_SAVE, L"保存文档"},
        {IDM_SAVE_AS, L"以新名称保存"},
        {IDM_EXIT, L"退出程序"},
        {IDM_UNDO, L"撤消动作"},
        {IDM_REDO, L"Redo the previously undone action"},
        {IDM_CUT, L"将所选内容剪切到剪贴板"},
        {IDM_COPY, L"将所选内容复制到剪贴板"},
        {IDM_PASTE, L"将剪贴板内容粘贴到文档中"},
        {IDM_CLEAR, L"删除选定的内容"},
        {IDM_FIND, L"查找指定的文本"},
        {IDM_FIND_NEXT, L"查找下一个匹配的文本"},
        {IDM_FIND_PREVIOUS, L"查找上一个匹配的文本"},
        {IDM_REPLACE, L"用其他文本替换指定的文本"},
        {IDM_SELECT_ALL, L"选定整个文档"},
        {IDM_ABOUT, L"显示程序信息"},
        {IDM_HISTORY, L"查看或恢复较早保存的版本"},
        {SC_CLOSE, L"关闭窗口"},
        {SC_RESTORE, L"Restore the Window"},
    };
    EXPECT_EQ(expected, table);
}

TEST_F(ProgramResources, MenuHasItsItemsAndInitialStates) {
    HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(IDR_MAIN));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(5, GetMenuItemCount(menu));
    const wchar_t* popups[] = {L"文件", L"编辑", L"选项", L"视图", L"帮助"};
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(popups[i], text);
    }

    HMENU file = GetSubMenu(menu, 0);
    const std::vector<UINT> fileIds = {IDM_SAVE, IDM_HISTORY, IDM_SAVE_AS, 0, IDM_CHANGE_PASSWORD, 0, IDM_LOCK, IDM_EXIT};
    ASSERT_EQ(static_cast<int>(fileIds.size()), GetMenuItemCount(file));
    for (int i = 0; i < GetMenuItemCount(file); ++i)
        EXPECT_EQ(fileIds[i], GetMenuItemID(file, i)) << i;
    wchar_t save[64] = {};
    GetMenuStringW(file, IDM_SAVE, save, 64, MF_BYCOMMAND);
    EXPECT_STREQ(L"保存\tCtrl+S", save);
    wchar_t lock[64] = {};
    GetMenuStringW(file, IDM_LOCK, lock, 64, MF_BYCOMMAND);
    EXPECT_STREQ(L"锁定\tCtrl+L", lock);

    HMENU edit = GetSubMenu(menu, 1);
    const std::vector<UINT> editIds = {IDM_UNDO,      0,       IDM_CUT,  IDM_COPY, IDM_PASTE, IDM_CLEAR, 0, IDM_FIND,
                                       IDM_FIND_NEXT, IDM_FIND_PREVIOUS, IDM_REPLACE, 0, IDM_SELECT_ALL};
    ASSERT_EQ(static_cast<int>(editIds.size()), GetMenuItemCount(edit));
    for (int i = 0; i < GetMenuItemCount(edit); ++i)
        EXPECT_EQ(editIds[i], GetMenuItemID(edit, i)) << i;
    const std::map<UINT, std::wstring> labels = {
        {IDM_UNDO, L"撤销\tCtrl+Z"},           {IDM_FIND, L"查找...\tCtrl+F"},
        {IDM_FIND_NEXT, L"查找下一个\tF3"},    {IDM_FIND_PREVIOUS, L"查找上一个\tShift+F3"},
        {IDM_REPLACE, L"替换...\tCtrl+H"},     {IDM_SELECT_ALL, L"全选\tCtrl+A"},
    };
    for (const auto& [id, label] : labels) {
        wchar_t text[64] = {};
        GetMenuStringW(edit, id, text, 64, MF_BYCOMMAND);
        EXPECT_EQ(label, text) << id;
        EXPECT_EQ(0u, GetMenuState(edit, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) << id;
    }

    // Disabled, not grayed: the frame's refresh uses the same state.
    EXPECT_EQ(static_cast<UINT>(MF_DISABLED), GetMenuState(menu, IDM_CHANGE_PASSWORD, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED));
    EXPECT_TRUE(GetMenuState(menu, IDM_WORD_WRAP, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(GetMenuState(menu, 44, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(menu, IDM_SAVE_AS, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED));
    DestroyMenu(menu);
}

TEST_F(ProgramResources, AcceleratorsAreVirtualKeysWithoutMenuFlash) {
    HACCEL table = LoadAcceleratorsW(module_, MAKEINTRESOURCEW(IDR_MAIN));
    ASSERT_NE(nullptr, table);
    ACCEL entries[16] = {};
    const int count = CopyAcceleratorTableW(table, entries, 16);
    const struct {
        WORD key;
        BYTE modifiers;
        WORD command;
    } expected[] = {{'C', FCONTROL, IDM_COPY},       {'X', FCONTROL, IDM_CUT},
                    {'V', FCONTROL, IDM_PASTE},      {'Y', FCONTROL | FSHIFT, IDM_REDO},
                    {'Z', FCONTROL, IDM_UNDO},       {'F', FCONTROL, IDM_FIND},
                    {VK_F3, 0, IDM_FIND_NEXT},       {VK_F3, FSHIFT, IDM_FIND_PREVIOUS},
                    {'H', FCONTROL, IDM_REPLACE},    {'A', FCONTROL, IDM_SELECT_ALL},
                    {'S', FCONTROL, IDM_SAVE},       {'L', FCONTROL, IDM_LOCK},
                    {VK_INSERT, FCONTROL, IDM_COPY}, {VK_DELETE, FSHIFT, IDM_CUT},
                    {VK_INSERT, FSHIFT, IDM_PASTE}};
    ASSERT_EQ(static_cast<int>(std::size(expected)), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(expected[i].key, entries[i].key) << i;
        EXPECT_EQ(expected[i].command, entries[i].cmd) << i;
        EXPECT_EQ(FVIRTKEY | FNOINVERT | expected[i].modifiers, entries[i].fVirt) << i;
    }
    DestroyAcceleratorTable(table);
}

TEST_F(ProgramResources, DialogTemplatesHaveTheirControlsInTabOrder) {
    auto read = [](WORD id) {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
        EXPECT_NE(nullptr, found) << id;
        return found ? TemplateReader(static_cast<const BYTE*>(LockResource(LoadResource(module_, found)))).Read()
                     : Template{};
    };

    const Template about = read(IDD_ABOUT);
    ExpectDialog(about, 0x90C800C8, L"About", 151, 158);
    EXPECT_EQ((std::vector<Item>{
                  {IDOK, kButton, L"确定", kDefaultButton, 89, 137, 50, 14},
                  {0, kStatic, L"#41", WS_CHILD | WS_VISIBLE | SS_ICON, 12, 10, 21, 20},
                  {-1, kStatic, L"" SCRIBECRYPT_TITLE, kLabel, 52, 16, 64, 8},
                  {-1, kStatic, L"说明：采用高级加密算法的便签笔记", kLabel, 12, 55, 135, 12},
                  {IDC_ABOUT_CHOICES, kStatic, L"本。支持AES、Camellia、SM4、SEED、", kLabel, 35, 67, 109, 8},
                  {IDC_ABOUT_LAST_CHOICE, kStatic, L"XChaCha20-Poly1305算法。", kLabel, 35, 79, 109, 8},
                  {-1, kStatic, L"程序标识：", kLabel, 12, 93, 135, 8},
                  {IDC_ABOUT_IDENTITY, kEdit, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_READONLY,
                   12, 104, 127, 28},
                  {IDC_ABOUT_FULL_IDENTITY, kButton, L"完整标识(&F)", kButtonStyle, 12, 137, 60, 14},
              }),
              about.items);

    const Template enter = read(IDD_ENTER_PASSWORD);
    ExpectDialog(enter, 0x80C800C8, L"Scribecrypt", 239, 129);
    EXPECT_EQ((std::vector<Item>{
                  {IDOK, kButton, L"确定", kDefaultButton, 119, 95, 50, 14},
                  {IDCANCEL, kButton, L"取消", kButtonStyle, 177, 95, 50, 14},
                  {IDC_PASSWORD_PROMPT, kStatic, L"请输入打开文档所需密码。", kLabel, 19, 26, 97, 8},
                  {IDC_PASSWORD, kEdit, L"", kPasswordField, 102, 52, 120, 14},
                  {-1, kStatic, L"密码：", kLabel, 75, 56, 25, 8},
              }),
              enter.items);

    const Template fresh = read(IDD_NEW_PASSWORD);
    ExpectDialog(fresh, 0x90C800C8, L"Scribecrypt", 237, 136);
    EXPECT_EQ((std::vector<Item>{
                  {IDOK, kButton, L"确定", kDefaultButton, 109, 108, 46, 14},
                  {IDCANCEL, kButton, L"取消", kButtonStyle, 168, 108, 45, 14},
                  {-1, kStatic, L"请输入一个新的密码加密文档。", kLabel, 17, 13, 113, 8},
                  {-1, kStatic, L"密码：", kLabel, 30, 39, 25, 8},
                  {-1, kStatic, L"重复密码：", kLabel, 29, 61, 41, 8},
                  {-1, kStatic, L"加密算法：", kLabel, 30, 83, 41, 8},
                  {IDC_NEW_PASSWORD, kEdit, L"", kPasswordField, 89, 35, 124, 14},
                  {IDC_REPEAT_PASSWORD, kEdit, L"", kPasswordField, 89, 57, 124, 14},
                  {IDC_CIPHER, kComboBox, L"", 0x50210103, 89, 80, 123, 60},
              }),
              fresh.items);
}

// The icon group lists its images; loading an icon at a size would scale
// whichever image there is, so the group itself is read.
TEST_F(ProgramResources, IconGroupHoldsA16And32PixelImage) {
    HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(IDR_MAIN), MAKEINTRESOURCEW(14));
    ASSERT_NE(nullptr, found);
    const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    // A 6-byte header whose last word is the count, then 14-byte entries
    // starting with width and height (0 meaning 256).
    const DWORD size = SizeofResource(module_, found);
    ASSERT_LE(6u, size);
    const int count = group[4] | group[5] << 8;
    ASSERT_EQ(6u + 14u * count, size);
    std::set<std::pair<int, int>> sizes;
    for (int entry = 0; entry < count; ++entry)
        sizes.insert({group[6 + 14 * entry], group[7 + 14 * entry]});
    EXPECT_EQ((std::set<std::pair<int, int>>{{16, 16}, {32, 32}}), sizes);
}

}  // namespace
