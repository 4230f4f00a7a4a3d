// Save As through the real save dialog: a locked executable or a text file,
// chosen by the name's extension.
#include <gtest/gtest.h>

#include <memory>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

constexpr int kFileNameField = 1148;

// Chooses path in the save dialog; answers the question about replacing an
// existing file with replace.
void SaveAs(Editor& editor, const std::string& path, int replace = 0) {
    editor.Command(IDM_SAVE_AS);
    HWND dialog = nullptr;
    for (int i = 0; i < 400 && dialog == nullptr; ++i) {
        for (HWND window : driver::TopLevelWindows(editor.GetProcess().Id(), L"#32770"))
            if (IsWindowVisible(window) && GetDlgItem(window, kFileNameField) != nullptr)
                dialog = window;
        Sleep(50);
    }
    ASSERT_NE(nullptr, dialog);
    wchar_t widePath[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath, MAX_PATH);
    driver::SetControlText(dialog, kFileNameField, widePath);
    driver::PressButton(dialog, IDOK);
    if (replace != 0)
        driver::AnswerMessageBox(editor.GetProcess().Id(), replace);
    for (int i = 0; i < 200 && IsWindow(dialog); ++i)
        Sleep(20);
    Sleep(300);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Opens a saved executable and returns its text.
std::wstring OpenedText(const std::string& path, const std::wstring& password) {
    ProgramCopy copy("reopen");
    EXPECT_TRUE(driver::CopyInto(path, copy.Path()));
    Editor editor(copy);
    if (!editor.Open(password))
        return L"<did not open>";
    const std::wstring text = editor.Text();
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
    return text;
}

class SaveAsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(copy_.Seal("stored", "pw", "SM4"));
        original_ = copy_.Bytes();
        started_ = std::make_unique<Editor>(copy_);
    }
    void TearDown() override {
        if (!started_)
            return;
        // An edited note asks on closing, and a loaded machine may take
        // seconds to show the question.
        const bool asks = editor().Modified();
        editor().Close();
        if (asks) {
            EXPECT_EQ(L"RiziDuru: 保存文档的更改?", driver::AnswerMessageBox(editor().GetProcess().Id(), IDNO));
        }
        EXPECT_EQ(0u, editor().WaitForExit());
        EXPECT_TRUE(original_ == copy_.Bytes()) << "Save As changed the running program";
    }
    std::string Target(const std::string& name) const { return copy_.Folder() + "\\" + name; }

    ProgramCopy copy_{"save as"};
    std::string original_;
    Editor& editor() { return *started_; }

    std::unique_ptr<Editor> started_;
};

TEST_F(SaveAsTest, UnchangedNoteIsAPlainCopyEvenAfterAPasswordChange) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().Command(IDM_CHANGE_PASSWORD);
    ASSERT_TRUE(editor().AnswerNewPassword(L"new", L"new", L"AES-256-CBC"));
    EXPECT_EQ(L"Scribecrypt: 在您关闭文档时新密码将被应用。", driver::AnswerMessageBox(editor().GetProcess().Id(), IDOK));
    SaveAs(editor(), Target("copy.exe"));
    EXPECT_TRUE(original_ == driver::ReadFileBytes(Target("copy.exe")));
    // Closing applies the new password to the running program: keep it as is.
    SendMessageW(editor().View(), EM_SETMODIFY, TRUE, 0);
}

TEST_F(SaveAsTest, ChangedNoteIsSealedWithTheCurrentPasswordAndText) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().Type(L"more ");
    SaveAs(editor(), Target("CHANGED.EXE"));
    ASSERT_TRUE(Exists(Target("CHANGED.EXE")));
    EXPECT_TRUE(editor().Modified());
    EXPECT_EQ(L"more stored", OpenedText(Target("CHANGED.EXE"), L"pw"));
}

TEST_F(SaveAsTest, EmptiedNoteIsSealedAsOneEmptyBlock) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().DeleteAll();
    SaveAs(editor(), Target("empty.exe"));
    ProgramCopy written("empty check");
    ASSERT_TRUE(driver::CopyInto(Target("empty.exe"), written.Path()));
    EXPECT_EQ(16u, written.Packet("DATA").size());
    EXPECT_EQ(L"", OpenedText(Target("empty.exe"), L"pw"));
}

