// Filling a real rich edit control with a note in pieces.
#include <gtest/gtest.h>

#include <richedit.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/view_fill.h"

namespace {

constexpr TextEncoding kLegacy = TextEncoding::LegacyCodePage;

TEST(NextPiece, EndsOnACharacterBoundaryAndKeepsCrLfTogether) {
    // "\xC4\xFA" is one character of code page 936.
    EXPECT_EQ("ab", NextPiece("ab\xC4\xFA", 3, kLegacy));
    EXPECT_EQ("ab\xC4\xFA", NextPiece("ab\xC4\xFA" "c", 4, kLegacy));
    EXPECT_EQ("a", NextPiece("a\r\nb", 2, kLegacy));
    EXPECT_EQ("a\r\n", NextPiece("a\r\nb", 3, kLegacy));
    EXPECT_EQ("\xC4\xFA", NextPiece("\xC4\xFA", 1, kLegacy));
    // A lead byte at the very end is a character of its own.
    EXPECT_EQ("a\xC4", NextPiece("a\xC4", 8, kLegacy));

    // UTF-8: "\xED\x95\x9C" is one Korean letter, "\xF0\x9F\x98\x80" one emoji.
    constexpr TextEncoding kUtf8 = TextEncoding::Utf8;
    EXPECT_EQ("a", NextPiece("a\xED\x95\x9C", 3, kUtf8));
    EXPECT_EQ("a\xED\x95\x9C", NextPiece("a\xED\x95\x9C" "b", 4, kUtf8));
    EXPECT_EQ("a", NextPiece("a\xF0\x9F\x98\x80", 4, kUtf8));
    EXPECT_EQ("\xF0\x9F\x98\x80", NextPiece("\xF0\x9F\x98\x80" "b", 2, kUtf8));
    // A sequence cut short ends where its continuation bytes end.
    EXPECT_EQ("\xED\x95", NextPiece("\xED\x95" "b", 2, kUtf8));
}

class ViewFill : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLibraryA("riched20.dll"));
        m_view = CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(nullptr, m_view);
        SendMessageA(m_view, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
    }
    void TearDown() override { DestroyWindow(m_view); }

    std::string Text() const {
        std::string text(2 * GetWindowTextLengthA(m_view) + 1, '\0');
        text.resize(GetWindowTextA(m_view, &text[0], static_cast<int>(text.size())));
        return text;
    }

    HWND m_view = nullptr;
};

// Pieces of a few KiB meet Chinese characters and line breaks at every
// offset, and every kind of line break comes back as "\r\n".
TEST_F(ViewFill, TheViewHoldsTheWholeTextWithNothingToUndo) {
    std::string text;
    std::string expected;
    for (int line = 0; line < 2000; ++line) {
        const std::string words = std::to_string(line) + " \xC4\xFA\xBA\xC3 x";
        const char* breaks[] = {"\r\n", "\n", "\r"};
        text += words + breaks[line % 3];
        expected += words + "\r\n";
    }
    SetWindowTextA(m_view, "old");
    SendMessageA(m_view, EM_SETSEL, 1, 2);
    std::vector<std::size_t> progress;
    ASSERT_TRUE(FillView(m_view, text, kLegacy, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(text.size(), total);
        progress.push_back(done);
    }));
    ASSERT_LT(2u, progress.size());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(text.size(), progress.back());
    EXPECT_TRUE(expected == Text()) << "the view's text differs from the note";
    EXPECT_FALSE(SendMessageA(m_view, EM_CANUNDO, 0, 0));
    DWORD start = 1;
    DWORD end = 1;
    SendMessageA(m_view, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(0u, end);

    ASSERT_TRUE(FillView(m_view, "", kLegacy));
    EXPECT_EQ("", Text());
}

// A UTF-8 note whose pieces meet Korean letters and emoji at every offset
// comes back whole, with no character lost to a cut.
TEST_F(ViewFill, AUtf8NoteKeepsEveryCharacter) {
    std::string text;
    std::wstring expected;
    for (int line = 0; line < 1500; ++line) {
        text += std::to_string(line) + u8" 한국어 😀\r\n";
        expected += std::to_wstring(line) + L" 한국어 😀\r";
    }
    ASSERT_TRUE(FillView(m_view, text, TextEncoding::Utf8));
    std::wstring held(expected.size() + 16, L'\0');
    GETTEXTEX request = {static_cast<DWORD>(held.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    held.resize(static_cast<std::size_t>(
        SendMessageW(m_view, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(&held[0]))));
    EXPECT_TRUE(expected == held) << "the view's text differs from the note";
}

// A text beyond the view's limit is refused before the view is touched; one
// at the limit, its line breaks counting one character each, goes in.
TEST_F(ViewFill, ATextBeyondTheLimitLeavesTheViewAsItWas) {
    SendMessageA(m_view, EM_EXLIMITTEXT, 0, 8);
    SetWindowTextA(m_view, "old");
    EXPECT_FALSE(FillView(m_view, "\xC4\xFA" "abc\r\nde\nf", kLegacy));
    EXPECT_EQ("old", Text());
    EXPECT_TRUE(FillView(m_view, "\xC4\xFA" "abc\r\nde\n", kLegacy));
    EXPECT_EQ("\xC4\xFA" "abc\r\nde\r\n", Text());
}

// A control that runs out of room keeps part of the text. Wine's grows its
// limit to whatever it is given, so the loss is made here: after the real
// stream the last characters are taken out again.
WNDPROC g_richEditProcedure = nullptr;

LRESULT CALLBACK LosingTheEnd(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcA(g_richEditProcedure, window, message, wParam, lParam);
    if (message == EM_STREAMIN) {
        const LRESULT length = GetWindowTextLengthA(window);
        CallWindowProcA(g_richEditProcedure, window, EM_SETSEL, length - 3, length);
        CallWindowProcA(g_richEditProcedure, window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    }
    return result;
}

TEST_F(ViewFill, AViewThatKeepsLessThanTheTextIsReported) {
    g_richEditProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(m_view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LosingTheEnd)));
    EXPECT_FALSE(FillView(m_view, std::string(5000, 'x') + "\r\nend", kLegacy));
}

// What the progress report throws (a status bar that cannot be written, say)
// must not unwind through the control's code: the fill stops, the control
// returns, and the exception reaches the caller with redrawing back on.
TEST_F(ViewFill, AThrowingProgressReportEndsTheFillAndReachesTheCaller) {
    ShowWindow(m_view, SW_SHOWNOACTIVATE);
    const std::string text(200000, 'x');
    int reports = 0;
    EXPECT_THROW(FillView(m_view, text, kLegacy,
                          [&](std::size_t, std::size_t) {
                              ++reports;
                              throw std::runtime_error("status bar gone");
                          }),
                 std::runtime_error);
    EXPECT_EQ(1, reports);
    EXPECT_GT(text.size(), Text().size());
    EXPECT_TRUE(GetWindowLongA(m_view, GWL_STYLE) & WS_VISIBLE) << "redrawing was left off";
    SetWindowTextA(m_view, "after");
    EXPECT_EQ("after", Text());
}

}  // namespace
