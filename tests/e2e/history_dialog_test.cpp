// 文件 → 历史版本… end to end, with the keyboard: the earlier versions newest
// first with their dates and sizes, a preview of the selected one, 恢复 as one
// edit that 撤销 takes back and a save keeps in its turn; a damaged version
// shown unreadable and never restored; nothing offered while locked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::EditorOnCopy;

constexpr DWORD kOpenMs = 10000;

// Opens the dialog and waits until it has filled its list; null when no
// dialog came.
HWND OpenHistory(Editor& editor, DWORD timeoutMs = driver::kWindowTimeoutMs) {
    editor.Command(IDM_HISTORY);
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"历史版本", timeoutMs);
    if (dialog == nullptr ||
        !driver::WaitUntil([&] { return SendDlgItemMessageW(dialog, IDC_HISTORY_LIST, LB_GETCOUNT, 0, 0) > 0; },
                           kOpenMs))
        return nullptr;
    return dialog;
}

std::vector<std::wstring> Lines(HWND dialog) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendDlgItemMessageW(dialog, IDC_HISTORY_LIST, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(static_cast<std::size_t>(SendDlgItemMessageW(dialog, IDC_HISTORY_LIST, LB_GETTEXTLEN, i, 0)),
                          L'\0');
        SendDlgItemMessageW(dialog, IDC_HISTORY_LIST, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&line[0]));
        lines.push_back(line);
    }
    return lines;
}

std::wstring Preview(HWND dialog) { return driver::ControlText(GetDlgItem(dialog, IDC_HISTORY_PREVIEW)); }

// A key pressed in the list, through the dialog's own message loop.
void PressKey(HWND dialog, WPARAM key) {
    const HWND list = GetDlgItem(dialog, IDC_HISTORY_LIST);
    PostMessageW(list, WM_KEYDOWN, key, 1);
    PostMessageW(list, WM_KEYUP, key, 0xC0000001);
}

// Today's date as the user's system writes it, which begins each line.
std::wstring Today() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    wchar_t date[80] = L"";
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 80);
    return date;
}

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A note saved twice after "first": "first second third" with the versions
// "first second" and "first".
void SaveTwice(const Editor& editor) {
    editor.Append(L" second");
    ASSERT_TRUE(editor.SaveNow());
    editor.Append(L" third");
    ASSERT_TRUE(editor.SaveNow());
}

TEST(HistoryDialog, ListsPreviewsAndRestoresAVersionAsAnEditThatUndoTakesBackAndASaveKeeps) {
    EditorOnCopy editor("history dialog", "first", "pw", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    SaveTwice(editor);
    editor.Append(L" fourth");

    HWND dialog = OpenHistory(editor);
    ASSERT_NE(nullptr, dialog);
    std::vector<std::wstring> lines = Lines(dialog);
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(0u, lines[0].find(Today())) << lines[0];
    EXPECT_TRUE(EndsWith(lines[0], L" 12 个字符")) << lines[0];
    EXPECT_TRUE(EndsWith(lines[1], L" 5 个字符")) << lines[1];
    EXPECT_EQ(L"first second", Preview(dialog));
    PressKey(dialog, VK_DOWN);
    EXPECT_TRUE(driver::WaitUntil([&] { return Preview(dialog) == L"first"; }, kOpenMs)) << Preview(dialog);

    // Escape changes nothing.
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(L"first second third fourth", editor.UnsavedText());

    // Enter restores the selected version as one edit.
    dialog = OpenHistory(editor);
    ASSERT_NE(nullptr, dialog);
    PressKey(dialog, VK_DOWN);
    PressKey(dialog, VK_RETURN);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(L"first", editor.UnsavedText());
    EXPECT_TRUE(editor.Modified());
    EXPECT_EQ("first second third", editor.Copy().NoteText("pw")) << "nothing is written before a save";
    // The command is posted, and a question sent to the view may come first.
    editor.Command(IDM_UNDO);
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.UnsavedText() == L"first second third fourth"; }, kOpenMs))
        << editor.UnsavedText();

    dialog = OpenHistory(editor);
    ASSERT_NE(nullptr, dialog);
    driver::PressButton(dialog, IDOK);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(L"first second", editor.UnsavedText());
    ASSERT_TRUE(editor.SaveNow());
    EXPECT_EQ("first second", editor.Copy().NoteText("pw"));
    dialog = OpenHistory(editor);
    ASSERT_NE(nullptr, dialog);
    lines = Lines(dialog);
    EXPECT_EQ(3u, lines.size());
    EXPECT_EQ(L"first second third", Preview(dialog)) << "the text the save replaced is the newest version";
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

TEST(HistoryDialog, ADamagedVersionIsUnreadableAndNeverRestoredAndALockedNoteOffersNone) {
    EditorOnCopy editor("history damaged", "first", "pw", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    SaveTwice(editor);
    EXPECT_EQ(0u, editor.CloseUnchanged());
    std::string damaged = editor.Copy().Packet("NOTE2");
    damaged.back() ^= 1;
    // The program file runs a moment longer, removing what the saves retired.
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.Copy().AddPacket("NOTE2", damaged); }, kOpenMs));

    Editor reopened(editor.Copy());
    ASSERT_TRUE(reopened.Open(L"pw"));
    const HWND dialog = OpenHistory(reopened);
    ASSERT_NE(nullptr, dialog);
    const std::vector<std::wstring> lines = Lines(dialog);
    ASSERT_EQ(2u, lines.size());
    EXPECT_TRUE(EndsWith(lines[0], L" 12 个字符")) << lines[0];
    EXPECT_EQ(L"无法读取", lines[1]);
    PressKey(dialog, VK_DOWN);
    EXPECT_TRUE(driver::WaitUntil([&] { return !IsWindowEnabled(GetDlgItem(dialog, IDOK)); }, kOpenMs));
    EXPECT_EQ(L"", Preview(dialog));
    PressKey(dialog, VK_RETURN);
    PressKey(dialog, VK_ESCAPE);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(L"first second third", reopened.Text());
    EXPECT_FALSE(reopened.Modified());

    reopened.Command(IDM_LOCK);
    EXPECT_EQ(nullptr, OpenHistory(reopened, 2000)) << "a locked note offers no versions";
    reopened.GetProcess().Kill();
}

}  // namespace
