#include "tests/e2e/editor.h"

#include <algorithm>
#include <cstring>

#include "crypto/note_format.h"
#include "tests/e2e/stress.h"
#include "ui/resource_ids.h"

namespace driver {

Editor::Editor(const ProgramCopy& copy, const std::vector<std::string>& environment) {
    const std::string commandLine = "\"" + copy.Path() + "\"";
    if (environment.empty())
        m_process.Start(copy.Path(), commandLine);
    else
        m_process.StartWithEnvironment(copy.Path(), commandLine, environment);
}

bool Editor::Open(const std::wstring& password, DWORD noteTimeoutMs) {
    return Unlock(password) && WaitForNote(noteTimeoutMs);
}

bool Editor::Unlock(const std::wstring& password, DWORD pollMs) {
    if (!password.empty()) {
        HWND dialog = WaitForDialog(m_process.Id(), L"Scribecrypt", kWindowTimeoutMs, pollMs);
        if (dialog == nullptr)
            return false;
        SetControlText(dialog, IDC_PASSWORD, password);
        PressButton(dialog, IDOK);
    }
    m_main = WaitForMainWindow(m_process.Id(), kWindowTimeoutMs, pollMs);
    m_view = m_main != nullptr ? FindWindowExW(m_main, nullptr, L"RichEdit20A", nullptr) : nullptr;
    return m_view != nullptr;
}

bool Editor::WaitForNote(DWORD timeoutMs, DWORD pollMs) const {
    // The frame fills the view with the note as it is created and sets its
    // title afterwards. While it fills, it answers messages sent from other
    // programs (it looks for paint requests to show its progress), so a
    // character typed then would land in the middle of the note. Once the
    // title is set the note is in the view. The view is then asked once, so
    // that the answer comes after anything the frame still does. The title
    // waits for the whole fill, so it gets the note's time too.
    const std::wstring title = L"" SCRIBECRYPT_TITLE;
    if (!WaitUntil([&] { return WindowText(m_main) == title; }, std::max(kWindowTimeoutMs, timeoutMs), pollMs))
        return false;
    DWORD_PTR length = 0;
    return SendMessageTimeoutW(m_view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length) != 0;
}

bool Editor::WaitForWholeNote(std::size_t units, DWORD timeoutMs, DWORD pollMs) const {
    return WaitForNote(timeoutMs, pollMs) && WaitUntil([&] { return ViewLength() == units; }, timeoutMs, pollMs);
}

std::optional<std::size_t> Editor::ViewLength() const {
    constexpr UINT kAnswerTimeoutMs = 1000;
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(m_view, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerTimeoutMs, &length) == 0)
        return std::nullopt;
    return static_cast<std::size_t>(length);
}

std::wstring Editor::Text() const { return ControlText(m_view); }

bool Editor::Modified() const { return SendMessageW(m_view, EM_GETMODIFY, 0, 0) != 0; }

std::wstring Editor::StatusText() const {
    // Status bar messages with a buffer do not reach another process; the
    // window text of the bar is its first part.
    return ControlText(FindWindowExW(m_main, nullptr, L"msctls_statusbar32", nullptr));
}

std::wstring Editor::UnsavedText() const {
    if (!IsWindow(m_main))
        return L"<closed>";
    return Modified() ? Text() : L"<unmodified>";
}

void Editor::Type(const std::wstring& text) const {
    for (wchar_t c : text)
        SendMessageW(m_view, WM_CHAR, c, 1);
}

void Editor::Append(const std::wstring& text) const {
    SendMessageW(m_view, EM_SETSEL, static_cast<WPARAM>(-1), -1);
    Type(text);
}

bool Editor::SaveNow(DWORD timeoutMs) const {
    Command(IDM_SAVE);
    return WaitUntil([&] { return !Modified(); }, timeoutMs);
}

void Editor::DeleteAll() const {
    SendMessageW(m_view, EM_SETSEL, 0, -1);
    SendMessageW(m_view, WM_KEYDOWN, VK_DELETE, 1);
    SendMessageW(m_view, WM_KEYUP, VK_DELETE, 0xC0000001);
}

std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr))
        return L"<busy>";
    std::wstring text = L"<empty>";
    if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(memory));
        GlobalUnlock(memory);
    }
    CloseClipboard();
    return text;
}

std::wstring Editor::CopiedText() const {
    SendMessageW(m_view, EM_SETSEL, 0, -1);
    SendMessageW(m_view, WM_COPY, 0, 0);
    return ClipboardText();
}

bool Editor::PasteOverAll(const std::wstring& text) const {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        return false;
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(memory);
        return false;
    }
    SendMessageW(m_view, EM_SETSEL, 0, -1);
    // Sent, not posted: reading the text back copies it to the clipboard,
    // which must not come before the paste.
    SendMessageW(m_main, WM_COMMAND, MAKEWPARAM(IDM_PASTE, 0), 0);
    return CopiedText() == text;
}

