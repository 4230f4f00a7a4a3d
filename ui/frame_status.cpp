#include "ui/frame_status.h"

#include "crypto/note_format.h"
#include "framework/cstring.h"
#include "ui/note_session.h"
#include "ui/resource_ids.h"

namespace {

// Work that ends within this time shows no progress.
constexpr DWORD kQuietMs = 300;

// The protection of a note that has a password, or the plain idle text for
// a new note that has none yet (or a note whose choice the program does not
// know).
Casement::CString IdleText() {
    const NoteChoice* choice = FindNoteChoice(NoteSession::CurrentKey().cipher);
    Casement::CString text;
    if (choice != nullptr && (!NoteSession::IsNew() || NoteSession::HasPendingChange()))
        text = (std::string("保护: ") + choice->displayName).c_str();
    else
        text.LoadResourceString(IDS_READY);
    return text;
}

}  // namespace

void CFrameStatus::ShowReady() {
    const Casement::CString idle = IdleText();
    // Closing a menu brings it back, too.
    m_frame.SetIdleStatusText(idle.c_str());
    m_frame.SetStatusText(idle.c_str());
}

void CFrameStatus::ShowProgress(const std::string& text) {
    m_frame.SetStatusText(text.c_str());
    // The frame and its bars are painted at once, the view not: Wine's rich
    // edit control aborts the program when it is painted while it takes a
    // stream. No message is taken in the middle of the work, so no key,
    // command or question from another program reaches the frame.
    Casement::PaintNowExcept(m_frame.GetHwnd(), m_view.GetHwnd());
    Casement::ShowAlive();
}

FillProgress CFrameStatus::OpeningProgress() {
    // A fill that ends within a moment shows nothing; a longer one its
    // percentage, a few times a second.
    constexpr DWORD kIntervalMs = 100;
    const DWORD start = GetTickCount();
    return [this, start, shownAt = start](std::size_t done, std::size_t total) mutable {
        const DWORD now = GetTickCount();
        if (now - start < kQuietMs || now - shownAt < kIntervalMs || total == 0)
            return;
        shownAt = now;
        ShowProgress("正在打开文档... " + std::to_string(static_cast<unsigned long long>(done) * 100 / total) + "%");
    };
}

SaveProgress CFrameStatus::SavingProgress() {
    // The same for a save, after each of its steps: painting the bars takes
    // longer than the whole save of a small note.
    const DWORD start = GetTickCount();
    return [this, start](int percent) {
        if (GetTickCount() - start >= kQuietMs)
            ShowProgress("正在保存文档... " + std::to_string(percent) + "%");
    };
}
