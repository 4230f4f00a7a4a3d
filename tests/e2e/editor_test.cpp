// The editor end to end: a note opened with its password, edited, locked,
// saved into the program on closing, and opened again.
#include <gtest/gtest.h>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::Editor;
using driver::EditorOnCopy;
using driver::kPasswordOnClose;
using driver::kSaveQuestion;
using driver::OpenedText;
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

TEST(Editor, RightPasswordShowsExactlyTheStoredTextForEveryCipher) {
    for (const CipherCase& cipher : kCiphers) {
        EditorOnCopy editor(std::string("open-") + cipher.identifier, kChineseNote, "pass word", cipher.identifier);
        ASSERT_TRUE(editor.Opened()) << cipher.identifier;
        EXPECT_EQ(kChineseNoteWide, editor.Text()) << cipher.identifier;
        EXPECT_FALSE(editor.Modified());
        EXPECT_EQ(L"" SCRIBECRYPT_TITLE, driver::WindowText(editor.Main()));
        EXPECT_EQ(0u, editor.CloseUnchanged());
        EXPECT_TRUE(editor.ProgramUnchanged()) << "an unchanged note was saved";
    }
}

TEST(Editor, NewNoteIsLockedOnCloseAndOpensWithItsPassword) {
    ProgramCopy copy("new note", "my notes.exe");  // a path with blanks
    {
        Editor editor(copy);
        ASSERT_TRUE(editor.Open());
        editor.Type(L"first line");
        EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
        ASSERT_TRUE(editor.AnswerNewPassword(L"s3cret", L"s3cret", L"SEED-128-CBC"));
        EXPECT_EQ(0u, editor.WaitForExit());
    }
    EXPECT_EQ("SEED", copy.Packet("TYPE"));
    EXPECT_EQ(64u, copy.Packet("HMAC").size());
    EXPECT_EQ(16u, copy.Packet("DATA").size());
    EXPECT_EQ(L"first line", OpenedText(copy, L"s3cret"));
}

TEST(Editor, EmptyNewDocumentClosesWithoutQuestionAndUnsaved) {
    EditorOnCopy editor("empty new");
    ASSERT_TRUE(editor.Opened());
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

TEST(Editor, CancellingTheNewPasswordKeepsTheWindowTextAndQuestion) {
    EditorOnCopy editor("cancel new");
    ASSERT_TRUE(editor.Opened());
    editor.Type(L"keep me");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    // Equal entries typed before Cancel must not become the password.
    ASSERT_TRUE(editor.AnswerNewPassword(L"typed", L"typed", L"", IDCANCEL));
    Sleep(300);
    ASSERT_EQ(L"keep me", editor.UnsavedText());

    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ("<absent>", editor.Copy().Packet("DATA"));
}

TEST(Editor, EmptyOrDifferingEntriesAreReportedAndAskedAgain) {
    EditorOnCopy editor("entries");
    ASSERT_TRUE(editor.Opened());
    editor.Type(L"x");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    ASSERT_TRUE(editor.AnswerNewPassword(L"", L""));
    EXPECT_EQ(L"错误: 密码不能为空。", editor.Answer(IDOK));
    ASSERT_TRUE(editor.AnswerNewPassword(L"abc", L"ABC"));
    EXPECT_EQ(L"错误: 您所输入的密码不匹配。", editor.Answer(IDOK));
    ASSERT_TRUE(editor.AnswerNewPassword(L"abc", L"abc", L"AES-256-CBC"));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ("AES", editor.Copy().Packet("TYPE"));
}

TEST(Editor, ChangedPasswordWithoutEditsIsAppliedOnCloseWithoutAsking) {
    EditorOnCopy editor("change password", kChineseNote, "old", "AES");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.ChangePassword(L"new", L"SM4-128-CBC"));
    EXPECT_EQ(kPasswordOnClose, editor.Answer(IDOK));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ("SM4", editor.Copy().Packet("TYPE"));
    EXPECT_EQ(kChineseNoteWide, OpenedText(editor.Copy(), L"new"));
}

