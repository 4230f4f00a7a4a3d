#include "framework/richedit.h"

#include "framework/appcore.h"
#include "framework/cexception.h"

namespace Casement {

CRichEdit::CRichEdit() {
    m_hRichEdit1 = LoadLibraryA("riched32.dll");
    if (m_hRichEdit1 == nullptr)
        throw CNotSupportedException("Failed to load RICHED32.DLL");
    // riched20.dll registers "RichEdit20A"; without it creating the window
    // fails, which window creation reports.
    m_hRichEdit2 = LoadLibraryA("riched20.dll");
}

CRichEdit::~CRichEdit() {
    DestroyHandle();
    FreeLibrary(m_hRichEdit1);
    if (m_hRichEdit2 != nullptr)
        FreeLibrary(m_hRichEdit2);
}

HWND CRichEdit::CreateDefault(HWND parent) {
    RequireLibraryClass();
    return CWnd::CreateDefault(parent);
}

HWND CRichEdit::CreateWithClass(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int cx,
                                int cy, HWND parent, HMENU menuOrId, LPVOID param) {
    RequireLibraryClass();
    return CWnd::CreateWithClass(exStyle, className, title, style, x, y, cx, cy, parent, menuOrId, param);
}

void CRichEdit::RequireLibraryClass() {
    // Without riched20.dll the framework would register the class name as a
    // class of its own, and the view would be a blank window that takes no
    // text. Creation fails instead, as when the system refuses a window.
    WNDCLASSA registered = {};
    if (!GetClassInfoA(GetApp().GetInstanceHandle(), RICHEDIT_CLASSA, &registered))
        throw CWinException("CreateWindowEx failed");
}

void CRichEdit::AdjustWindowClass(WNDCLASSA& wc) {
    // The class is the library's, so registration finds it and this style
    // has no effect.
    wc.lpszClassName = RICHEDIT_CLASSA;
    wc.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE;
}

LRESULT CRichEdit::DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    // Alt+Backspace undoes, as in the system's edit controls. Not every
    // system's rich edit control does so itself; the default handling of
    // the key would only beep.
    const bool altBackspace = wParam == VK_BACK && (HIWORD(lParam) & KF_ALTDOWN) != 0;
    if (altBackspace && msg == WM_SYSKEYDOWN) {
        Undo();
        return 0;
    }
    if (altBackspace && msg == WM_SYSCHAR)
        return 0;
    return CWnd::DefaultProcedure(msg, wParam, lParam);
}

}  // namespace Casement
