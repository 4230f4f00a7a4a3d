// The frame's locking of the note and its care for the clipboard.
#include <windows.h>

#include <wtsapi32.h>

#include <cstdlib>
#include <memory>

#include "image/save_in_place.h"
#include "ui/mainframe.h"
#include "ui/note_session.h"
#include "ui/resource_ids.h"
#include "ui/text_fit.h"
#include "ui/uitext.h"

namespace {

constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT_PTR kClipboardTimer = 2;
constexpr DWORD kIdleCheckMs = 1000;
constexpr DWORD kClipboardKeepMs = 30 * 1000;
constexpr DWORD kDefaultIdleLockSeconds = 10 * 60;

// SCRIBECRYPT_LOCK_AFTER in seconds; 0 turns locking when idle off.
DWORD IdleLockMs() {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(L"SCRIBECRYPT_LOCK_AFTER", value, 16);
    if (length == 0 || length >= 16)
        return kDefaultIdleLockSeconds * 1000;
    wchar_t* end = nullptr;
    const unsigned long seconds = std::wcstoul(value, &end, 10);
    if (end == value || *end != L'\0' || seconds > 24ul * 60 * 60)
        return kDefaultIdleLockSeconds * 1000;
    return static_cast<DWORD>(seconds * 1000);
}

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

// The session notices come from wtsapi32, loaded at run time so that the
// program imports only what every Windows has loaded anyway.
using RegisterNotices = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterNotices = BOOL(WINAPI*)(HWND);

// The view's text, each paragraph ending "\r", as the note is stored:
// each line ending "\r\n".
WipedWideString WithLineEnds(const WipedWideString& text) {
    WipedWideString lines;
    lines.reserve(text.size() + text.size() / 8);
    for (const wchar_t c : text) {
        lines += c;
        if (c == L'\r')
            lines += L'\n';
    }
    return lines;
}

template <typename Function>
Function Procedure(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

}  // namespace

void CMainFrame::StartLockWatch() {
    m_idleLockMs = IdleLockMs();
    m_lastInputAt = GetTickCount();
    SetTimer(*this, kIdleTimer, kIdleCheckMs, nullptr);
    m_sessionNotices = LoadLibraryW(L"wtsapi32.dll");
    if (auto registerNotices = Procedure<RegisterNotices>(m_sessionNotices, "WTSRegisterSessionNotification"))
        registerNotices(*this, NOTIFY_FOR_THIS_SESSION);
}

void CMainFrame::StopLockWatch() {
    KillTimer(*this, kIdleTimer);
    KillTimer(*this, kClipboardTimer);
    m_clipboard.Forget(*this);
    if (auto unregisterNotices = Procedure<UnregisterNotices>(m_sessionNotices, "WTSUnRegisterSessionNotification"))
        unregisterNotices(*this);
    if (m_sessionNotices != nullptr)
        FreeLibrary(m_sessionNotices);
    m_sessionNotices = nullptr;
}

bool CMainFrame::HandleLockMessage(UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kClipboardTimer) {
            KillTimer(*this, kClipboardTimer);
            m_clipboard.Forget(*this);
            return true;
        }
        if (wParam != kIdleTimer)
            return false;
        // A dialog or message box of the program is waiting for the user:
        // its question comes first.
        if (!IsWindowEnabled(*this))
            m_lastInputAt = GetTickCount();
        else if (m_lockWhenAnswered)
            LockNote(LockCause::Session);
        else if (m_idleLockMs != 0 && GetTickCount() - m_lastInputAt >= m_idleLockMs)
            LockNote(LockCause::Idle);
        return true;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_SESSION_LOCK || wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_DISCONNECT)
            LockNote(LockCause::Session);
        return true;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND)
            LockNote(LockCause::Session);
        return false;
    default:
        return false;
    }
}

