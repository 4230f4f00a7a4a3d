// Locking the note end to end: on command, after idle time and on the
// system's notices, with the locked program's memory searched for the text;
// unlocking with the right password only; and the clipboard forgetting
// what was copied out of the note.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>
#include <wtsapi32.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

#include "tests/e2e/editor.h"
#include "ui/resource_ids.h"

namespace {

using driver::ClipboardText;
using driver::Editor;
using driver::EditorOnCopy;

// A note of several lines, each word of at least 8 characters found
// nowhere else in the program.
const std::wstring kNoteWide = L"zebrawood quartzite 417\r\n秘密笔记不可外传于人 secretive\r\nlanterns overlooking";
const char kPassword[] = "pw";
const std::wstring kLocked = L"已锁定。按 Enter 键解锁。";

std::string Encoded(const std::wstring& text, UINT codePage) {
    const int units = static_cast<int>(text.size());
    std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0,
                                                                   nullptr, nullptr)),
                      '\0');
    WideCharToMultiByte(codePage, 0, text.data(), units, &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

const std::string kNote936 = Encoded(kNoteWide, 936);

// The committed, readable memory of a process, read once.
class MemorySnapshot {
public:
    explicit MemorySnapshot(DWORD processId) {
        const Casement::CHandle process(OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_INFORMATION, FALSE, processId));
        MEMORY_BASIC_INFORMATION region = {};
        for (char* at = nullptr;
             process.IsValid() && VirtualQueryEx(process.GetHandle(), at, &region, sizeof region) == sizeof region;
             at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
            const DWORD unreadable = PAGE_NOACCESS | PAGE_GUARD;
            if (region.State != MEM_COMMIT || (region.Protect & unreadable) != 0)
                continue;
            std::string block(region.RegionSize, '\0');
            SIZE_T read = 0;
            if (ReadProcessMemory(process.GetHandle(), region.BaseAddress, &block[0], block.size(), &read) &&
                read > 0) {
                block.resize(read);
                m_blocks.push_back(std::move(block));
            }
        }
    }
    bool Empty() const { return m_blocks.empty(); }
    int Count(const std::string& bytes) const {
        int count = 0;
        for (const std::string& block : m_blocks)
            for (std::size_t found = block.find(bytes); found != std::string::npos;
                 found = block.find(bytes, found + 1))
                ++count;
        return count;
    }

private:
    std::vector<std::string> m_blocks;
};

// Each of pieces that the editor's memory holds, with how often it is
// there in code page 936, UTF-16 and UTF-8.
std::vector<std::string> TracesInMemory(Editor& editor, const std::vector<std::wstring>& pieces) {
    const MemorySnapshot memory(editor.GetProcess().Id());
    if (memory.Empty())
        return {"<memory unreadable>"};
    std::vector<std::string> found;
    for (const std::wstring& piece : pieces) {
        const std::string utf16(reinterpret_cast<const char*>(piece.data()), piece.size() * sizeof(wchar_t));
        const int in936 = memory.Count(Encoded(piece, 936));
        const int inUtf16 = memory.Count(utf16);
        const int inUtf8 = memory.Count(Encoded(piece, CP_UTF8));
        if (in936 + inUtf16 + inUtf8 > 0)
            found.push_back(Encoded(piece, CP_UTF8) + ": " + std::to_string(in936) + " in code page 936, " +
                            std::to_string(inUtf16) + " in UTF-16, " + std::to_string(inUtf8) + " in UTF-8");
    }
    return found;
}

// The words of text of at least 8 characters.
std::vector<std::wstring> LongWords(const std::wstring& text) {
    std::wistringstream words(text);
    std::vector<std::wstring> found;
    for (std::wstring word; words >> word;)
        if (word.size() >= 8)
            found.push_back(word);
    return found;
}

