// Saves that check what they wrote and never trap the user: a program whose
// resources cannot all be carried over is not replaced, a failed save lets
// the user leave, a cancelled password change is forgotten, and a
// write-back started by hand as its own target does nothing.
#include <gtest/gtest.h>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

const std::wstring kCannotSave = L"错误: 无法保存文档。";
const std::wstring kQuestion = L"RiziDuru: 保存文档的更改?";

std::wstring Answer(Editor& editor, int button) { return driver::AnswerMessageBox(editor.GetProcess().Id(), button); }

void ExpectOpensWith(const ProgramCopy& copy, const std::wstring& password, const std::wstring& text) {
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(password));
    EXPECT_EQ(text, editor.Text());
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
}

TEST(VerifiedSave, AResourceThatCannotBeCarriedOverFailsTheSaveAndNoStillLeaves) {
    ProgramCopy copy("damaged resource");
    ASSERT_TRUE(copy.Seal("old note", "pw", "AES"));
    // The About box's template, recorded as empty: it cannot be written back.
    ASSERT_TRUE(copy.SetResourceSize(5, 42, 0));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Type(L"new ");
    editor.Close();
    EXPECT_EQ(kQuestion, Answer(editor, IDYES));
    EXPECT_EQ(kCannotSave, Answer(editor, IDOK));
    ASSERT_TRUE(IsWindow(editor.Main()));
    EXPECT_EQ(L"new old note", editor.Text());
    editor.Close();
    EXPECT_EQ(kQuestion, Answer(editor, IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes()) << "a program without its About box was installed";
}

TEST(VerifiedSave, AFailedSaveOfAChangedPasswordAsksOnTheNextClose) {
    ProgramCopy copy("failed password save");
    ASSERT_TRUE(copy.Seal("note", "old", "SM4"));
    const std::string before = copy.Bytes();
    const std::string missing = "C:\\no such folder\\temp";
    Editor editor(copy, {"TMP=" + missing, "TEMP=" + missing});
    ASSERT_TRUE(editor.Open(L"old"));
    editor.Command(IDM_CHANGE_PASSWORD);
    ASSERT_TRUE(editor.AnswerNewPassword(L"new", L"new", L"SEED-128-CBC"));
    EXPECT_EQ(L"Scribecrypt: 在您关闭文档时新密码将被应用。", Answer(editor, IDOK));
    editor.Close();
    EXPECT_EQ(kCannotSave, Answer(editor, IDOK));
    ASSERT_TRUE(IsWindow(editor.Main()));
    editor.Close();
    EXPECT_EQ(kQuestion, Answer(editor, IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
    ExpectOpensWith(copy, L"old", L"note");
}

TEST(VerifiedSave, ACancelledPasswordChangeKeepsTheOldKey) {
    ProgramCopy copy("cancelled change");
    ASSERT_TRUE(copy.Seal("note", "old", "CAMELLIA"));
    const std::string before = copy.Bytes();
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open(L"old"));
        editor.Command(IDM_CHANGE_PASSWORD);
        ASSERT_TRUE(editor.AnswerNewPassword(L"new", L"new", L"AES-256-CBC", IDCANCEL));
        editor.Close();
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_TRUE(before == copy.Bytes());
    ExpectOpensWith(copy, L"old", L"note");
}

TEST(VerifiedSave, AWriteBackStartedByHandAsItsOwnTargetEndsAtOnce) {
    ProgramCopy copy("write back by hand");
    ASSERT_TRUE(copy.Seal("note", "pw", "AES"));
    const std::string before = copy.Bytes();
    driver::Process process;
    ASSERT_TRUE(process.Start(copy.Path(), "\"" + copy.Path() + "\" writeback"));
    DWORD code = 0;
    ASSERT_TRUE(process.WaitForExit(5000, &code)) << "it retried writing itself over itself";
    EXPECT_EQ(1u, code);
    EXPECT_TRUE(driver::TopLevelWindows(process.Id()).empty());
    EXPECT_TRUE(before == copy.Bytes());
    EXPECT_EQ(0, driver::CountFiles(copy.Folder() + "\\TEM*.tmp"));
}

}  // namespace
