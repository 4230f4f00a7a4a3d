// The frame's lock-key indicators in parts 1 to 3 of its status bar, and
// the keyboard hook that renews them when a lock key changes.
#include <algorithm>
#include <vector>

#include "framework/appcore.h"
#include "framework/frame.h"
#include "framework/frame_support.h"

namespace Casement {

namespace {

// The status bar's parts 1 to 3.
struct Indicator {
    int virtualKey;
    UINT textId;
};
const Indicator kIndicators[] = {
    {VK_CAPITAL, IDW_INDICATOR_CAPS},
    {VK_NUMLOCK, IDW_INDICATOR_NUM},
    {VK_SCROLL, IDW_INDICATOR_SCRL},
};
// Part 0 is at least this wide less the indicators and the spare pixels.
constexpr int kMinStatusWidth = 300;
constexpr int kStatusSpare = 20;

}  // namespace

void CFrame::SetStatusIndicators() {
    if (!m_bShowIndicatorStatus || !m_StatusBar.IsWindow())
        return;
    CString texts[3];
    std::vector<int> widths(1, 0);
    {
        CClientDC dc(m_StatusBar);
        dc.SelectObject(m_fntStatusBar);
        const int dpi = dc.GetDeviceCaps(LOGPIXELSX);
        for (size_t i = 0; i < 3; ++i) {
            texts[i] = LoadText(kIndicators[i].textId);
            // One character more than the text leaves room around it.
            const CString measured = texts[i] + ' ';
            widths.push_back(MulDiv(dc.GetTextExtentPoint32(measured, measured.GetLength()).cx, dpi, 96));
        }
    }
    RECT client = {};
    GetClientRect(*this, &client);
    widths[0] = std::max(static_cast<int>(client.right), kMinStatusWidth) - widths[1] - widths[2] -
                widths[3] - kStatusSpare;
    m_StatusBar.SetPartWidths(widths);

    for (size_t i = 0; i < 3; ++i) {
        const bool on = (GetKeyState(kIndicators[i].virtualKey) & 1) != 0;
        const CString shown = on ? texts[i] : CString();
        const int part = static_cast<int>(i) + 1;
        if (m_StatusBar.GetPartText(part) != shown)
            m_StatusBar.SetPartText(part, shown);
    }
}


void CFrame::InstallKeyboardHook() {
    GetApp().GetThreadRecord()->hMainWnd = *this;
    if (m_hKeyboardHook == nullptr)
        m_hKeyboardHook = SetWindowsHookExA(WH_KEYBOARD, StaticKeyboardProc, nullptr, GetCurrentThreadId());
}

LRESULT CALLBACK CFrame::StaticKeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = nullptr;
    try {
        CWinApp* app = GetAppPtr();
        const HWND frameWindow = app != nullptr ? app->GetThreadRecord()->hMainWnd : nullptr;
        auto* frame = frameWindow != nullptr
                          ? reinterpret_cast<CFrame*>(SendMessageA(frameWindow, UWM_GETCFRAME, 0, 0))
                          : nullptr;
        if (frame != nullptr) {
            hook = frame->m_hKeyboardHook;
            if (code == HC_ACTION && IsLockKey(wParam))
                frame->SetStatusIndicators();
        }
    } catch (...) {
        KeepPendingException();
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

}  // namespace Casement
