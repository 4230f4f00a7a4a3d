// What the tests of large notes and of faults share: a note of any size, its
// text as the view reports it, and bounded waits for a busy editor.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/driver.h"

namespace driver {

// A note of exactly this many bytes: numbered lines of Chinese (code page
// 936) and ASCII text ending in CR LF, the one line end the view gives back
// unchanged. It has no zero byte and no character cut in half.
inline std::string LargeNote(std::size_t bytes) {
    static const std::string kLine = " \xC4\xFA\xBA\xC3\xA3\xAC\xCA\xC0\xBD\xE7 the quick brown fox jumps over\r\n";
    std::string text;
    text.reserve(bytes);
    for (unsigned number = 0;; ++number) {
        const std::string line = std::to_string(number) + kLine;
        if (text.size() + line.size() > bytes)
            break;
        text += line;
    }
    text.append(bytes - text.size(), 'x');
    return text;
}

// Code page 936 bytes as the view's wide text, whatever the test's own code page.
inline std::wstring FromCodePage936(const std::string& bytes) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                             &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

// True when the window's thread answers a message within timeoutMs: it has
// neither crashed nor hung, and has finished what it was busy with.
inline bool Responds(HWND window, DWORD timeoutMs) {
    DWORD_PTR length = 0;
    return SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length) != 0;
}

// Waits until the editor shows its note. The frame sets its title and then
// unseals the note on a message it posts itself once it is created, and a
// message sent by the test before then is answered first: the view would read
// empty and typed characters would be overwritten by the note. Once the
// title is set the frame is busy until the note is in the view, so the next
// message that the view answers comes after it.
inline bool WaitForNote(HWND main, HWND view, DWORD timeoutMs) {
    for (int i = 0; i < 1000 && WindowText(main) != L"Scribecrypt v1.0.6"; ++i)
        Sleep(20);
    return WindowText(main) == L"Scribecrypt v1.0.6" && Responds(view, timeoutMs);
}

}  // namespace driver
