#include "ui/uitext.h"

#include <richedit.h>

#include "framework/appcore.h"
#include "ui/note_encoding.h"
#include "ui/text_fit.h"

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

namespace {

// The whole text EM_GETTEXTEX gives with flags, as UTF-16, at most
// capacity units.
WipedWideString ViewTextWith(HWND view, DWORD flags, std::size_t capacity) {
    WipedWideString text(capacity + 1, L'\0');
    GETTEXTEX request = {};
    request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    request.flags = flags;
    request.codepage = kUnicodeCodePage;
    text.resize(static_cast<std::size_t>(
        SendMessageA(view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

// The length the control gives for its whole text, with or without "\r\n"
// line ends.
std::size_t TextLength(HWND view, DWORD flags) {
    GETTEXTLENGTHEX length = {GTL_NUMCHARS | GTL_PRECISE | flags, kUnicodeCodePage};
    const LRESULT count = SendMessageA(view, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

}  // namespace

WipedWideString WideViewText(HWND view) { return ViewTextWith(view, GT_DEFAULT, TextLength(view, 0)); }

WipedWideString WideLinesText(HWND view) { return ViewTextWith(view, GT_USECRLF, TextLength(view, GTL_USECRLF)); }

WipedWideString WideSelectionText(HWND view) {
    CHARRANGE selection = {};
    SendMessageA(view, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    if (selection.cpMax <= selection.cpMin)
        return WipedWideString();
    // Each paragraph break may become two units.
    return ViewTextWith(view, GT_SELECTION | GT_USECRLF, 2 * static_cast<std::size_t>(selection.cpMax - selection.cpMin));
}

bool RestoreViewText(HWND view, const WipedWideString& text) {
    SETTEXTEX replace = {ST_DEFAULT, kUnicodeCodePage};
    SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(text.c_str()));
    return WideViewText(view) == text;
}

SecretString StoredForm(TextEncoding encoding, std::wstring_view text) {
    if (text.empty())
        return SecretString();
    const int units = static_cast<int>(text.size());
    const UINT codePage = CodePageOf(encoding);
    const int bytes = WideCharToMultiByte(codePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return SecretString();
    SecretString stored = SecretString::OfLength(static_cast<std::size_t>(bytes));
    WideCharToMultiByte(codePage, 0, text.data(), units, stored.data(), bytes, nullptr, nullptr);
    return stored;
}

void SelectAndShow(HWND view, std::size_t start, std::size_t end) {
    CHARRANGE selection = {static_cast<LONG>(start), static_cast<LONG>(end)};
    SendMessageA(view, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageA(view, EM_SCROLLCARET, 0, 0);
}