TEST_F(SaveAsTest, TextFormWritesThePlainTextWithoutAskingForAPassword) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().Type(L"plain ");
    SaveAs(editor(), Target("note.txt"));
    EXPECT_EQ("plain stored", driver::ReadFileBytes(Target("note.txt")));
    EXPECT_TRUE(driver::TopLevelWindows(editor().GetProcess().Id(), L"#32770").empty());
}

TEST_F(SaveAsTest, OtherOrEmptyExtensionsWriteNothing) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().Type(L"x");
    SaveAs(editor(), Target("note.doc"));
    EXPECT_FALSE(Exists(Target("note.doc")));
    // A name ending in a dot has an empty extension, and the dialog appends
    // no default extension to it.
    SaveAs(editor(), Target("bare."));
    EXPECT_EQ(0, driver::CountFiles(Target("bare*")));
}

TEST_F(SaveAsTest, FailureIsReportedAndNeverLeavesAPlainCopy) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().Type(L"changed ");
    // The running program itself cannot be written.
    SaveAs(editor(), copy_.Path(), IDYES);
    EXPECT_EQ(L"错误: 无法保存文档。", driver::AnswerMessageBox(editor().GetProcess().Id(), IDOK));
    EXPECT_TRUE(IsWindow(editor().Main()));
    EXPECT_TRUE(editor().Modified());
}

TEST_F(SaveAsTest, AFailedSaveLeavesTheFileAtThePathAsItWasAndNothingBeside) {
    ASSERT_TRUE(editor().Open(L"pw"));
    editor().Type(L"changed ");
    ASSERT_TRUE(driver::WriteFileBytes(Target("held.exe"), "earlier file"));
    // Readers that let the file be deleted, with or without writing: it
    // cannot be replaced while they hold it.
    const DWORD sharings[] = {FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE};
    for (const DWORD sharing : sharings) {
        HANDLE reader = CreateFileA(Target("held.exe").c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, reader);
        SaveAs(editor(), Target("held.exe"), IDYES);
        EXPECT_EQ(L"错误: 无法保存文档。", driver::AnswerMessageBox(editor().GetProcess().Id(), IDOK)) << sharing;
        CloseHandle(reader);
        EXPECT_EQ("earlier file", driver::ReadFileBytes(Target("held.exe"))) << sharing;
        EXPECT_EQ(0, driver::CountFiles(Target("TEM*.tmp"))) << sharing;
        EXPECT_TRUE(editor().Modified());
    }
}

TEST(SaveAsNew, ChangedNewNoteAsksForAPasswordFirst) {
    ProgramCopy copy("save as new");
    const std::string original = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"secret note");
    const std::string target = copy.Folder() + "\\locked.exe";
    SaveAs(editor, target);
    ASSERT_TRUE(editor.AnswerNewPassword(L"", L""));
    EXPECT_EQ(L"错误: 密码不能为空。", driver::AnswerMessageBox(editor.GetProcess().Id(), IDOK));
    ASSERT_TRUE(editor.AnswerNewPassword(L"a", L"b"));
    EXPECT_EQ(L"错误: 您所输入的密码不匹配。", driver::AnswerMessageBox(editor.GetProcess().Id(), IDOK));
    ASSERT_TRUE(editor.AnswerNewPassword(L"pw", L"pw", L"SEED-128-CBC"));
    Sleep(300);
    ASSERT_TRUE(Exists(target));
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", driver::AnswerMessageBox(editor.GetProcess().Id(), IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(original == copy.Bytes());
    EXPECT_EQ(L"secret note", OpenedText(target, L"pw"));
}

// Cancel after two equal entries forgets them: the note is not saved with
// them, and closing asks for a password again.
TEST(SaveAsNew, CancelledPasswordIsNotKept) {
    ProgramCopy copy("save as cancelled");
    const std::string original = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"secret note");
    const std::string target = copy.Folder() + "\\locked.exe";
    SaveAs(editor, target);
    ASSERT_TRUE(editor.AnswerNewPassword(L"pw", L"pw", L"", IDCANCEL));
    EXPECT_FALSE(Exists(target));
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", driver::AnswerMessageBox(editor.GetProcess().Id(), IDYES));
    const HWND asked = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, asked);
    EXPECT_NE(nullptr, GetDlgItem(asked, IDC_NEW_PASSWORD)) << "the cancelled password was used";
    ASSERT_TRUE(editor.AnswerNewPassword(L"", L"", L"", IDCANCEL));
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", driver::AnswerMessageBox(editor.GetProcess().Id(), IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(original == copy.Bytes());
}

}  // namespace