void Editor::Command(UINT id) const { PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void Editor::SaveAs(const std::wstring& path, int replace) {
    constexpr int kFileNameField = 1148;
    Command(IDM_SAVE_AS);
    const HWND dialog = WaitForWindow(
        m_process.Id(), L"#32770", [](HWND window) { return GetDlgItem(window, kFileNameField) != nullptr; },
        kWindowTimeoutMs);
    if (dialog == nullptr)
        return;
    SetControlText(dialog, kFileNameField, path);
    PressButton(dialog, IDOK);
    if (replace != 0)
        Answer(replace);
    WaitForWindowToGo(dialog);
    // The save runs in the command that showed the dialog: a message sent
    // now is answered once the frame has finished it.
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(m_main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    Sleep(300);
}

void Editor::Close() const { PostMessageW(m_main, WM_CLOSE, 0, 0); }

DWORD Editor::WaitForExit() {
    DWORD code = 0xBAD;
    if (!m_process.WaitForExit(20000, &code))
        return code;
    WaitForProcesses(WriteBackProcesses(m_process.Id()), 20000);
    return code;
}

DWORD Editor::CloseUnchanged() {
    Close();
    return WaitForExit();
}

std::wstring Editor::Answer(int button, DWORD timeoutMs) {
    return AnswerMessageBox(m_process.Id(), button, timeoutMs);
}

std::wstring Editor::CloseAnswering(int button) {
    Close();
    return Answer(button);
}

bool Editor::AnswerNewPassword(const std::wstring& password, const std::wstring& repeat,
                               const std::wstring& cipherName, int button) {
    HWND dialog = WaitForDialog(m_process.Id(), L"Scribecrypt", kWindowTimeoutMs);
    if (dialog == nullptr || GetDlgItem(dialog, IDC_NEW_PASSWORD) == nullptr)
        return false;
    SetControlText(dialog, IDC_NEW_PASSWORD, password);
    SetControlText(dialog, IDC_REPEAT_PASSWORD, repeat);
    if (!cipherName.empty())
        SendMessageW(GetDlgItem(dialog, IDC_CIPHER), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(cipherName.c_str()));
    if (button == 0)
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    else
        PressButton(dialog, button);
    // Let the dialog go before the caller looks for what follows it.
    WaitForWindowToGo(dialog);
    return true;
}

bool Editor::ChangePassword(const std::wstring& password, const std::wstring& cipherName, int button) {
    Command(IDM_CHANGE_PASSWORD);
    return AnswerNewPassword(password, password, cipherName, button);
}

StartingCopy::StartingCopy(const std::string& hint) : m_copy(hint), m_original(m_copy.Bytes()) {}

StartingCopy::StartingCopy(const std::string& hint, const std::string& text, const std::string& password,
                           const std::string& cipher)
    : m_copy(hint), m_original(m_copy.Seal(text, password, cipher) ? m_copy.Bytes() : std::string()) {}

EditorOnCopy::EditorOnCopy(const std::string& hint, const std::vector<std::string>& environment)
    : StartingCopy(hint), Editor(m_copy, environment), m_opened(Open()) {}

namespace {

// A password in the encoding of the choice named cipher, as typed.
std::wstring Typed(const std::string& password, const std::string& cipher) {
    const NoteChoice* choice = FindNoteChoice(cipher);
    if (choice == nullptr || choice->format->Encoding() == TextEncoding::LegacyCodePage)
        return FromCodePage936(password);
    std::wstring wide(password.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, password.data(), static_cast<int>(password.size()), &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

std::wstring OpenedTextAs(const ProgramCopy& copy, const std::wstring& password,
                          const std::vector<std::string>& environment, std::wstring (Editor::*read)() const) {
    Editor editor(copy, environment);
    if (!editor.Open(password))
        return L"<did not open>";
    const std::wstring text = (editor.*read)();
    return editor.CloseUnchanged() == 0 ? text : L"<did not close>";
}

}  // namespace

EditorOnCopy::EditorOnCopy(const std::string& hint, const std::string& text, const std::string& password,
                           const std::string& cipher, const std::vector<std::string>& environment)
    : StartingCopy(hint, text, password, cipher),
      Editor(m_copy, environment),
      m_opened(!m_original.empty() && Open(Typed(password, cipher))) {}

std::wstring OpenedText(const ProgramCopy& copy, const std::wstring& password,
                        const std::vector<std::string>& environment) {
    return OpenedTextAs(copy, password, environment, &Editor::Text);
}

std::wstring OpenedExactText(const ProgramCopy& copy, const std::wstring& password) {
    return OpenedTextAs(copy, password, {}, &Editor::CopiedText);
}

std::wstring OpenedImageText(const std::string& path, const std::wstring& password) {
    const ProgramCopy copy("reopen");
    return CopyInto(path, copy.Path()) ? OpenedText(copy, password) : L"<no image>";
}

bool KillDuringSave(const ProgramCopy& copy, const std::wstring& password, const std::wstring& more, int moment) {
    Editor editor(copy);
    if (!editor.Open(password))
        return false;
    editor.Append(more);
    editor.Command(IDM_SAVE);
    bool staged = true;
    if (moment == kWhileStaging)
        staged = WaitUntil([&] { return CountFiles(copy.Path() + "~*.tmp") > 0; }, 30000, 1);
    else
        Sleep(static_cast<DWORD>(moment));
    editor.GetProcess().Kill();
    DWORD code = 0;
    return editor.GetProcess().WaitForExit(kWindowTimeoutMs, &code) && staged;
}

}  // namespace driver