// The lines of texts.
std::vector<std::wstring> Lines(const std::vector<std::wstring>& texts) {
    std::vector<std::wstring> lines;
    for (const std::wstring& text : texts)
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t end = std::min(text.find(L"\r\n", start), text.size());
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
    return lines;
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

// Waits until an unlock is through: the password checked and the note back
// in the view, after which the status bar no longer says either.
bool Unlocked(const Editor& editor) {
    return driver::WaitUntil(
        [&] {
            const std::wstring status = editor.StatusText();
            return status != kLocked && status != L"正在检查密码…";
        },
        10000);
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
    // A find and a replace-all first: neither may leave a copy of its own.
    const HWND find = SearchDialog(editor, IDM_FIND, L"secret");
    ASSERT_NE(nullptr, find);
    driver::PressButton(find, IDOK);
    const HWND replace = SearchDialog(editor, IDM_REPLACE, L"quartzite");
    ASSERT_NE(nullptr, replace);
    driver::SetControlText(replace, edt2, L"!");
    driver::PressButton(replace, psh2);
    const std::wstring edited = L"zebrawood ! 417\r\n秘密笔记不可外传于人 secretive\r\nlanterns overlooking";
    ASSERT_TRUE(driver::WaitUntil([&] { return editor.Modified(); }, 5000));
    SendMessageW(editor.View(), EM_SETSEL, 3, 5);
    EXPECT_EQ(3u, TracesInMemory(editor, Lines({edited})).size()) << "the scan sees the open note";

    editor.Command(IDM_LOCK);
    ASSERT_TRUE(IsLocked(editor));
    EXPECT_FALSE(IsWindow(replace)) << "the replace dialog stays open";
    EXPECT_EQ(std::vector<std::string>(), TracesInMemory(editor, Lines({edited, kNoteWide})));

    AnswerUnlock(editor, L"wrong");
    EXPECT_EQ(L"错误: 您提供的密码无效。", editor.Answer(IDOK));
    EXPECT_TRUE(IsLocked(editor));

    AnswerUnlock(editor, L"pw");
    ASSERT_TRUE(Unlocked(editor));
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

// A modern note locks under the key it opened with: neither its text nor
// its password is left in memory, and only that password unlocks it.
TEST(Lock, AModernNoteLeavesNeitherTextNorPasswordInMemory) {
    const std::wstring password = L"lanternfish钥匙口令";
    EditorOnCopy editor("lock modern", Encoded(kNoteWide, CP_UTF8), Encoded(password, CP_UTF8), "XCHACHA20");
    ASSERT_TRUE(editor.Opened());
    ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == editor.Main(); }, driver::kWindowTimeoutMs));
    driver::PressKeyWith(VK_CONTROL, 'L');
    ASSERT_TRUE(IsLocked(editor));
    std::vector<std::wstring> secrets = LongWords(kNoteWide);
    secrets.push_back(password);
    EXPECT_EQ(std::vector<std::string>(), TracesInMemory(editor, secrets));

    AnswerUnlock(editor, L"lanternfish");
    EXPECT_EQ(L"错误: 您提供的密码无效。", editor.Answer(IDOK));
    EXPECT_TRUE(IsLocked(editor));
    AnswerUnlock(editor, password);
    ASSERT_TRUE(Unlocked(editor));
    EXPECT_EQ(kNoteWide, editor.Text());
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_TRUE(editor.ProgramUnchanged());
}

// Locked straight after opening, and after a line became the search term
// of a find dialog that was then cancelled: the term is note text too.
TEST(Lock, ForgetsEveryLineAndTheSearchTerm) {
    for (const bool searched : {false, true}) {
        EditorOnCopy editor("lock words", kNote936, kPassword, "AES");
        ASSERT_TRUE(editor.Opened());
        ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == editor.Main(); }, driver::kWindowTimeoutMs));
        if (searched) {
            // The second line; the view's line break is one character.
            const int line = static_cast<int>(kNoteWide.find(L"秘密")) - 1;
            SendMessageW(editor.View(), EM_SETSEL, line, line + 20);
            driver::PressKeyWith(VK_CONTROL, 'F');
            const HWND find = driver::WaitForWindow(
                editor.GetProcess().Id(), L"#32770", [](HWND window) { return GetDlgItem(window, edt1) != nullptr; },
                driver::kWindowTimeoutMs);
            ASSERT_NE(nullptr, find);
            wchar_t term[64] = {};
            GetDlgItemTextW(find, edt1, term, 64);
            EXPECT_EQ(std::wstring(L"秘密笔记不可外传于人 secretive"), term);
            driver::PressButton(find, IDCANCEL);
            ASSERT_TRUE(driver::WaitForWindowToGo(find));
            ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == editor.Main(); },
                                          driver::kWindowTimeoutMs));
        }
        driver::PressKeyWith(VK_CONTROL, 'L');
        ASSERT_TRUE(IsLocked(editor));
        EXPECT_EQ(std::vector<std::string>(), TracesInMemory(editor, LongWords(kNoteWide)))
            << (searched ? "searched" : "opened");
        editor.GetProcess().Kill();
    }
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

