#include "ui/note_lock.h"

#include <wtsapi32.h>

#include <cstdlib>
#include <memory>

#include "ui/note_session.h"
#include "ui/passworddialogs.h"
#include "ui/resource_ids.h"
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

template <typename Function>
Function Procedure(HMODULE module, const char* name) {
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

// A dialog or message box disables the window it belongs to, which is the
// frame or, when that was in front, the find dialog. Any window of the
// program that is shown but disabled thus means a question waits.
BOOL CALLBACK FindDisabledWindow(HWND window, LPARAM found) {
    if (!IsWindowVisible(window) || IsWindowEnabled(window))
        return TRUE;
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
}

bool QuestionOpen() {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), FindDisabledWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The selected part of an edit field's text.
WipedWideString FieldSelectionText(HWND field) {
    const int length = GetWindowTextLengthW(field);
    WipedWideString text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(field, &text[0], length + 1)));
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (end <= start || end > text.size())
        return WipedWideString();
    return text.substr(start, end - start);
}

}  // namespace

void CNoteLock::Start() {
    m_idleLockMs = IdleLockMs();
    m_lastInputAt = GetTickCount();
    SetTimer(m_frame, kIdleTimer, kIdleCheckMs, nullptr);
    m_sessionNotices = LoadLibraryW(L"wtsapi32.dll");
    if (auto registerNotices = Procedure<RegisterNotices>(m_sessionNotices, "WTSRegisterSessionNotification"))
        registerNotices(m_frame, NOTIFY_FOR_THIS_SESSION);
}

void CNoteLock::Stop() {
    KillTimer(m_frame, kIdleTimer);
    KillTimer(m_frame, kClipboardTimer);
    m_clipboard.Forget(m_frame);
    if (auto unregisterNotices = Procedure<UnregisterNotices>(m_sessionNotices, "WTSUnRegisterSessionNotification"))
        unregisterNotices(m_frame);
    if (m_sessionNotices != nullptr)
        FreeLibrary(m_sessionNotices);
    m_sessionNotices = nullptr;
}

bool CNoteLock::HandleMessage(UINT msg, WPARAM wParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == kClipboardTimer) {
            KillTimer(m_frame, kClipboardTimer);
            m_clipboard.Forget(m_frame);
            return true;
        }
        if (wParam != kIdleTimer)
            return false;
        Run(LockEvent::IdleCheck);
        return true;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_SESSION_LOCK || wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_DISCONNECT)
            Run(LockEvent::SessionLock);
        return true;
    case WM_POWERBROADCAST:
        // The system's default answer to a power notice still applies.
        if (wParam == PBT_APMSUSPEND)
            Run(LockEvent::SessionLock);
        return false;
    default:
        return false;
    }
}

bool CNoteLock::FilterInput(const MSG& msg) {
    if (IsInput(msg.message)) {
        const bool moved = msg.message != WM_MOUSEMOVE && msg.message != WM_NCMOUSEMOVE;
        // The system repeats a mouse move when windows change under a
        // still pointer; only a real move counts.
        if (moved || msg.pt.x != m_lastMousePosition.x || msg.pt.y != m_lastMousePosition.y)
            m_lastInputAt = GetTickCount();
        m_lastMousePosition = msg.pt;
    }
    if (!IsLocked() || msg.hwnd == nullptr || (msg.hwnd != m_frame.GetHwnd() && !IsChild(m_frame, msg.hwnd)))
        return false;
    const bool enter = msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN;
    if (!enter && !(msg.message == WM_LBUTTONDOWN && msg.hwnd == m_view.GetHwnd()))
        return false;
    PostMessageA(m_frame, WM_COMMAND, IDM_LOCK, 0);
    return true;
}

LockFacts CNoteLock::Facts() const {
    LockFacts facts;
    facts.locked = IsLocked();
    facts.questionOpen = QuestionOpen();
    facts.lockWhenAnswered = m_lockWhenAnswered;
    facts.idleTimeUp = m_idleLockMs != 0 && GetTickCount() - m_lastInputAt >= m_idleLockMs;
    facts.canSeal = NoteSession::CanSeal(NoteSession::CurrentKey());
    facts.lockedChanges = m_viewLock.WasModified() || NoteSession::HasPendingChange();
    return facts;
}

