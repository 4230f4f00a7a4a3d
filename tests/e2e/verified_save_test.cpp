// Saves that check what they wrote and never trap the user: a program whose
// resources cannot all be carried over is not replaced, a failed save lets
// the user leave, a cancelled password change is forgotten, and a
// write-back started by hand as its own target does nothing.
#include <gtest/gtest.h>

#include "tests/e2e/editor.h"

namespace {

using driver::Editor;
using driver::EditorOnCopy;
using driver::kSaveQuestion;
using driver::OpenedText;
using driver::ProgramCopy;

const std::wstring kCannotSave = L"错误: 无法保存文档。";

TEST(VerifiedSave, AResourceThatCannotBeCarriedOverFailsTheSaveAndNoStillLeaves) {
    ProgramCopy copy("damaged resource");
    ASSERT_TRUE(copy.Seal("old note", "pw", "AES"));
    // The About box's template, recorded as empty: it cannot be written back.
    ASSERT_TRUE(copy.SetResourceSize(5, 42, 0));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Type(L"new ");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(kCannotSave, editor.Answer(IDOK));
    ASSERT_EQ(L"new old note", editor.UnsavedText());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes()) << "a program without its About box was installed";
}

TEST(VerifiedSave, AFailedSaveOfAChangedPasswordAsksOnTheNextClose) {
    const std::string missing = "C:\\no such folder\\temp";
    EditorOnCopy editor("failed password save", "note", "old", "SM4", {"TMP=" + missing, "TEMP=" + missing});
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.ChangePassword(L"new", L"SEED-128-CBC"));
    EXPECT_EQ(driver::kPasswordOnClose, editor.Answer(IDOK));
    EXPECT_EQ(kCannotSave, editor.CloseAnswering(IDOK));
    ASSERT_TRUE(IsWindow(editor.Main()));
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
    EXPECT_EQ(L"note", OpenedText(editor.Copy(), L"old"));
}

// Cancel, or the dialog's title bar closing it, after two equal entries.
TEST(VerifiedSave, ACancelledPasswordChangeKeepsTheOldKey) {
    for (const int button : {IDCANCEL, 0}) {
        SCOPED_TRACE(button == 0 ? "closed" : "cancelled");
        EditorOnCopy editor("cancelled change", "note", "old", "CAMELLIA");
        ASSERT_TRUE(editor.Opened());
        ASSERT_TRUE(editor.ChangePassword(L"new", L"AES-256-CBC", button));
        EXPECT_EQ(0u, editor.CloseUnchanged());
        EXPECT_TRUE(editor.ProgramUnchanged());
        EXPECT_EQ(L"note", OpenedText(editor.Copy(), L"old"));
    }
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
    EXPECT_EQ(0, driver::CountFiles(copy.Folder() + "\\*.tmp"));
}

}  // namespace
