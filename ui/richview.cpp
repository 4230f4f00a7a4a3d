#include "ui/richview.h"

void CRichView::AdjustCreateParams(CREATESTRUCTA& cs) {
    cs.lpszClass = RICHEDIT_CLASSA;
    cs.style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | kViewEditStyles;
    cs.dwExStyle = WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES;
}

void CRichView::AfterCreated() {
    LimitText(kViewCharacterLimit);
    // Key events and dropped files are reported to the frame.
    SetEventMask(ENM_KEYEVENTS | ENM_DROPFILES);
    ApplyDefaultFont();
}

void CRichView::ApplyDefaultFont() {
    if (m_font.GetHandle() == nullptr)
        m_font.CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FF_MODERN | DEFAULT_PITCH,
                          "Courier New");
    SendMessageA(*this, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(m_font)), 0);
    // Without this the control switches fonts by itself for other scripts.
    const LRESULT options = SendMessageA(*this, EM_GETLANGOPTIONS, 0, 0);
    SendMessageA(*this, EM_SETLANGOPTIONS, 0, options & ~IMF_AUTOFONT);
}
