// Find and replace used from the keyboard, with real key strokes, on the real
// program: the system's find and replace dialogs, the selection and text of
// the view, the status bar and the question on closing. Options and Chinese
// terms, which no key stroke of a test can give, are set in the dialog's
// controls. These tests run alone, since the keys go to the window in front.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <ostream>
#include <string>

#include "tests/e2e/editor.h"
#include "tests/e2e/stress.h"

namespace {

using driver::EditorOnCopy;
using driver::FromCodePage936;
using driver::PressKey;
using driver::PressKeyWith;
using driver::TypeKeys;

constexpr DWORD kWaitMs = 10000;

struct Selection {
    DWORD start;
    DWORD end;
    bool operator==(const Selection& other) const { return start == other.start && end == other.end; }
};

void PrintTo(const Selection& selection, std::ostream* out) { *out << "[" << selection.start << "," << selection.end << ")"; }

// EM_GETSEL's two positions reach another process; its result is cut at
// 65535.
Selection SelectionOf(const EditorOnCopy& editor) {
    Selection selection{};
    SendMessageW(editor.View(), EM_GETSEL, reinterpret_cast<WPARAM>(&selection.start),
                 reinterpret_cast<LPARAM>(&selection.end));
    return selection;
}

// Waits until the view's selection is this one; the selection then.
Selection WaitForSelection(const EditorOnCopy& editor, Selection expected) {
    driver::WaitUntil([&] { return SelectionOf(editor) == expected; }, kWaitMs);
    return SelectionOf(editor);
}

// Presses Enter, which finds the next match; the selection once it is the
// expected one, or when waiting is over.
Selection SelectionAfterEnter(const EditorOnCopy& editor, Selection expected) {
    PressKey(VK_RETURN);
    return WaitForSelection(editor, expected);
}

// Clicks a check box or radio button of the dialog, which changes its state.
void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// The process's find dialog, or with replace its replace dialog (the one
// with a replacement field), once it has the keyboard focus.
HWND OpenedDialog(EditorOnCopy& editor, bool replace) {
    const HWND dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770",
        [replace](HWND window) { return GetDlgItem(window, edt1) != nullptr && (GetDlgItem(window, edt2) != nullptr) == replace; },
        kWaitMs);
    EXPECT_NE(nullptr, dialog);
    EXPECT_TRUE(driver::WaitUntil([dialog] { return GetForegroundWindow() == dialog; }, kWaitMs));
    return dialog;
}

// Opens the find dialog (Ctrl+F) or the replace dialog (Ctrl+H) and types
// term into its search field.
HWND OpenDialogTyping(EditorOnCopy& editor, bool replace, const std::wstring& term) {
    PressKeyWith(VK_CONTROL, replace ? 'H' : 'F');
    const HWND dialog = OpenedDialog(editor, replace);
    TypeKeys(term);
    return dialog;
}

std::wstring FieldText(HWND dialog, int id) { return driver::ControlText(GetDlgItem(dialog, id)); }

// The not-found box: its text, and whether the dialog owns it. Enter closes it.
std::wstring AnswerNotFound(EditorOnCopy& editor, HWND owner) {
    const HWND box = driver::WaitForMessageBox(editor.GetProcess().Id(), kWaitMs);
    if (box == nullptr)
        return L"<no box>";
    EXPECT_EQ(owner, GetWindow(box, GW_OWNER));
    const std::wstring said = driver::WindowText(box) + L": " + driver::MessageBoxText(box);
    PressKey(VK_RETURN);
    driver::WaitForWindowToGo(box);
    return said;
}

