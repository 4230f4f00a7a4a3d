#include "framework/statusbar.h"

#include <commctrl.h>

#include <cassert>

#include "framework/controls.h"

namespace Casement {

namespace {

// Child, visible, clip siblings, aligned to the bottom, with a size grip.
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_BOTTOM | SBARS_SIZEGRIP;
static_assert(kStatusBarStyle == 0x54000103, "status bar style");

void AssertPartIndex(int iPart) {
    assert(iPart >= 0 && iPart <= 255);
}

}  // namespace

CStatusBar::CStatusBar() {
    LoadCommonControls();
}

void CStatusBar::AdjustWindowClass(WNDCLASSA& wc) {
    wc.lpszClassName = STATUSCLASSNAMEA;
}

void CStatusBar::AdjustCreateParams(CREATESTRUCTA& cs) {
    cs.style = kStatusBarStyle;
}

void CStatusBar::SetPartWidths(const std::vector<int>& widths) const {
    assert(IsWindow() && !widths.empty() && widths.size() <= 256);
    // The control takes the right edge of each part.
    std::vector<int> rightEdges;
    int edge = 0;
    for (int width : widths) {
        edge += width;
        rightEdges.push_back(edge);
    }
    SendMessageA(*this, SB_SETPARTS, rightEdges.size(), reinterpret_cast<LPARAM>(rightEdges.data()));
}

int CStatusBar::GetPartCount() const {
    assert(IsWindow());
    return static_cast<int>(SendMessageA(*this, SB_GETPARTS, 0, 0));
}

void CStatusBar::SetPartText(int iPart, LPCSTR text) const {
    assert(IsWindow());
    AssertPartIndex(iPart);
    SendMessageA(*this, SB_SETTEXTA, static_cast<WPARAM>(iPart), reinterpret_cast<LPARAM>(text));
}

CString CStatusBar::GetPartText(int iPart) const {
    assert(IsWindow());
    AssertPartIndex(iPart);
    CString text;
    const int length = LOWORD(SendMessageA(*this, SB_GETTEXTLENGTHA, static_cast<WPARAM>(iPart), 0));
    if (length > 0) {
        SendMessageA(*this, SB_GETTEXTA, static_cast<WPARAM>(iPart),
                     reinterpret_cast<LPARAM>(text.GetBuffer(length)));
        text.ReleaseBuffer();
    }
    return text;
}

}  // namespace Casement