TEST(Editor, ChangedPasswordThenEditsAreDiscardedTogetherOnNo) {
    EditorOnCopy editor("discard", "text", "old", "CAMELLIA");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.ChangePassword(L"new", L""));
    EXPECT_EQ(kPasswordOnClose, editor.Answer(IDOK));
    editor.Type(L"more");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

TEST(Editor, WordWrapDoesNotCountAsAnEdit) {
    EditorOnCopy editor("wrap", "text", "pw", "SEED");
    ASSERT_TRUE(editor.Opened());
    editor.Command(IDM_WORD_WRAP);
    editor.Command(IDM_WORD_WRAP);
    Sleep(200);
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

TEST(Editor, DeletingAllTextRemovesTheDocument) {
    EditorOnCopy editor("delete all", "text", "pw", "AES");
    ASSERT_TRUE(editor.Opened());
    editor.DeleteAll();
    EXPECT_EQ(L"", editor.Text());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(0u, editor.WaitForExit());
    for (const char* name : {"HMAC", "DATA", "TYPE"})
        EXPECT_EQ("<absent>", editor.Copy().Packet(name)) << name;
    Editor reopened(editor.Copy());
    ASSERT_TRUE(reopened.Open());
    EXPECT_TRUE(driver::TopLevelWindows(reopened.GetProcess().Id(), L"#32770").empty());
    EXPECT_EQ(0u, reopened.CloseUnchanged());
}

TEST(Editor, AFailedSaveIsReportedAndKeepsTheWindowAndText) {
    const std::string missing = "C:\\no such folder\\temp";
    EditorOnCopy editor("no temp", "text", "pw", "AES", {"TMP=" + missing, "TEMP=" + missing});
    ASSERT_TRUE(editor.Opened());
    editor.Type(L"!");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(L"错误: 无法保存文档。", editor.Answer(IDOK));
    Sleep(300);
    ASSERT_EQ(L"!text", editor.UnsavedText());
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDNO));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
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
        ASSERT_TRUE(driver::WaitUntil([&] { return !editor.Modified(); }, 20000));
        EXPECT_EQ("SM4", copy.Packet("TYPE"));
        EXPECT_EQ(0u, editor.CloseUnchanged());
    }
    EXPECT_EQ(L"fresh", OpenedText(copy, L"pw2"));
}

TEST(Editor, PasswordFieldsTakeAt512CharactersAndTheNewPasswordDialogStartsFresh) {
    EditorOnCopy editor("fields", "text", "pw", "AES");
    ASSERT_TRUE(editor.Opened());
    for (int round = 0; round < 2; ++round) {
        editor.Command(IDM_CHANGE_PASSWORD);
        HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(L"", driver::ControlText(GetDlgItem(dialog, IDC_NEW_PASSWORD))) << round;
        EXPECT_EQ(L"", driver::ControlText(GetDlgItem(dialog, IDC_REPEAT_PASSWORD))) << round;
        EXPECT_EQ(L"AES-256-CBC", driver::ControlText(GetDlgItem(dialog, IDC_CIPHER))) << round;
        for (int i = 0; i < 513; ++i)
            SendMessageW(GetDlgItem(dialog, IDC_NEW_PASSWORD), WM_CHAR, L'x', 1);
        EXPECT_EQ(512u, driver::ControlText(GetDlgItem(dialog, IDC_NEW_PASSWORD)).size());
        driver::SetControlText(dialog, IDC_NEW_PASSWORD, L"");
        SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(L"SEED-128-CBC"));
        driver::PressButton(dialog, IDCANCEL);
        driver::WaitForWindowToGo(dialog);
    }
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

const std::wstring kModernName = L"XChaCha20-Poly1305 (Argon2id)";
// Korean letters and an emoji: code page 936 holds neither.
const std::wstring kBeyondCodePage = L"\uD55C\uAE00 \U0001F600 pw";