TEST(FindKeys, FindsNextAndPreviousRoundTheEndWithoutChangingTheNote) {
    EditorOnCopy editor("find-keys", "one two one two", "pw", "AES");
    ASSERT_TRUE(editor.Opened());

    HWND dialog = OpenDialogTyping(editor, false, L"two");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((Selection{4, 7}), SelectionAfterEnter(editor, {4, 7}));
    EXPECT_EQ((Selection{12, 15}), SelectionAfterEnter(editor, {12, 15}));
    EXPECT_EQ((Selection{4, 7}), SelectionAfterEnter(editor, {4, 7}));
    EXPECT_EQ(L"已到达文档末尾，从开头继续查找", editor.StatusText());

    // Escape closes the dialog; F3 and Shift+F3 search on in the view.
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(driver::WaitForWindowToGo(dialog));
    PressKey(VK_F3);
    EXPECT_EQ((Selection{12, 15}), WaitForSelection(editor, {12, 15}));
    EXPECT_EQ(L"保护: AES-256-CBC", editor.StatusText());
    PressKeyWith(VK_SHIFT, VK_F3);
    EXPECT_EQ((Selection{4, 7}), WaitForSelection(editor, {4, 7}));
    PressKeyWith(VK_SHIFT, VK_F3);
    EXPECT_EQ((Selection{12, 15}), WaitForSelection(editor, {12, 15}));
    EXPECT_EQ(L"已到达文档开头，从末尾继续查找", editor.StatusText());

    // Ctrl+F takes the selection as the term, also into the open dialog.
    PressKeyWith(VK_CONTROL, 'F');
    dialog = OpenedDialog(editor, false);
    EXPECT_EQ(L"two", FieldText(dialog, edt1));
    SendMessageW(editor.View(), EM_SETSEL, 0, 3);
    PressKeyWith(VK_CONTROL, 'F');
    EXPECT_TRUE(driver::WaitUntil([&] { return FieldText(dialog, edt1) == L"one"; }, kWaitMs));
    EXPECT_EQ(dialog, GetForegroundWindow());

    // Edit keys in the dialog's field are the field's, not the view's.
    PressKeyWith(VK_CONTROL, 'A');
    TypeKeys(L"three");
    EXPECT_EQ(L"three", FieldText(dialog, edt1));
    EXPECT_EQ((Selection{0, 3}), SelectionOf(editor));
    PressKey(VK_RETURN);
    EXPECT_EQ(L"Scribecrypt: 找不到“three”", AnswerNotFound(editor, dialog));

    EXPECT_EQ(L"one two one two", editor.Text());
    EXPECT_FALSE(editor.Modified());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(driver::WaitForWindowToGo(dialog));
    // Back in the view, Ctrl+A selects the whole note (and the view's own
    // final paragraph mark).
    PressKeyWith(VK_CONTROL, 'A');
    EXPECT_TRUE(driver::WaitUntil([&] { return SelectionOf(editor) == Selection{0, 16}; }, kWaitMs))
        << ::testing::PrintToString(SelectionOf(editor));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

TEST(FindKeys, MatchCaseWholeWordAndDirectionComeFromTheDialog) {
    EditorOnCopy editor("find-options", "Word words word", "pw", "AES");
    ASSERT_TRUE(editor.Opened());
    const HWND dialog = OpenDialogTyping(editor, false, L"word");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((Selection{0, 4}), SelectionAfterEnter(editor, {0, 4}));

    Click(dialog, chx2);  // match case
    EXPECT_EQ((Selection{5, 9}), SelectionAfterEnter(editor, {5, 9}));
    Click(dialog, chx1);  // whole word
    EXPECT_EQ((Selection{11, 15}), SelectionAfterEnter(editor, {11, 15}));

    Click(dialog, chx1);
    Click(dialog, chx2);
    Click(dialog, rad1);  // up
    EXPECT_EQ((Selection{5, 9}), SelectionAfterEnter(editor, {5, 9}));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

TEST(ReplaceKeys, ReplaceAndReplaceAllMarkTheNoteAndUndoInOneStep) {
    EditorOnCopy editor("replace-keys", "cat dog cat cat", "pw", "AES");
    ASSERT_TRUE(editor.Opened());
    const HWND dialog = OpenDialogTyping(editor, true, L"cat");
    ASSERT_NE(nullptr, dialog);
    driver::SetControlText(dialog, edt2, L"bird");

    // The first Replace only finds: nothing was selected.
    driver::PressButton(dialog, psh1);
    EXPECT_EQ((Selection{0, 3}), WaitForSelection(editor, {0, 3}));
    EXPECT_FALSE(editor.Modified());
    driver::PressButton(dialog, psh1);
    EXPECT_EQ((Selection{9, 12}), WaitForSelection(editor, {9, 12}));
    EXPECT_EQ(L"bird dog cat cat", editor.Text());
    EXPECT_TRUE(editor.Modified());

    driver::PressButton(dialog, psh2);
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.Text() == L"bird dog bird bird"; }, kWaitMs)) << editor.Text();
    EXPECT_EQ(L"已替换 2 处", editor.StatusText());
    driver::PressButton(dialog, psh2);
    EXPECT_EQ(L"Scribecrypt: 找不到“cat”", AnswerNotFound(editor, dialog));

    PressKey(VK_ESCAPE);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    PressKeyWith(VK_CONTROL, 'Z');
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.Text() == L"bird dog cat cat"; }, kWaitMs)) << editor.Text();
    EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

