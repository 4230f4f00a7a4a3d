// What the tests of large notes and of faults share: a note of any size and
// its text as the view reports it.
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

}  // namespace driver
