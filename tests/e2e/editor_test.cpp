// The editor end to end: a note opened with its password, edited, locked,
// saved into the program on closing, and opened again.
#include <gtest/gtest.h>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::ProgramCopy;

// "您好，世界" in code page 936, as the program stores it.
const std::string kChineseNote = "\xC4\xFA\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7 note";
const std::wstring kChineseNoteWide = L"您好，世界 note";


struct CipherCase {
    const char* identifier;
    const wchar_t* displayName;
};

const CipherCase kCiphers[] = {
    {"AES", L"AES-256-CBC"}, {"CAMELLIA", L"Camellia-256-CBC"}, {"SM4", L"SM4-128-CBC"}, {"SEED", L"SEED-128-CBC"}};

std::wstring Answer(Editor& editor, int button) { return driver::AnswerMessageBox(editor.GetProcess().Id(), button); }

TEST(Editor, RightPasswordShowsExactlyTheStoredTextForEveryCipher) {
    for (const CipherCase& cipher : kCiphers) {
        ProgramCopy copy(std::string("open-") + cipher.identifier);
        ASSERT_TRUE(copy.Seal(kChineseNote, "pass word", cipher.identifier));
        Editor editor(copy);
        ASSERT_TRUE(editor.Open(L"pass word")) << cipher.identifier;
        EXPECT_EQ(kChineseNoteWide, editor.Text()) << cipher.identifier;
        EXPECT_FALSE(editor.Modified());
        EXPECT_EQ(L"" SCRIBECRYPT_TITLE, driver::WindowText(editor.Main()));
        const std::string before = copy.Bytes();
        editor.Close();
        EXPECT_EQ(0u, editor.WaitForExit());
        EXPECT_TRUE(before == copy.Bytes()) << "an unchanged note was saved";
    }
}

TEST(Editor, NewNoteIsLockedOnCloseAndOpensWithItsPassword) {
    ProgramCopy copy("new note", "my notes.exe");  // a path with blanks
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open());
        editor.Type(L"first line");
        editor.Close();
        EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDYES));
        ASSERT_TRUE(editor.AnswerNewPassword(L"s3cret", L"s3cret", L"SEED-128-CBC"));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_EQ("SEED", copy.Packet("TYPE"));
    EXPECT_EQ(64u, copy.Packet("HMAC").size());
    EXPECT_EQ(16u, copy.Packet("DATA").size());

    Editor reopened(copy);
    ASSERT_TRUE(reopened.Open(L"s3cret"));
    EXPECT_EQ(L"first line", reopened.Text());
    reopened.Close();
    EXPECT_EQ(0u, reopened.WaitForExit());
}

TEST(Editor, EmptyNewDocumentClosesWithoutQuestionAndUnsaved) {
    ProgramCopy copy("empty new");
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

TEST(Editor, CancellingTheNewPasswordKeepsTheWindowTextAndQuestion) {
    ProgramCopy copy("cancel new");
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"keep me");
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDYES));
    // Equal entries typed before Cancel must not become the password.
    ASSERT_TRUE(editor.AnswerNewPassword(L"typed", L"typed", L"", IDCANCEL));
    Sleep(300);
    ASSERT_TRUE(IsWindow(editor.Main()));
    EXPECT_EQ(L"keep me", editor.Text());
    EXPECT_TRUE(editor.Modified());

    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ("<absent>", copy.Packet("DATA"));
}

TEST(Editor, EmptyOrDifferingEntriesAreReportedAndAskedAgain) {
    ProgramCopy copy("entries");
    Editor editor(copy);
    ASSERT_TRUE(editor.Open());
    editor.Type(L"x");
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDYES));
    ASSERT_TRUE(editor.AnswerNewPassword(L"", L""));
    EXPECT_EQ(L"错误: 密码不能为空。", Answer(editor, IDOK));
    ASSERT_TRUE(editor.AnswerNewPassword(L"abc", L"ABC"));
    EXPECT_EQ(L"错误: 您所输入的密码不匹配。", Answer(editor, IDOK));
    ASSERT_TRUE(editor.AnswerNewPassword(L"abc", L"abc", L"AES-256-CBC"));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ("AES", copy.Packet("TYPE"));
}