// A modern note keeps there too what code page 936 cannot hold.
TEST(Lock, TheEndOfASessionWhileLockedSavesTheChangesWithoutAsking) {
    const struct {
        const char* cipher;
        std::wstring changed;
    } notes[] = {{"CAMELLIA", L"first line\r\nsecond line"}, {"XCHACHA20", L"first line\r\n한국어 😀"}};
    for (const auto& note : notes) {
        SCOPED_TRACE(note.cipher);
        EditorOnCopy editor("lock session end", "first line", kPassword, note.cipher);
        ASSERT_TRUE(editor.Opened());
        ASSERT_TRUE(editor.PasteOverAll(note.changed));
        editor.Command(IDM_LOCK);
        ASSERT_TRUE(IsLocked(editor));
        EXPECT_EQ(static_cast<DWORD_PTR>(TRUE), EndSessionAnswer(editor));
        EXPECT_TRUE(Encoded(note.changed, CP_UTF8) == editor.Copy().NoteText(kPassword));
        EXPECT_TRUE(IsLocked(editor));
        editor.GetProcess().Kill();
    }
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
    ASSERT_TRUE(Unlocked(editor));
    EXPECT_EQ(L"first line\r\nchanged line", editor.Text());
    EXPECT_FALSE(editor.Modified()) << "the session end saved the changes";
    EXPECT_EQ(0u, editor.CloseUnchanged());
}

// The question belongs to the window in front: the frame, or the find
// dialog. A session lock or idle time must not take it away unanswered.
TEST(Lock, ALockWhileTheSaveQuestionIsOpenWaitsForTheAnswer) {
    struct Case {
        const char* name;
        bool findInFront;
        bool idle;  // the idle time runs out, instead of the session locking
    };
    for (const Case& c : {Case{"frame, session lock", false, false}, Case{"find dialog, session lock", true, false},
                          Case{"find dialog, idle", true, true}}) {
        EditorOnCopy editor("lock question", "kept", kPassword, "AES", {"SCRIBECRYPT_LOCK_AFTER=3"});
        ASSERT_TRUE(editor.Opened()) << c.name;
        SendMessageW(editor.View(), EM_SETSEL, static_cast<WPARAM>(-1), -1);
        editor.Type(L" edit");
        if (c.findInFront) {
            const HWND find = SearchDialog(editor, IDM_FIND, L"kept");
            ASSERT_NE(nullptr, find) << c.name;
            ASSERT_TRUE(driver::WaitUntil([&] { return GetForegroundWindow() == find; }, driver::kWindowTimeoutMs));
        }
        editor.Close();
        ASSERT_NE(nullptr, driver::WaitForDialog(editor.GetProcess().Id(), L"RiziDuru", driver::kWindowTimeoutMs))
            << c.name;
        if (!c.idle)
            PostMessageW(editor.Main(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
        Sleep(c.idle ? 4500 : 1500);
        EXPECT_EQ(driver::kSaveQuestion, editor.Answer(IDYES)) << c.name;
        EXPECT_EQ(0u, editor.WaitForExit()) << c.name;
        EXPECT_EQ(L"kept edit", driver::OpenedText(editor.Copy(), L"pw")) << c.name;
    }
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
    ASSERT_TRUE(Unlocked(editor));
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
    ASSERT_TRUE(Unlocked(editor));
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
    ASSERT_TRUE(Unlocked(editor));

    driver::PressKeyWith(VK_CONTROL, 'F');
    dialog = driver::WaitForWindow(
        editor.GetProcess().Id(), L"#32770", [](HWND window) { return GetDlgItem(window, edt1) != nullptr; }, 10000);
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(driver::WaitUntil([dialog] { return GetForegroundWindow() == dialog; }, 10000));
    driver::SetControlText(dialog, edt1, L"quartz 秘密");
    SendMessageW(GetDlgItem(dialog, edt1), EM_SETSEL, 7, 9);
    driver::PressKeyWith(VK_CONTROL, 'X');
    ASSERT_TRUE(driver::WaitUntil([] { return ClipboardText() == L"秘密"; }, 5000));
    EXPECT_EQ(L"quartz ", driver::ControlText(GetDlgItem(dialog, edt1)));
    EXPECT_EQ(0u, editor.CloseUnchanged());
    EXPECT_EQ(L"<empty>", ClipboardText()) << "kept at the end";
}

}  // namespace