BOOL CMainFrame::FilterMessage(MSG& msg) {
    if (IsInput(msg.message)) {
        const bool moved = msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE;
        // The system repeats a mouse move when windows change under a
        // still pointer; only a real move counts.
        if (moved || msg.pt.x != m_lastMousePosition.x || msg.pt.y != m_lastMousePosition.y)
            m_lastInputAt = GetTickCount();
        m_lastMousePosition = msg.pt;
    }
    if (m_lock.IsLocked() && msg.hwnd != nullptr && (msg.hwnd == GetHwnd() || IsChild(*this, msg.hwnd))) {
        const bool enter = msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN;
        if (enter || (msg.message == WM_LBUTTONDOWN && msg.hwnd == m_richView.GetHwnd())) {
            PostMessageA(*this, WM_COMMAND, IDM_LOCK, 0);
            return TRUE;
        }
    }
    return CFrame::FilterMessage(msg);
}

void CMainFrame::ShowLocked() { SetStatusText("已锁定。按 Enter 键解锁。"); }

bool CMainFrame::CommandNeedsText(UINT id) const {
    switch (id) {
    case IDM_LOCK:
    case IDM_EXIT:
    case IDM_ABOUT:
    case IDM_STATUS_BAR:
        return false;
    default:
        return true;
    }
}

void CMainFrame::LockNote(LockCause cause) {
    if (m_lock.IsLocked())
        return;
    // A question of the program is open, such as whether to save: the
    // answer may need the text, so the lock waits until it is given.
    if (cause == LockCause::Session && !IsWindowEnabled(*this)) {
        m_lockWhenAnswered = true;
        return;
    }
    m_lockWhenAnswered = false;
    if (!NoteSession::HasUsableKey()) {
        // Nothing can be sealed without a key; only the user is asked for one.
        if (cause != LockCause::User) {
            SetStatusText("笔记在设置密码之前不受保护，无法锁定。");
            return;
        }
        if (PromptForNewPassword(false) != PromptOutcome::Accepted)
            return;
    }
    m_search.CloseDialog();
    KillTimer(*this, kClipboardTimer);
    m_clipboard.Forget(*this);
    if (m_lock.Lock(m_richView, NoteSession::CurrentKey()))
        ShowLocked();
}

bool CMainFrame::UnlockNote() {
    const NoteSession::Reopen answer = NoteSession::CheckUnlockPassword([this] {
        const std::unique_ptr<CMyDialog> dialog(new CMyDialog);
        return dialog->DoModal(*this) != IDCANCEL;
    });
    if (answer == NoteSession::Reopen::NoPassword)
        return false;
    if (answer == NoteSession::Reopen::WrongPassword) {
        ShowError("您提供的密码无效。");
        return false;
    }
    if (!m_lock.Unlock(m_richView, NoteSession::CurrentKey()))
        return false;
    ShowReady();
    SetFocus(m_richView);
    return true;
}

bool CMainFrame::SaveLockedNote() {
    if (!m_lock.WasModified() && !NoteSession::HasPendingChange())
        return true;
    const NoteSession::Key key = NoteSession::CurrentKey();
    const WipedWideString text = WithLineEnds(m_lock.LockedText(key));
    // Characters code page 936 cannot hold would be lost without a word.
    if (FindUnfitCharacters(text).count != 0)
        return false;
    const SecretString stored = StoredForm(text);
    const ImageNote note = stored.empty() ? ImageNote{ImageNote::Kind::Removed, {}, {}, {}}
                                          : NoteSession::SealedWithKey(stored.View());
    std::wstring displaced;
    if (SaveIntoOwnFile(note, SavingProgress(), displaced) != InPlaceSave::Saved)
        return false;
    m_lock.MarkSaved();
    NoteSession::NoteSaved(note.kind == ImageNote::Kind::Sealed);
    ShowLocked();
    return true;
}

void CMainFrame::CopySelection(bool cut) {
    const WipedWideString selected = WideSelectionText(m_richView);
    if (selected.empty())
        return;
    if (!m_clipboard.Put(*this, selected)) {
        SetStatusText("剪贴板正被其他程序使用，未能复制。");
        return;
    }
    if (cut)
        m_richView.Clear();
    SetTimer(*this, kClipboardTimer, kClipboardKeepMs, nullptr);
    SetStatusText("剪贴板将在 30 秒后清除。");
}