TEST(Editor, ChangedPasswordWithoutEditsIsAppliedOnCloseWithoutAsking) {
    ProgramCopy copy("change password");
    ASSERT_TRUE(copy.Seal(kChineseNote, "old", "AES"));
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open(L"old"));
        editor.Command(IDM_CHANGE_PASSWORD);
        ASSERT_TRUE(editor.AnswerNewPassword(L"new", L"new", L"SM4-128-CBC"));
        EXPECT_EQ(L"Scribecrypt: 在您关闭文档时新密码将被应用。", Answer(editor, IDOK));
        editor.Close();
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_EQ("SM4", copy.Packet("TYPE"));
    Editor reopened(copy);
    ASSERT_TRUE(reopened.Open(L"new"));
    EXPECT_EQ(kChineseNoteWide, reopened.Text());
    reopened.Close();
    EXPECT_EQ(0u, reopened.WaitForExit());
}

TEST(Editor, ChangedPasswordThenEditsAreDiscardedTogetherOnNo) {
    ProgramCopy copy("discard");
    ASSERT_TRUE(copy.Seal("text", "old", "CAMELLIA"));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"old"));
    editor.Command(IDM_CHANGE_PASSWORD);
    ASSERT_TRUE(editor.AnswerNewPassword(L"new", L"new", L""));
    EXPECT_EQ(L"Scribecrypt: 在您关闭文档时新密码将被应用。", Answer(editor, IDOK));
    editor.Type(L"more");
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

TEST(Editor, WordWrapDoesNotCountAsAnEdit) {
    ProgramCopy copy("wrap");
    ASSERT_TRUE(copy.Seal("text", "pw", "SEED"));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Command(IDM_WORD_WRAP);
    editor.Command(IDM_WORD_WRAP);
    Sleep(200);
    EXPECT_FALSE(editor.Modified());
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

TEST(Editor, DeletingAllTextRemovesTheDocument) {
    ProgramCopy copy("delete all");
    ASSERT_TRUE(copy.Seal("text", "pw", "AES"));
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open(L"pw"));
        editor.DeleteAll();
        EXPECT_EQ(L"", editor.Text());
        editor.Close();
        EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDYES));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    for (const char* name : {"HMAC", "DATA", "TYPE"})
        EXPECT_EQ("<absent>", copy.Packet(name)) << name;
    Editor reopened(copy);
    ASSERT_TRUE(reopened.Open());
    EXPECT_TRUE(driver::TopLevelWindows(reopened.GetProcess().Id(), L"#32770").empty());
    reopened.Close();
    EXPECT_EQ(0u, reopened.WaitForExit());
}

TEST(Editor, AFailedSaveIsReportedAndKeepsTheWindowAndText) {
    ProgramCopy copy("no temp");
    ASSERT_TRUE(copy.Seal("text", "pw", "AES"));
    const std::string before = copy.Bytes();
    const std::string missing = copy.Folder() + "\\missing folder";
    Editor editor(copy, {"TMP=" + missing, "TEMP=" + missing});
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Type(L"!");
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDYES));
    EXPECT_EQ(L"错误: 无法保存文档。", Answer(editor, IDOK));
    Sleep(300);
    ASSERT_TRUE(IsWindow(editor.Main()));
    EXPECT_EQ(L"!text", editor.Text());
    EXPECT_TRUE(editor.Modified());
    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

TEST(Editor, SavingANoteWhoseCipherIsUnknownAsksForANewPasswordFirst) {
    ProgramCopy copy("unknown cipher");
    ASSERT_TRUE(copy.Seal("text", "pw", "AES"));
    ASSERT_TRUE(copy.WriteRaw(copy.Packet("HMAC"), copy.Packet("DATA"), "aes"));
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open(L"pw"));
        EXPECT_EQ(L"", editor.Text());
        editor.Type(L"fresh");
        editor.Command(IDM_SAVE);
        ASSERT_TRUE(editor.AnswerNewPassword(L"pw2", L"pw2", L"SM4-128-CBC"));
        Sleep(300);
        editor.Close();
        EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDNO));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    // The save's write-back took over once the editor had ended.
    EXPECT_EQ("SM4", copy.Packet("TYPE"));
    Editor reopened(copy);
    ASSERT_TRUE(reopened.Open(L"pw2"));
    EXPECT_EQ(L"fresh", reopened.Text());
    reopened.Close();
    EXPECT_EQ(0u, reopened.WaitForExit());
}

