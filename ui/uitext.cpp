#include "ui/uitext.h"

#include "framework/appcore.h"

HWND MessageOwner() {
    HWND front = GetForegroundWindow();
    if (front != nullptr && GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId())
        return front;
    return Casement::GetApp().GetThreadRecord()->hMainWnd;
}

SecretString SecretWindowText(HWND window) {
    // Wine's "RichEdit20A" counts characters, not bytes: two bytes each
    // leave room for code page 936 text.
    const int length = GetWindowTextLengthA(window);
    if (length <= 0)
        return SecretString();
    const int capacity = 2 * length + 1;
    SecretString text = SecretString::OfLength(static_cast<std::size_t>(capacity));
    const int copied = GetWindowTextA(window, text.data(), capacity);
    text.Truncate(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}