std::optional<bool> CNoteLock::Run(LockEvent event) {
    switch (NextLockStep(Facts(), event)) {
    case LockStep::Nothing:
        return std::nullopt;
    case LockStep::RestartIdleClock:
        m_lastInputAt = GetTickCount();
        return true;
    case LockStep::LockWhenAnswered:
        m_lockWhenAnswered = true;
        return false;
    case LockStep::ReportNoKey:
        m_lockWhenAnswered = false;
        m_status.Show("笔记在设置密码之前不受保护，无法锁定。");
        return false;
    case LockStep::AskForKey:
        m_lockWhenAnswered = false;
        return m_saver.PromptForNewPassword(false) == PromptOutcome::Accepted && LockView();
    case LockStep::Lock:
        m_lockWhenAnswered = false;
        return LockView();
    case LockStep::AskToUnlock:
        return Unlock();
    case LockStep::SaveLocked:
        return SaveLocked();
    case LockStep::AllowSessionEnd:
        return true;
    }
    return std::nullopt;
}

bool CNoteLock::LockView() {
    m_beforeLock();
    KillTimer(m_frame, kClipboardTimer);
    m_clipboard.Forget(m_frame);
    if (!m_viewLock.Lock(m_view, NoteSession::CurrentKey()))
        return false;
    ShowLocked();
    return true;
}

bool CNoteLock::Unlock() {
    // The dialog leaves what was typed here, not in the key: the key must
    // stay in place for a save that comes while it is open.
    SecretString entered;
    const std::unique_ptr<CMyDialog> dialog(new CMyDialog(entered));
    const bool answered = dialog->DoModal(m_frame) != IDCANCEL;
    // A modern key is checked by deriving it again, which takes a moment.
    if (answered && !entered.empty())
        m_status.ShowWorking("正在检查密码…");
    const NoteSession::Reopen reopen =
        NoteSession::CheckUnlockPassword(answered, entered.View(), NoteSession::CurrentKey());
    entered = SecretString();
    switch (reopen) {
    case NoteSession::Reopen::NoPassword:
        return false;
    case NoteSession::Reopen::WrongPassword:
        ShowLocked();
        ShowError("您提供的密码无效。");
        return false;
    case NoteSession::Reopen::Opened:
        break;
    }
    if (!m_viewLock.Unlock(m_view)) {
        ShowLocked();
        return false;
    }
    m_status.ShowReady();
    SetFocus(m_view);
    return true;
}

bool CNoteLock::SaveLocked() {
    const NoteSession::Key key = NoteSession::CurrentKey();
    if (!m_saver.SaveLocked(m_viewLock.LockedText(), key))
        return false;
    m_viewLock.MarkSaved();
    ShowLocked();
    return true;
}

void CNoteLock::ShowLocked() { m_status.Show("已锁定。按 Enter 键解锁。"); }

void CNoteLock::CopySelection(bool cut) {
    if (PutOnClipboard(WideSelectionText(m_view)) && cut)
        m_view.Clear();
}

bool CNoteLock::CopyFromField(HWND field, bool cut) {
    wchar_t className[8] = {};
    if (field == nullptr || field == m_view.GetHwnd() || GetAncestor(field, GA_ROOTOWNER) != m_frame.GetHwnd() ||
        GetClassNameW(field, className, 8) == 0 || lstrcmpiW(className, L"Edit") != 0)
        return false;
    if ((GetWindowLongW(field, GWL_STYLE) & ES_PASSWORD) != 0)
        return true;
    if (PutOnClipboard(FieldSelectionText(field)) && cut)
        SendMessageW(field, WM_CLEAR, 0, 0);
    return true;
}

bool CNoteLock::PutOnClipboard(const WipedWideString& text) {
    if (text.empty())
        return false;
    if (!m_clipboard.Put(m_frame, text)) {
        m_status.Show("剪贴板正被其他程序使用，未能复制。");
        return false;
    }
    SetTimer(m_frame, kClipboardTimer, kClipboardKeepMs, nullptr);
    m_status.Show("剪贴板将在 30 秒后清除。");
    return true;
}
