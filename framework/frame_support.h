// Small queries the frame's units share about its windows and resources.
#pragma once

#include <windows.h>

#include "framework/cstring.h"
#include "framework/wincore.h"

namespace Casement {

inline bool IsLockKey(WPARAM key) {
    return key == VK_CAPITAL || key == VK_NUMLOCK || key == VK_SCROLL;
}

// Whether a window exists with WS_VISIBLE. While the frame is being created
// it is still hidden itself, and IsWindowVisible would call its bars hidden.
inline bool IsShown(const CWnd& window) {
    return window.IsWindow() && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

inline int WindowHeight(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

inline CString LoadText(UINT id) {
    CString text;
    text.LoadResourceString(id);
    return text;
}

}  // namespace Casement