void TypeInto(HWND dialog, int id, const std::wstring& text) {
    for (const wchar_t unit : text)
        SendMessageW(GetDlgItem(dialog, id), WM_CHAR, unit, 1);
}

TEST(Editor, PasswordFieldsKeepEveryCharacterAndALegacyCipherRefusesWhatItCannotStore) {
    EditorOnCopy editor("unicode password");
    ASSERT_TRUE(editor.Opened());
    editor.Type(L"note");
    EXPECT_EQ(kSaveQuestion, editor.CloseAnswering(IDYES));
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"AES-256-CBC", driver::ControlText(GetDlgItem(dialog, IDC_CIPHER))) << "a new note starts at the default";
    TypeInto(dialog, IDC_NEW_PASSWORD, kBeyondCodePage);
    driver::SetControlText(dialog, IDC_REPEAT_PASSWORD, kBeyondCodePage);
    EXPECT_EQ(kBeyondCodePage, driver::ControlText(GetDlgItem(dialog, IDC_NEW_PASSWORD)));
    EXPECT_EQ(kBeyondCodePage, driver::ControlText(GetDlgItem(dialog, IDC_REPEAT_PASSWORD)));
    driver::PressButton(dialog, IDOK);
    EXPECT_EQ(L"错误: 密码中有 AES-256-CBC 无法保存的字符。请换一个密码，"
              L"或选择能保存任何字符的 " + kModernName + L"。",
              editor.Answer(IDOK));
    ASSERT_TRUE(IsWindowVisible(dialog)) << "the dialog stays";
    EXPECT_EQ(kBeyondCodePage, driver::ControlText(GetDlgItem(dialog, IDC_NEW_PASSWORD))) << "with its entries";

    SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(kModernName.c_str()));
    driver::PressButton(dialog, IDOK);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ("<absent>", editor.Copy().Packet("TYPE"));

    Editor reopened(editor.Copy());
    const HWND enter = driver::WaitForDialog(reopened.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, enter);
    TypeInto(enter, IDC_PASSWORD, kBeyondCodePage);
    EXPECT_EQ(kBeyondCodePage, driver::ControlText(GetDlgItem(enter, IDC_PASSWORD)));
    driver::PressButton(enter, IDOK);
    ASSERT_TRUE(reopened.Open());
    EXPECT_EQ(L"note", reopened.Text());
    EXPECT_EQ(L"保护: " + kModernName, reopened.StatusText());
    reopened.Command(IDM_CHANGE_PASSWORD);
    const HWND change = driver::WaitForDialog(reopened.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, change);
    EXPECT_EQ(kModernName, driver::ControlText(GetDlgItem(change, IDC_CIPHER))) << "a modern note starts at its own protection";
    driver::PressButton(change, IDCANCEL);
    ASSERT_TRUE(driver::WaitForWindowToGo(change));
    EXPECT_EQ(0u, reopened.CloseUnchanged());

    // The password is kept as typed: its characters lost to "?" do not open it.
    Editor asked(editor.Copy());
    const HWND again = driver::WaitForDialog(asked.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, again);
    driver::SetControlText(again, IDC_PASSWORD, L"?? ?? pw");
    driver::PressButton(again, IDOK);
    EXPECT_EQ(L"错误: 您提供的密码无效。", asked.Answer(IDOK));
}

TEST(Editor, TheStatusBarNamesTheProtectionAndTheDialogStartsAtAnAcceptedModernChoice) {
    EditorOnCopy editor("protection", "text", "pw", "SM4");
    ASSERT_TRUE(editor.Opened());
    EXPECT_EQ(L"保护: SM4-128-CBC", editor.StatusText());
    ASSERT_TRUE(editor.ChangePassword(L"pw2", kModernName));
    EXPECT_EQ(kPasswordOnClose, editor.Answer(IDOK));
    editor.Command(IDM_CHANGE_PASSWORD);
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(kModernName, driver::ControlText(GetDlgItem(dialog, IDC_CIPHER)));
    driver::PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(driver::WaitForWindowToGo(dialog));

    editor.Command(IDM_SAVE);
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.StatusText() == L"保护: " + kModernName; }, 20000));
    EXPECT_EQ("<absent>", editor.Copy().Packet("TYPE"));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"text", OpenedText(editor.Copy(), L"pw2"));
}

