// Run where the system's ANSI code page is 1252: the note's text converts in
// the code page the note is stored in, the program's window texts in the
// system's, and the two are told apart.
#include <gtest/gtest.h>

#include <richedit.h>

#include "image/paths.h"
#include "ui/uitext.h"
#include "ui/view_fill.h"

namespace {

// "您好" in code page 936; in code page 1252 the same bytes are "Äú°Ã".
constexpr char kHello936[] = "\xC4\xFA\xBA\xC3";
constexpr wchar_t kHello[] = L"\u60A8\u597D";

TEST(CodePages, TheNoteKeepsItsOwnCodePageWhateverTheSystemUses) {
    ASSERT_EQ(GetACP(), 1252u) << "the test needs a system code page other than the note's";
    ASSERT_NE(nullptr, LoadLibraryA("riched20.dll"));
    HWND view = CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, view);

    // A note with a Chinese character where a piece boundary could fall.
    const std::string note = std::string("a") + kHello936 + "\r\n" + kHello936;
    ASSERT_TRUE(FillView(view, note, TextEncoding::LegacyCodePage));
    EXPECT_EQ(std::wstring(WideViewText(view).c_str()), std::wstring(L"a") + kHello + L"\r" + kHello);
    EXPECT_EQ(ViewCharacters(note, TextEncoding::LegacyCodePage), 6u);
    EXPECT_EQ(StoredForm(TextEncoding::LegacyCodePage, kHello).View(), kHello936);
    DestroyWindow(view);

    // The program's own texts are the system's.
    EXPECT_EQ(FromAnsi(kHello936), L"\u00C4\u00FA\u00BA\u00C3");
}

}  // namespace
