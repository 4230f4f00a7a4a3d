// Locking the note end to end: on command, after idle time and on the
// system's notices, with the locked program's memory searched for the text;
// unlocking with the right password only; and the clipboard forgetting
// what was copied out of the note.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstring>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::ClipboardText;
using driver::Editor;
using driver::EditorOnCopy;

// A line no other part of the program holds, in code page 936 and UTF-16.
const std::string kNote936 = "zebra quartz 417 \xC3\xD8\xC3\xDC\xB1\xCA\xBC\xC7 secret line";
const std::wstring kNoteWide = L"zebra quartz 417 秘密笔记 secret line";
const char kPassword[] = "pw";
const std::wstring kLocked = L"已锁定。按 Enter 键解锁。";

// How often bytes occur in the committed, readable memory of a process.
int CountInMemory(DWORD processId, const std::string& bytes) {
    const Casement::CHandle process(OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process.IsValid())
        return -1;
    int count = 0;
    MEMORY_BASIC_INFORMATION region = {};
    std::string block;
    for (char* at = nullptr; VirtualQueryEx(process.GetHandle(), at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
        if (region.State != MEM_COMMIT || (region.Protect & unreadable) != 0)
            continue;
        block.resize(region.RegionSize);
        SIZE_T read = 0;
        if (!ReadProcessMemory(process.GetHandle(), region.BaseAddress, &block[0], block.size(), &read))
            continue;
        block.resize(read);
        for (std::size_t found = block.find(bytes); found != std::string::npos; found = block.find(bytes, found + 1))
            ++count;
    }
    return count;
}

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// A text in code page 936 and in UTF-16, anywhere in the editor's memory.
int TracesOf(Editor& editor, const std::string& text936, const std::wstring& text) {
    return CountInMemory(editor.GetProcess().Id(), text936) + CountInMemory(editor.GetProcess().Id(), Utf16Bytes(text));
}

// The find or the replace dialog the editor opened, with term in its field.
HWND SearchDialog(Editor& editor, UINT command, const std::wstring& term) {
    editor.Command(command);
    const HWND dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770",
        [command](HWND window) {
            return GetDlgItem(window, edt1) != nullptr && (GetDlgItem(window, edt2) != nullptr) == (command == IDM_REPLACE);
        },
        driver::kWindowTimeoutMs);
    if (dialog != nullptr)
        driver::SetControlText(dialog, edt1, term);
    return dialog;
}

bool IsLocked(const Editor& editor) {
    return driver::WaitUntil([&] { return editor.StatusText() == kLocked; }, 10000) &&
           SendMessageW(editor.View(), WM_GETTEXTLENGTH, 0, 0) == 0;
}

// Opens the enter-password dialog of a locked editor with Enter and answers it.
void AnswerUnlock(Editor& editor, const std::wstring& password) {
    ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == editor.Main(); }, driver::kWindowTimeoutMs));
    driver::PressKey(VK_RETURN);
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    driver::SetControlText(dialog, IDC_PASSWORD, password);
    driver::PressButton(dialog, IDOK);
}

