// The rebar: the system's band container along the top of its parent, which
// holds the menu bar and the tool bar in bands of their own.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cassert>

#include "framework/controls.h"
#include "framework/wincore.h"

namespace Casement {

class CReBar : public CWnd {
public:
    CReBar() { LoadCommonControls(); }

    // Every band record starts from this: the size that comctl32 5.80 and
    // later accept, without the fields added for Vista.
    static REBARBANDINFOA EmptyBandInfo() {
        REBARBANDINFOA info = {};
        info.cbSize = REBARBANDINFOA_V6_SIZE;
        return info;
    }

    // Appends a band; FALSE when the control refuses it.
    BOOL InsertBand(const REBARBANDINFOA& info) const {
        assert(IsWindow());
        return SendMessageA(*this, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(&info)) != 0;
    }
    int GetBandCount() const {
        assert(IsWindow());
        return static_cast<int>(SendMessageA(*this, RB_GETBANDCOUNT, 0, 0));
    }
    // The band that holds child, or -1.
    int GetBandOf(HWND child) const {
        REBARBANDINFOA info = EmptyBandInfo();
        info.fMask = RBBIM_CHILD;
        for (int band = 0; band < GetBandCount(); ++band) {
            if (GetBandInfo(band, info) && info.hwndChild == child)
                return band;
        }
        return -1;
    }
    BOOL GetBandInfo(int band, REBARBANDINFOA& info) const {
        assert(IsWindow());
        return SendMessageA(*this, RB_GETBANDINFOA, static_cast<WPARAM>(band),
                            reinterpret_cast<LPARAM>(&info)) != 0;
    }
    BOOL SetBandInfo(int band, const REBARBANDINFOA& info) const {
        assert(IsWindow());
        return SendMessageA(*this, RB_SETBANDINFOA, static_cast<WPARAM>(band),
                            reinterpret_cast<LPARAM>(&info)) != 0;
    }
    // Hiding a band hides its child window too.
    BOOL ShowBand(int band, BOOL show) const {
        assert(IsWindow());
        return SendMessageA(*this, RB_SHOWBAND, static_cast<WPARAM>(band), show) != 0;
    }
    void SetBackgroundColour(COLORREF colour) const {
        assert(IsWindow());
        SendMessageA(*this, RB_SETBKCOLOR, 0, static_cast<LPARAM>(colour));
    }

protected:
    void AdjustWindowClass(WNDCLASSA& wc) override { wc.lpszClassName = REBARCLASSNAMEA; }
    // Child, visible, clip siblings and children, variable height, band
    // borders, no divider.
    void AdjustCreateParams(CREATESTRUCTA& cs) override {
        cs.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                   RBS_BANDBORDERS | CCS_NODIVIDER;
    }
};

}  // namespace Casement