int CountTemporaryImages() {
    char folder[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    return driver::CountFiles(std::string(folder) + "TEM*.tmp");
}

TEST(Editor, SavingWhileTheEditorStaysOpenLeavesTheProgramUnchanged) {
    ProgramCopy copy("stays open");
    ASSERT_TRUE(copy.Seal("text", "pw", "AES"));
    const std::string before = copy.Bytes();
    const int imagesBefore = CountTemporaryImages();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Type(L"new ");
    editor.Command(IDM_SAVE);
    Sleep(500);
    // Every save leaves its temporary image behind (other tests may add theirs).
    EXPECT_GT(CountTemporaryImages(), imagesBefore);

    // The write-back gives up after about ten seconds and says where the note is.
    const std::vector<DWORD> writeBacks = driver::ChildProcesses(editor.GetProcess().Id());
    ASSERT_EQ(1u, writeBacks.size());
    const std::wstring report = driver::AnswerMessageBox(writeBacks[0], IDOK, 20000);
    EXPECT_EQ(0u, report.find(L"错误: 无法将文档写回程序文件。新的文档保存在："));
    EXPECT_TRUE(driver::WaitForProcesses(writeBacks, 10000));
    EXPECT_TRUE(before == copy.Bytes());

    editor.Close();
    EXPECT_EQ(L"RiziDuru: 保存文档的更改?", Answer(editor, IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
}

std::wstring ControlText(HWND dialog, int id) {
    wchar_t text[600] = {};
    SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, 600, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(Editor, PasswordFieldsTakeAt512CharactersAndTheNewPasswordDialogStartsFresh) {
    ProgramCopy copy("fields");
    ASSERT_TRUE(copy.Seal("text", "pw", "AES"));
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    for (int round = 0; round < 2; ++round) {
        editor.Command(IDM_CHANGE_PASSWORD);
        HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(L"", ControlText(dialog, IDC_NEW_PASSWORD)) << round;
        EXPECT_EQ(L"", ControlText(dialog, IDC_REPEAT_PASSWORD)) << round;
        EXPECT_EQ(L"AES-256-CBC", ControlText(dialog, IDC_CIPHER)) << round;
        for (int i = 0; i < 513; ++i)
            SendMessageW(GetDlgItem(dialog, IDC_NEW_PASSWORD), WM_CHAR, L'x', 1);
        EXPECT_EQ(512u, ControlText(dialog, IDC_NEW_PASSWORD).size());
        driver::SetControlText(dialog, IDC_NEW_PASSWORD, L"");
        SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(L"SEED-128-CBC"));
        driver::PressButton(dialog, IDCANCEL);
        for (int i = 0; i < 100 && IsWindow(dialog); ++i)
            Sleep(20);
    }
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
}

TEST(Editor, TypeThatBeginsWithAnIdentifierSelectsIt) {
    ProgramCopy sealed("type source");
    ASSERT_TRUE(sealed.Seal("seed text", "pw", "SEED"));
    ProgramCopy copy("type prefix");
    ASSERT_TRUE(copy.WriteRaw(sealed.Packet("HMAC"), sealed.Packet("DATA"), std::string("SEED\0junk", 9)));
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    EXPECT_EQ(L"seed text", editor.Text());
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
}

TEST(Editor, ChangingTheFontDoesNotCountAsAnEdit) {
    ProgramCopy copy("font");
    ASSERT_TRUE(copy.Seal("text", "pw", "AES"));
    const std::string before = copy.Bytes();
    Editor editor(copy);
    ASSERT_TRUE(editor.Open(L"pw"));
    editor.Command(IDM_FONT);
    HWND fontDialog = nullptr;
    for (int i = 0; i < 200 && fontDialog == nullptr; ++i) {
        for (HWND window : driver::TopLevelWindows(editor.GetProcess().Id(), L"#32770"))
            if (IsWindowVisible(window))
                fontDialog = window;
        Sleep(50);
    }
    ASSERT_NE(nullptr, fontDialog);
    driver::PressButton(fontDialog, IDOK);
    for (int i = 0; i < 100 && IsWindow(fontDialog); ++i)
        Sleep(20);
    EXPECT_FALSE(editor.Modified());
    editor.Close();
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(before == copy.Bytes());
}

}  // namespace
