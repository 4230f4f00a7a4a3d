#include "ui/uitext.h"

#include <richedit.h>

#include "crypto/note_format.h"
#include "framework/appcore.h"
#include "ui/note_encoding.h"
#include "ui/text_fit.h"

HWND MessageOwner() {
    HWND front = GetForegroundWindow();
    if (front != nullptr && GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId())
        return front;
    return Casement::GetApp().GetThreadRecord()->hMainWnd;
}

WipedWideString SecretWideWindowText(HWND window) {
    // Room for the whole limit from the start: a short text would otherwise
    // sit in the string object itself, where no wiping allocator reaches it.
    WipedWideString text;
    text.reserve(kPasswordCharacterLimit + 1);
    text.resize(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1);
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

SecretString SecretWindowText(HWND window) { return Utf8Of(SecretWideWindowText(window)); }

SecretString Utf8Of(std::wstring_view text) {
    if (text.empty())
        return SecretString();
    const int units = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    SecretString utf8 = SecretString::OfLength(static_cast<std::size_t>(bytes > 0 ? bytes : 0));
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), units, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

WipedWideString WideOfUtf8(std::string_view utf8) {
    if (utf8.empty())
        return WipedWideString();
    const int bytes = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
    WipedWideString text(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, &text[0], units);
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

void ReplaceSelection(HWND view, const wchar_t* text) {
    SETTEXTEX replace = {ST_SELECTION | ST_KEEPUNDO, kUnicodeCodePage};
    SendMessageA(view, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&replace), reinterpret_cast<LPARAM>(text));
}

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