TEST(Editor, TypeThatBeginsWithAnIdentifierSelectsIt) {
    ProgramCopy sealed("type source");
    ASSERT_TRUE(sealed.Seal("seed text", "pw", "SEED"));
    ProgramCopy copy("type prefix");
    ASSERT_TRUE(copy.WriteRaw(sealed.Packet("HMAC"), sealed.Packet("DATA"), std::string("SEED\0junk", 9)));
    EXPECT_EQ(L"seed text", OpenedText(copy, L"pw"));
}

TEST(Editor, ChangingTheFontDoesNotCountAsAnEdit) {
    EditorOnCopy editor("font", "text", "pw", "AES");
    ASSERT_TRUE(editor.Opened());
    editor.Command(IDM_FONT);
    const HWND fontDialog = driver::WaitForWindow(editor.GetProcess().Id(), L"#32770", 10000);
    ASSERT_NE(nullptr, fontDialog);
    driver::PressButton(fontDialog, IDOK);
    driver::WaitForWindowToGo(fontDialog);
    EXPECT_FALSE(editor.Modified());
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

// The identity shown is the program file's, short and then in full, and the
// same for a program that holds a note as for the program as built.
TEST(Editor, TheAboutBoxNamesEveryChoiceAndTheProgramAndGivesTheFocusBack) {
    EditorOnCopy editor("about", "note", "pw", "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    editor.Command(IDM_ABOUT);
    const HWND about = driver::WaitForDialog(editor.GetProcess().Id(), L"About", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, about);
    EXPECT_EQ(L"本。支持AES、Camellia、SM4、SEED、", driver::WindowText(GetDlgItem(about, IDC_ABOUT_CHOICES)));
    EXPECT_EQ(L"XChaCha20-Poly1305算法。", driver::WindowText(GetDlgItem(about, IDC_ABOUT_LAST_CHOICE)));
    const std::string identity = driver::ProgramIdentityOf(driver::PathFromEnvironment("SCRIBECRYPT_EXE"));
    ASSERT_EQ(64u, identity.size());
    const HWND field = GetDlgItem(about, IDC_ABOUT_IDENTITY);
    const std::wstring full(identity.begin(), identity.end());
    const std::wstring shortForm = full.substr(0, 8) + L"…" + full.substr(56);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::ControlText(field) == shortForm; }, driver::kWindowTimeoutMs))
        << driver::ControlText(field);
    driver::PressButton(about, IDC_ABOUT_FULL_IDENTITY);
    EXPECT_TRUE(driver::WaitUntil([&] { return driver::ControlText(field) == full; }, driver::kWindowTimeoutMs));
    // Every line of it lies wholly inside the field: the last line's top plus
    // one line's height is within the client area.
    RECT client = {};
    GetClientRect(field, &client);
    const auto top = [field](WPARAM character) { return HIWORD(SendMessageW(field, EM_POSFROMCHAR, character, 0)); };
    const int lineHeight = top(SendMessageW(field, EM_LINEINDEX, 1, 0)) - top(0);
    EXPECT_EQ(0, SendMessageW(field, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_GT(lineHeight, 0);
    EXPECT_LE(top(full.size() - 1) + lineHeight, client.bottom) << "the whole identity shows in its field";
    driver::PressButton(about, IDOK);
    ASSERT_TRUE(driver::WaitForWindowToGo(about));
    const auto viewHasFocus = [&] {
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        return GetGUIThreadInfo(GetWindowThreadProcessId(editor.Main(), nullptr), &thread) &&
               thread.hwndFocus == editor.View();
    };
    EXPECT_TRUE(driver::WaitUntil(viewHasFocus, driver::kWindowTimeoutMs)) << "the view has the focus again";
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

}  // namespace
