// Text that code page 936 cannot hold, pasted into the real program as a
// user pastes it from another program: every save warns first, No keeps the
// window, the text and the file, Yes stores "?" in those places; text that
// fits saves without a question; the undo of a replace-all restores it.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <string>

#include "tests/e2e/editor.h"
#include "tests/e2e/unfit_text.h"
#include "ui/resource_ids.h"

namespace {

using driver::EditorOnCopy;
using driver::kMixedText;
using driver::kMixedTextStored;
using driver::kMixedTextWarning;
using driver::kSaveQuestion;

TEST(UnfitText, StoredNoteNoKeepsWindowTextAndProgramYesStoresQuestionMarks) {
    EditorOnCopy editor("unfit stored", "stored", "pw", "SM4");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.PasteOverAll(kMixedText));

    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(kMixedTextWarning, editor.Answer(IDNO));
    EXPECT_TRUE(driver::FirstUnfitSelected(editor));
    editor.Command(IDM_SAVE);
    EXPECT_EQ(kMixedTextWarning, editor.Answer(IDNO));
    EXPECT_TRUE(driver::FirstUnfitSelected(editor));
    EXPECT_TRUE(driver::WriteBackProcesses(editor.GetProcess().Id()).empty());
    EXPECT_TRUE(editor.ProgramUnchanged());

    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(kMixedTextWarning, editor.Answer(IDYES));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ(kMixedTextStored, driver::OpenedText(editor.Copy(), L"pw"));
}

TEST(UnfitText, NewNoteWarnsAfterItsPasswordAndNoKeepsTheWindow) {
    EditorOnCopy editor("unfit new");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.PasteOverAll(kMixedText));

    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    ASSERT_TRUE(editor.AnswerNewPassword(L"pw", L"pw", L"AES-256-CBC"));
    EXPECT_EQ(kMixedTextWarning, editor.Answer(IDNO));
    EXPECT_TRUE(driver::FirstUnfitSelected(editor));
    EXPECT_TRUE(editor.ProgramUnchanged());

    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    ASSERT_TRUE(editor.AnswerNewPassword(L"pw", L"pw", L"AES-256-CBC"));
    EXPECT_EQ(kMixedTextWarning, editor.Answer(IDYES));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ(kMixedTextStored, driver::OpenedText(editor.Copy(), L"pw"));
}

TEST(UnfitText, TextCodePage936HoldsIsSavedWithoutAQuestionByteForByteWithItsLineEnds) {
    EditorOnCopy editor("fitting", "stored", "pw", "SM4");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.PasteOverAll(L"中文\r\n€ end?\r\n\r\nlast"));
    const char stored[] = "\xD6\xD0\xCE\xC4\r\n\x80 end?\r\n\r\nlast";
    editor.Command(IDM_SAVE);
    ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, 30000));
    EXPECT_EQ(stored, editor.Copy().Unsealed("pw", "SM4"));

    // The close stores the same bytes.
    ASSERT_TRUE(editor.PasteOverAll(L"中文\r\n€ end?\r\n\r\nlast"));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ(stored, editor.Copy().Unsealed("pw", "SM4"));
}

TEST(UnfitText, NoSelectsTheFirstUnfitCharacterOnALaterLine) {
    EditorOnCopy editor("unfit later line", "stored", "pw", "SM4");
    ASSERT_TRUE(editor.Opened());
    const std::wstring text = L"中文\r\n\r\nab 한국어";
    const std::wstring warning = L"Scribecrypt: 文档中有 3 个字符无法用 GBK 编码保存，将被存为“?”。\n"
                                 L"第一个是第 3 行第 4 列的“한”(U+D55C)。\n\n是否仍要保存?";
    ASSERT_TRUE(editor.PasteOverAll(text));
    editor.Command(IDM_SAVE);
    EXPECT_EQ(warning, editor.Answer(IDNO));
    // The control counts each line end as one position: "中文", two ends, "ab ".
    DWORD start = 0;
    DWORD end = 0;
    EXPECT_TRUE(driver::WaitUntil(
        [&] {
            SendMessageW(editor.View(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            return start == 7 && end == 8;
        },
        driver::kWindowTimeoutMs))
        << start << "," << end;
    EXPECT_TRUE(editor.Modified());
    EXPECT_TRUE(editor.ProgramUnchanged());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
}

TEST(UnfitText, UndoOfAReplaceAllRestoresTheTextExactly) {
    EditorOnCopy editor("unfit undo", "stored", "pw", "SM4");
    ASSERT_TRUE(editor.Opened());
    // Wide literals with characters code page 936 cannot hold stay out of
    // the test macros, which quote their arguments as narrow strings.
    const std::wstring text = L"中文 한국어 😀 中文";
    const std::wstring replaced = L"汉字 한국어 😀 汉字";
    ASSERT_TRUE(editor.PasteOverAll(text));
    editor.Command(IDM_REPLACE);
    const HWND dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770", [](HWND window) { return GetDlgItem(window, edt2) != nullptr; },
        driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    driver::SetControlText(dialog, edt1, L"中文");
    driver::SetControlText(dialog, edt2, L"汉字");
    driver::PressButton(dialog, psh2);  // replace all
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.CopiedText() == replaced; }, 10000));
    driver::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    editor.Command(IDM_UNDO);
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.CopiedText() == text; }, 10000));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

}  // namespace
