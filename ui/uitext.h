// Small helpers the editor's windows share.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "framework/cstring.h"
#include "framework/wincore.h"

// The owner of the program's message boxes: the window in front when it is
// one of the program's own, else the main frame (nothing before it exists).
// A box owned by another program's window waits for that program to answer
// as the box disables it, so a busy or hung program in front would hold up
// the question.
HWND MessageOwner();

// An error message box of the program: system-modal.
inline void ShowError(LPCSTR text) {
    MessageBoxA(MessageOwner(), text, "错误", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}
// The same for a text that may hold what code page 936 cannot spell, such as a path.
inline void ShowError(const std::wstring& text) {
    MessageBoxW(MessageOwner(), text.c_str(), L"错误", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

// A window's whole text as ANSI bytes.
inline Casement::CString ViewText(const Casement::CWnd& view) {
    Casement::CString text;
    text.ReadWindowText(view);
    return text;
}

// A window's whole text, exactly the characters it holds, read into strings
// that wipe themselves: for passwords, which must leave no copy behind.
WipedWideString SecretWideWindowText(HWND window);
// The same as UTF-8.
SecretString SecretWindowText(HWND window);

// UTF-16 text as UTF-8 and back, in strings that wipe themselves. A
// surrogate without its partner becomes U+FFFD.
SecretString Utf8Of(std::wstring_view text);
WipedWideString WideOfUtf8(std::string_view utf8);

// The code page by which rich edit messages take and give UTF-16 text.
constexpr UINT kUnicodeCodePage = 1200;

// Replaces a rich edit control's selection with text as one step the user
// can undo.
void ReplaceSelection(HWND view, const wchar_t* text);

// A rich edit control's text as UTF-16 with "\r" ending each paragraph, so
// that an offset into it is the control's own character position.
WipedWideString WideViewText(HWND view);
// The same with "\r\n" ending each line, as the note is stored.
WipedWideString WideLinesText(HWND view);
// The selected text as UTF-16 with "\r\n" ending each line, as the
// clipboard takes it.
WipedWideString WideSelectionText(HWND view);

// Puts UTF-16 text back into a rich edit control as its whole text, with no
// undo history; false when the control then holds less than all of it.
bool RestoreViewText(HWND view, const WipedWideString& text);

// UTF-16 text as a note stores it in encoding; a character the encoding
// cannot hold becomes what the system makes of it ("?" or a look-alike).
SecretString StoredForm(TextEncoding encoding, std::wstring_view text);

// Selects characters [start, end) of a rich edit control and scrolls them
// into sight.
void SelectAndShow(HWND view, std::size_t start, std::size_t end);