TEST(Lock, LeavesNoTextInMemoryAndOnlyTheRightPasswordGivesTheNoteBack) {
    EditorOnCopy editor("lock", kNote936, kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    // The control's stream buffer is wiped once the note is in: only the
    // view holds it.
    EXPECT_EQ(1, TracesOf(editor, kNote936, kNoteWide)) << "copies of the note once it is open";
    // A find and a replace-all first: neither may leave a copy of its own.
    const HWND find = SearchDialog(editor, IDM_FIND, L"secret");
    ASSERT_NE(nullptr, find);
    driver::PressButton(find, IDOK);
    const HWND replace = SearchDialog(editor, IDM_REPLACE, L"quartz");
    ASSERT_NE(nullptr, replace);
    driver::SetControlText(replace, edt2, L"!");
    driver::PressButton(replace, psh2);
    const std::wstring edited = L"zebra ! 417 秘密笔记 secret line";
    const std::string edited936 = "zebra ! 417 \xC3\xD8\xC3\xDC\xB1\xCA\xBC\xC7 secret line";
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.Modified(); }, 5000));
    SendMessageW(editor.View(), EM_SETSEL, 3, 5);
    const int before = TracesOf(editor, edited936, edited);
    EXPECT_GT(before, 0) << "the scan sees the open note";

    editor.Command(IDM_LOCK);
    ASSERT_TRUE(IsLocked(editor));
    EXPECT_FALSE(IsWindow(replace)) << "the replace dialog stays open";
    const int after = TracesOf(editor, edited936, edited);
    const int original = TracesOf(editor, kNote936, kNoteWide);
    std::printf("note text in memory: %d times open; locked: %d times, the text as opened %d times\n", before, after,
                original);
    EXPECT_EQ(0, after);
    EXPECT_EQ(0, original);

    AnswerUnlock(editor, L"wrong");
    EXPECT_EQ(L"错误: 您提供的密码无效。", editor.Answer(IDOK));
    EXPECT_TRUE(IsLocked(editor));

    AnswerUnlock(editor, L"pw");
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.StatusText() != kLocked; }, 10000));
    EXPECT_EQ(edited, editor.Text());
    EXPECT_TRUE(editor.Modified());
    DWORD start = 0, end = 0;
    SendMessageW(editor.View(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(3u, start);
    EXPECT_EQ(5u, end);
    EXPECT_EQ(driver::kSaveQuestion, editor.CloseAnswering(IDYES));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ(edited, driver::OpenedText(editor.Copy(), L"pw"));
}

TEST(Lock, ClosingALockedNoteAsksForItsPasswordFirst) {
    EditorOnCopy editor("lock close", kNote936, kPassword, "SM4");
    ASSERT_TRUE(editor.Opened());
    ASSERT_EQ(editor.Main(), GetForegroundWindow());
    driver::PressKeyWith(VK_CONTROL, 'L');
    ASSERT_TRUE(IsLocked(editor));
    editor.Close();
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    driver::PressButton(dialog, IDCANCEL);
    Sleep(300);
    EXPECT_TRUE(IsLocked(editor)) << "Cancel keeps it open and locked";
    editor.Close();
    const HWND again = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, again);
    driver::SetControlText(again, IDC_PASSWORD, L"pw");
    driver::PressButton(again, IDOK);
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

// Windows asks whether the session may end; the window's answer.
DWORD_PTR EndSessionAnswer(const Editor& editor) {
    DWORD_PTR answer = 0xBAD;
    SendMessageTimeoutW(editor.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 60000, &answer);
    return answer;
}

TEST(Lock, TheEndOfASessionWhileLockedSavesTheChangesWithoutAsking) {
    EditorOnCopy editor("lock session end", "first line", kPassword, "CAMELLIA");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.PasteOverAll(L"first line\r\nsecond line"));
    editor.Command(IDM_LOCK);
    ASSERT_TRUE(IsLocked(editor));
    EXPECT_EQ(static_cast<DWORD_PTR>(TRUE), EndSessionAnswer(editor));
    EXPECT_EQ("first line\r\nsecond line", editor.Copy().Unsealed(kPassword, "CAMELLIA"));
    EXPECT_TRUE(IsLocked(editor));
    editor.GetProcess().Kill();
}

// The unlock dialog holds the entry it is given, not the key: a session end
// that comes while it is open still saves the locked changes, and the
// dialog then unlocks as before.
TEST(Lock, TheEndOfASessionWhileTheUnlockDialogIsOpenSavesTheLockedChanges) {
    EditorOnCopy editor("lock unlock session end", "first line", kPassword, "SM4");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(editor.PasteOverAll(L"first line\r\nchanged line"));
    editor.Command(IDM_LOCK);
    ASSERT_TRUE(IsLocked(editor));
    editor.Command(IDM_LOCK);
    const HWND dialog = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(static_cast<DWORD_PTR>(TRUE), EndSessionAnswer(editor));
    EXPECT_EQ("first line\r\nchanged line", editor.Copy().Unsealed(kPassword, "SM4"));

    driver::SetControlText(dialog, IDC_PASSWORD, L"pw");
    driver::PressButton(dialog, IDOK);
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.StatusText() != kLocked; }, 10000));
    EXPECT_EQ(L"first line\r\nchanged line", editor.Text());
    EXPECT_FALSE(editor.Modified()) << "the session end saved the changes";
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

