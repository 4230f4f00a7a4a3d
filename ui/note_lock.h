// The note's lock: the view's text is sealed away on command, after idle
// time, and when the session locks or the machine goes to sleep; it comes
// back for the right password, and is saved as it is when the session ends
// while it is locked. The lock also keeps the clipboard from holding the
// note's text for long: a copy is forgotten after 30 seconds, and at once
// when the note locks.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <utility>

#include "framework/richedit.h"
#include "ui/frame_status.h"
#include "ui/lock_steps.h"
#include "ui/note_clipboard.h"
#include "ui/note_saver.h"
#include "ui/view_lock.h"

class CNoteLock {
public:
    // frame is the window the timers, notices and dialogs belong to;
    // beforeLock closes what shows the text beside the view.
    CNoteLock(const Casement::CWnd& frame, Casement::CRichEdit& view, CNoteSaver& saver, CFrameStatus& status,
              std::function<void()> beforeLock)
        : m_frame(frame), m_view(view), m_saver(saver), m_status(status), m_beforeLock(std::move(beforeLock)) {}
    CNoteLock(const CNoteLock&) = delete;
    CNoteLock& operator=(const CNoteLock&) = delete;

    bool IsLocked() const { return m_viewLock.IsLocked(); }
    // Once the frame window exists: the idle clock and the session notices.
    void Start();
    // As the frame window goes: the timers, the notices and what the
    // clipboard still holds of the note.
    void Stop();

    // The lock command: an open note locks, a locked one asks to unlock.
    void ToggleLock() { Run(LockEvent::Command); }
    // Whether the window may close: a locked note only once it is unlocked.
    bool MayClose() { return Run(LockEvent::Close).value_or(true); }
    // Whether the session may end, when the note is locked; nothing for an
    // open note, whose unsaved changes decide.
    std::optional<bool> SessionEndAnswer() { return Run(LockEvent::SessionEnd); }
    // The timers and the system's notices; true when msg was one of them
    // and needs nothing more.
    bool HandleMessage(UINT msg, WPARAM wParam);
    // Keyboard and mouse input to the program's windows keeps the note from
    // locking when idle; Enter or a click on the view asks to unlock a
    // locked note, and is then taken: true.
    bool FilterInput(const MSG& msg);

    // Copy and cut: the selection goes to the clipboard, which forgets it
    // 30 seconds later.
    void CopySelection(bool cut);
    // The same for the selection of an edit field of the program's own
    // dialogs (the find and replace fields hold note text); a password
    // field copies nothing. False when field is no such field.
    bool CopyFromField(HWND field, bool cut);

private:
    LockFacts Facts() const;
    // Carries out the next step for event: whether the window may close or
    // the session end, whether the note locked or unlocked; nothing when
    // there was nothing to do.
    std::optional<bool> Run(LockEvent event);
    bool LockView();
    bool Unlock();
    bool SaveLocked();
    void ShowLocked();
    // Puts text on the clipboard to be forgotten 30 seconds later, and
    // says so; false when the clipboard did not take it.
    bool PutOnClipboard(const WipedWideString& text);

    const Casement::CWnd& m_frame;
    Casement::CRichEdit& m_view;
    CNoteSaver& m_saver;
    CFrameStatus& m_status;
    std::function<void()> m_beforeLock;
    CViewLock m_viewLock;
    CNoteClipboard m_clipboard;
    DWORD m_idleLockMs = 0;  // 0: no locking when idle
    bool m_lockWhenAnswered = false;
    DWORD m_lastInputAt = 0;
    POINT m_lastMousePosition = {};
    HMODULE m_sessionNotices = nullptr;  // wtsapi32, loaded where it exists
};
