#include "ui/uitext.h"

#include <richedit.h>

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

std::wstring WideViewText(HWND view) {
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE, kUnicodeCodePage};
    const LRESULT count = SendMessageA(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    if (count <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(count) + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    request.flags = GT_DEFAULT;
    request.codepage = kUnicodeCodePage;
    text.resize(static_cast<std::size_t>(
        SendMessageA(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

bool RestoreViewText(HWND view, const std::wstring& text) {
    SETTEXTEX replace = {ST_DEFAULT, kUnicodeCodePage};
    SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(text.c_str()));
    return WideViewText(view) == text;
}

void SelectAndShow(HWND view, std::size_t start, std::size_t end) {
    CHARRANGE selection = {static_cast<LONG>(start), static_cast<LONG>(end)};
    SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(view, EM_SCROLLCARET, 0, 0);
}
