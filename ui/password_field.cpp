#include "ui/password_field.h"

#include "crypto/note_format.h"

namespace {

constexpr WPARAM kCtrlC = 0x03;
constexpr WPARAM kCtrlX = 0x18;

bool Pressed(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// Ctrl+Insert copies and Shift+Delete cuts in an edit control.
bool IsCopyOrCutKey(WPARAM key) {
    return (key == VK_INSERT && Pressed(VK_CONTROL)) || (key == VK_DELETE && Pressed(VK_SHIFT));
}

}  // namespace

WipedWideString CPasswordField::Text() const {
    // Room for the whole limit from the start: a short text would otherwise
    // sit in the string object itself, where no wiping allocator reaches it.
    WipedWideString text;
    text.reserve(kPasswordCharacterLimit + 1);
    text.resize(static_cast<std::size_t>(GetWindowTextLengthW(*this)) + 1);
    text.resize(static_cast<std::size_t>(GetWindowTextW(*this, &text[0], static_cast<int>(text.size()))));
    return text;
}

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