TEST(Lock, ASessionLockWhileTheSaveQuestionIsOpenWaitsForTheAnswer) {
    EditorOnCopy editor("lock question", "kept", kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    SendMessageW(editor.View(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
    editor.Type(L" edit");
    editor.Close();
    ASSERT_NE(nullptr, driver::WaitForDialog(editor.GetProcess().Id(), L"RiziDuru", driver::kWindowTimeoutMs));
    PostMessageW(editor.Main(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    Sleep(1500);
    EXPECT_EQ(driver::kSaveQuestion, editor.Answer(IDYES));
    EXPECT_EQ(0u, editor.WaitForExit());
    EXPECT_EQ(L"kept edit", driver::OpenedText(editor.Copy(), L"pw"));
}

TEST(Lock, TheSystemsNoticesLockTheNoteAndANewNoteNeedsAPasswordFirst) {
    for (const auto& [notice, wParam] : {std::pair<UINT, WPARAM>{WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK},
                                         {WM_POWERBROADCAST, PBT_APMSUSPEND}}) {
        EditorOnCopy editor("lock notice", kNote936, kPassword, "SEED");
        ASSERT_TRUE(editor.Opened());
        SendMessageW(editor.Main(), notice, wParam, 0);
        EXPECT_TRUE(IsLocked(editor)) << notice;
        editor.GetProcess().Kill();
    }

    EditorOnCopy fresh("lock new");
    ASSERT_TRUE(fresh.Opened());
    fresh.Type(L"no password yet");
    SendMessageW(fresh.Main(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    EXPECT_TRUE(driver::WaitUntil([&] { return fresh.StatusText().find(L"不受保护") != std::wstring::npos; }, 5000));
    EXPECT_EQ(L"no password yet", fresh.Text());
    fresh.Command(IDM_LOCK);
    ASSERT_TRUE(fresh.AnswerNewPassword(L"new", L"new", L"", IDCANCEL));
    Sleep(300);
    EXPECT_EQ(L"no password yet", fresh.Text()) << "Cancel leaves it unlocked";
    fresh.Command(IDM_LOCK);
    ASSERT_TRUE(fresh.AnswerNewPassword(L"new", L"new"));
    EXPECT_TRUE(IsLocked(fresh));
    EXPECT_EQ("<absent>", fresh.Copy().Packet("DATA")) << "locking writes nothing";
    fresh.GetProcess().Kill();
}

TEST(Lock, LocksAfterTheIdleTimeButNotWhileTheUserTypes) {
    EditorOnCopy editor("lock idle", kNote936, kPassword, "AES", {"SCRIBECRYPT_LOCK_AFTER=3"});
    ASSERT_TRUE(editor.Opened());
    for (int i = 0; i < 10; ++i) {
        PostMessageW(editor.View(), WM_KEYDOWN, VK_RIGHT, 1);
        PostMessageW(editor.View(), WM_KEYUP, VK_RIGHT, 0xC0000001);
        Sleep(500);
    }
    EXPECT_NE(kLocked, editor.StatusText()) << "locked while keys came in";
    EXPECT_TRUE(driver::WaitUntil([&] { return editor.StatusText() == kLocked; }, 6000));
    editor.GetProcess().Kill();
}

void SetClipboardText(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

TEST(Clipboard, ForgetsWhatWasCopiedButNotWhatAnotherProgramPutThereSince) {
    EditorOnCopy editor("clipboard", kNote936, kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    ASSERT_EQ(editor.Main(), GetForegroundWindow());
    SendMessageW(editor.View(), EM_SETSEL, 0, 5);
    driver::PressKeyWith(VK_CONTROL, 'C');
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"zebra"; }, 5000));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")));
    EXPECT_EQ(L"剪贴板将在 30 秒后清除。", editor.StatusText());
    Sleep(25000);
    EXPECT_EQ(L"zebra", ClipboardText()) << "forgotten too early";
    EXPECT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"<empty>"; }, 10000));

    driver::PressKeyWith(VK_CONTROL, VK_INSERT);
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"zebra"; }, 5000));
    SetClipboardText(L"another program's text");
    Sleep(35000);
    EXPECT_EQ(L"another program's text", ClipboardText());

    // Locking, and the end of the program, forget it at once.
    editor.Command(IDM_COPY);
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"zebra"; }, 5000));
    editor.Command(IDM_LOCK);
    EXPECT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"<empty>"; }, 5000));
    AnswerUnlock(editor, L"pw");
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.StatusText() != kLocked; }, 10000));
    SendMessageW(editor.View(), EM_SETSEL, 0, 5);
    editor.Command(IDM_COPY);
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"zebra"; }, 5000));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"<empty>", ClipboardText());
}

