#include "app/textapp.h"

void CPlaceholderWindow::AdjustCreateParams(CREATESTRUCTA& cs) {
    cs.lpszName = "Scribecrypt";
    cs.cx = 600;
    cs.cy = 460;
}

void CPlaceholderWindow::HandleDestroy() { PostQuitMessage(0); }

BOOL CTextApp::InitInstance() {
    m_isNewDocument = 1;
    return m_frame.CreateDefault(nullptr) != nullptr;
}
