// The status bar: the system's status control along the bottom of its
// parent, divided into parts that each show a text.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"
#include "framework/wincore.h"

namespace Casement {

class CStatusBar : public CWnd {
public:
    CStatusBar();

    // Divides the bar into parts of the given widths in pixels, from the left.
    void SetPartWidths(const std::vector<int>& widths) const;
    int GetPartCount() const;
    // A part index lies in 0 to 255.
    void SetPartText(int iPart, LPCSTR text) const;
    CString GetPartText(int iPart) const;

protected:
    void AdjustWindowClass(WNDCLASSA& wc) override;
    void AdjustCreateParams(CREATESTRUCTA& cs) override;
};

}  // namespace Casement
