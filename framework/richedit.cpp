#include "framework/richedit.h"

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

void CRichEdit::AdjustWindowClass(WNDCLASSA& wc) {
    // The class is the library's, so registration finds it and this style
    // has no effect.
    wc.lpszClassName = RICHEDIT_CLASSA;
    wc.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE;
}

}  // namespace Casement