// Adds a format of the test's own beside what the clipboard holds, without
// emptying it, as clipboard tools do.
void AddPrivateFormat() {
    ASSERT_TRUE(OpenClipboard(nullptr));
    const DWORD value = 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof value);
    std::memcpy(GlobalLock(memory), &value, sizeof value);
    GlobalUnlock(memory);
    EXPECT_NE(nullptr, SetClipboardData(RegisterClipboardFormatW(L"Clipboard tool's own record"), memory));
    CloseClipboard();
}

TEST(Clipboard, ForgetsTheCopiedTextThoughAnotherProgramAddedAFormatBesideIt) {
    EditorOnCopy editor("clipboard added", kNote936, kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    SendMessageW(editor.View(), EM_SETSEL, 0, 5);
    editor.Command(IDM_COPY);
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"zebra"; }, 5000));
    AddPrivateFormat();
    EXPECT_EQ(L"zebra", ClipboardText());
    editor.Command(IDM_LOCK);
    EXPECT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"<empty>"; }, 5000)) << "kept on locking";

    AnswerUnlock(editor, L"pw");
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.StatusText() != kLocked; }, 10000));
    SendMessageW(editor.View(), EM_SETSEL, 0, 5);
    editor.Command(IDM_COPY);
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"zebra"; }, 5000));
    AddPrivateFormat();
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"<empty>", ClipboardText()) << "kept at the end";
}

// The find and replace fields hold note text: a copy from them is marked and
// forgotten as one from the view; the password field copies nothing.
TEST(Clipboard, CopiesFromTheProgramsOwnDialogsAreForgottenAndPasswordsNotCopied) {
    EditorOnCopy editor("clipboard dialogs", kNote936, kPassword, "AES");
    ASSERT_TRUE(editor.Opened());
    ASSERT_EQ(editor.Main(), GetForegroundWindow());
    driver::PressKeyWith(VK_CONTROL, 'H');
    HWND dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770", [](HWND window) { return GetDlgItem(window, edt2) != nullptr; }, 10000);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(driver::WaitUntil([dialog] { return GetForegroundWindow() == dialog; }, 10000));
    driver::SetControlText(dialog, edt1, L"秘密笔记 quartz");
    SendMessageW(GetDlgItem(dialog, edt1), EM_SETSEL, 0, 4);
    driver::PressKeyWith(VK_CONTROL, 'C');
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"秘密笔记"; }, 5000));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory")));
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")));
    EXPECT_EQ(L"剪贴板将在 30 秒后清除。", editor.StatusText());
    editor.Command(IDM_LOCK);
    ASSERT_TRUE(IsLocked(editor));
    EXPECT_EQ(L"<empty>", ClipboardText()) << "kept on locking";

    SetClipboardText(L"another program's text");
    ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == editor.Main(); }, driver::kWindowTimeoutMs));
    driver::PressKey(VK_RETURN);
    const HWND unlock = driver::WaitForDialog(editor.GetProcess().Id(), L"Scribecrypt", driver::kWindowTimeoutMs);
    ASSERT_NE(nullptr, unlock);
    driver::SetControlText(unlock, IDC_PASSWORD, L"pw");
    SendMessageW(GetDlgItem(unlock, IDC_PASSWORD), EM_SETSEL, 0, -1);
    SendMessageW(GetDlgItem(unlock, IDC_PASSWORD), WM_COPY, 0, 0);
    driver::PressKeyWith(VK_CONTROL, 'C');
    driver::PressKeyWith(VK_CONTROL, 'X');
    Sleep(500);
    EXPECT_EQ(L"another program's text", ClipboardText()) << "the password was copied";
    // A cut, had it been taken, leaves the field empty.
    driver::SetControlText(unlock, IDC_PASSWORD, L"pw");
    driver::PressButton(unlock, IDOK);
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.StatusText() != kLocked; }, 10000));

    driver::PressKeyWith(VK_CONTROL, 'F');
    dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770", [](HWND window) { return GetDlgItem(window, edt1) != nullptr; }, 10000);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(driver::WaitUntil([dialog] { return GetForegroundWindow() == dialog; }, 10000));
    driver::SetControlText(dialog, edt1, L"quartz 秘密");
    SendMessageW(GetDlgItem(dialog, edt1), EM_SETSEL, 7, 9);
    driver::PressKeyWith(VK_CONTROL, 'X');
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"秘密"; }, 5000));
    wchar_t field[64] = {};
    SendMessageW(GetDlgItem(dialog, edt1), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(field));
    EXPECT_EQ(std::wstring(L"quartz "), field);
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"<empty>", ClipboardText()) << "kept at the end";
}

}  // namespace
