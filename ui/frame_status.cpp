#include "ui/frame_status.h"

#include "framework/cstring.h"
#include "ui/resource_ids.h"

namespace {

// Work that ends within this time shows no progress.
constexpr DWORD kQuietMs = 300;

}  // namespace

void CFrameStatus::ShowReady() {
    Casement::CString ready;
    ready.LoadResourceString(IDS_READY);
    m_frame.SetStatusText(ready.c_str());
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