TEST(FindKeys, ChineseTermsFindWholeCharactersOnly) {
    // 你好世界，丂@你好: "丂" is 81 40 in code page 936, its trail byte '@'.
    const std::string note = "\xC4\xE3\xBA\xC3\xCA\xC0\xBD\xE7\xA3\xAC\x81\x40@\xC4\xE3\xBA\xC3";
    EditorOnCopy editor("find-chinese", note, "pw", "SM4");
    ASSERT_TRUE(editor.Opened());
    ASSERT_EQ(FromCodePage936(note), editor.Text());
    const HWND dialog = OpenDialogTyping(editor, false, L"@");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((Selection{6, 7}), SelectionAfterEnter(editor, {6, 7}));
    EXPECT_EQ((Selection{6, 7}), SelectionAfterEnter(editor, {6, 7}));  // round the end to the only one

    driver::SetControlText(dialog, edt1, L"你好");
    EXPECT_EQ((Selection{7, 9}), SelectionAfterEnter(editor, {7, 9}));
    EXPECT_EQ((Selection{0, 2}), SelectionAfterEnter(editor, {0, 2}));
    // Whole words: "你好世界" is one word, the last "你好" stands alone.
    Click(dialog, chx1);
    EXPECT_EQ((Selection{7, 9}), SelectionAfterEnter(editor, {7, 9}));

    // C3 CA, the bytes from the middle of "好世", is a character of its
    // own, which the note does not hold.
    const std::wstring straddling = FromCodePage936("\xC3\xCA");
    driver::SetControlText(dialog, edt1, straddling);
    PressKey(VK_RETURN);
    EXPECT_EQ(L"Scribecrypt: 找不到“" + straddling + L"”", AnswerNotFound(editor, dialog));
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

TEST(FindKeys, FindsTheEndOfANoteOfOneMebibyteAndShowsIt) {
    const std::string note = driver::LargeNote((1u << 20) - 8) + "\r\nneedle";
    std::wstring wide = FromCodePage936(note);
    std::wstring viewText;  // one "\r" per line break, as the view counts
    for (const wchar_t c : wide)
        if (c != L'\n')
            viewText.push_back(c);
    const DWORD at = static_cast<DWORD>(viewText.rfind(L"needle"));

    EditorOnCopy editor("find-large", note, "pw", "AES");
    ASSERT_TRUE(editor.Opened());
    const HWND dialog = OpenDialogTyping(editor, false, L"needle");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((Selection{at, at + 6}), SelectionAfterEnter(editor, {at, at + 6}));
    EXPECT_GT(SendMessageW(editor.View(), EM_GETFIRSTVISIBLELINE, 0, 0), 10000);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
