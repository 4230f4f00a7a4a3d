// A text with characters code page 936 cannot hold, what the program says
// before it saves it, and what it stores; shared by the tests of closing and
// of Save As.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/e2e/editor.h"

namespace driver {

// Korean and an emoji (a surrogate pair) beside Chinese and "€", which fit.
inline const std::wstring kMixedText = L"中文 € 한국어 😀 end";
// As it is stored and opened again: each UTF-16 unit that did not fit is "?".
inline const std::wstring kMixedTextStored = L"中文 € ??? ?? end";
// The same as code page 936 bytes.
inline const std::string kMixedTextBytes = "\xD6\xD0\xCE\xC4 \x80 ??? ?? end";
inline const std::wstring kMixedTextWarning =
    L"Scribecrypt: 文档中有 4 个字符无法用 GBK 编码保存，将被存为“?”。\n"
    L"第一个是第 1 行第 6 列的“한”(U+D55C)。\n\n是否仍要保存?";

// After No: the window is open with the text as it was and still modified,
// and the first character that does not fit, "한", is selected.
inline ::testing::AssertionResult FirstUnfitSelected(const Editor& editor) {
    DWORD start = 0;
    DWORD end = 0;
    const auto selection = [&] {
        SendMessageW(editor.View(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return start == 5 && end == 6;
    };
    if (!WaitUntil(selection, kWindowTimeoutMs))
        return ::testing::AssertionFailure() << "selected [" << start << "," << end << ")";
    if (!IsWindow(editor.Main()) || !editor.Modified())
        return ::testing::AssertionFailure() << "the window is closed or its text unmodified";
    if (editor.CopiedText() != kMixedText)
        return ::testing::AssertionFailure() << "the view no longer holds the changed text";
    return ::testing::AssertionSuccess();
}

}  // namespace driver
