#include "ui/password_field.h"

namespace {

constexpr WPARAM kCtrlC = 0x03;
constexpr WPARAM kCtrlX = 0x18;

bool Pressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Ctrl+Insert copies and Shift+Delete cuts in an edit control.
bool IsCopyOrCutKey(WPARAM key) {
    return (key == VK_INSERT && Pressed(VK_CONTROL)) || (key == VK_DELETE && Pressed(VK_SHIFT));
}

}  // namespace

LRESULT CPasswordField::WindowProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COPY:
    case WM_CUT:
    case WM_CONTEXTMENU:
        return 0;
    case WM_CHAR:
        if (wParam == kCtrlC || wParam == kCtrlX)
            return 0;
        break;
    case WM_KEYDOWN:
        if (IsCopyOrCutKey(wParam))
            return 0;
        break;
    default:
        break;
    }
    return CEdit::WindowProcedure(msg, wParam, lParam);
}
