// The string class: loading from resources and windows, the writable buffer,
// and searches and case changes that respect double-byte characters.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/cstring.h"
#include "tests/framework/app_environment.h"

namespace {

using Casement::CString;

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

TEST(CStringResource, LongStringsLoadWhole) {
    CString ascii;
    ASSERT_TRUE(ascii.LoadResourceString(1));
    EXPECT_EQ(Repeat("0123456789", 30), ascii.GetString());

    // 600 bytes: the first attempt (256) comes back two bytes short of its
    // capacity, because a double-byte character that does not fit is left out.
    CString chinese;
    ASSERT_TRUE(chinese.LoadResourceString(2));
    EXPECT_EQ(Repeat("测试文本", 75), chinese.GetString());
}

TEST(CStringResource, MissingStringReportsFailureAndEmpties) {
    CString text("old");
    EXPECT_FALSE(text.LoadResourceString(999));
    EXPECT_TRUE(text.IsEmpty());
}

class WindowText : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_richEdit = LoadLibraryA("riched20.dll"); }
    static void TearDownTestSuite() { FreeLibrary(s_richEdit); }

    static std::string ThroughWindow(LPCSTR className, const std::string& text) {
        HWND window = CreateWindowExA(0, className, "", WS_OVERLAPPED | ES_MULTILINE, 0, 0, 200, 100, nullptr,
                                      nullptr, nullptr, nullptr);
        EXPECT_NE(nullptr, window) << className;
        SetWindowTextA(window, text.c_str());
        CString read("stale");
        read.ReadWindowText(window);
        DestroyWindow(window);
        return read.GetString();
    }

    static HMODULE s_richEdit;
};

HMODULE WindowText::s_richEdit = nullptr;

TEST_F(WindowText, ChineseRichEditTextArrivesWhole) {
    ASSERT_NE(nullptr, s_richEdit);
    const std::string text = "加密的笔记：第一行，第二行 with ASCII";
    EXPECT_EQ(text, ThroughWindow("RichEdit20A", text));
}

TEST_F(WindowText, PlainEditTextArrivesWholeAndEmptyTextEmpties) {
    const std::string text = "普通编辑框 Edit";
    EXPECT_EQ(text, ThroughWindow("Edit", text));
    EXPECT_EQ("", ThroughWindow("Edit", ""));
}

TEST(CStringBuffer, ReleaseTakesTheTextUpToTheFirstZero) {
    CString text("abc");
    char* buffer = text.GetBuffer(10);
    EXPECT_STREQ("abc", buffer);  // the buffer starts with the text
    strcpy(buffer, "wxyz");
    buffer[6] = 'q';              // beyond the terminator: not taken
    text.ReleaseBuffer();
    EXPECT_EQ("wxyz", text.GetString());

    // A shorter length cuts; the buffer is never smaller than the text.
    buffer = text.GetBuffer(0);
    EXPECT_STREQ("wxyz", buffer);
    text.ReleaseBuffer(2);
    EXPECT_EQ("wx", text.GetString());
}

TEST(CStringSearch, TrailBytesAreNeverFound) {
    // "乗" is 0x81 0x5C in code page 936: its trail byte is a backslash.
    const CString path("C:\\笔记\\乗乗");
    ASSERT_EQ('\\', path[path.GetLength() - 1]);
    EXPECT_EQ(7, path.ReverseFind('\\'));
    EXPECT_EQ(7, path.Find('\\', 3));
    EXPECT_EQ(-1, path.Find('\\', 8));
    EXPECT_EQ(-1, path.Find("\\", 8));
    EXPECT_EQ("乗乗", path.Mid(path.ReverseFind('\\') + 1).GetString());

    CString slashed(path);
    EXPECT_EQ(2, slashed.Replace('\\', '/'));
    EXPECT_EQ("C:/笔记/乗乗", slashed.GetString());
    EXPECT_EQ(1, slashed.Replace("笔记", "notes"));
    EXPECT_EQ("C:/notes/乗乗", slashed.GetString());
    EXPECT_EQ(2, slashed.Remove('/'));
    EXPECT_EQ("C:notes乗乗", slashed.GetString());
}

TEST(CStringCase, DoubleByteCharactersSurviveCaseChanges) {
    // "癮" is 0xB0 0x61: its trail byte is a lower-case "a".
    CString text("癮abc");
    EXPECT_EQ("癮ABC", text.MakeUpper().GetString());
    EXPECT_EQ("癮abc", text.MakeLower().GetString());
    EXPECT_EQ(0, text.CompareNoCase("癮ABC"));
}

TEST(CStringFormat, LongResultsAreWhole) {
    CString text;
    const std::string filler(1000, 'x');
    text.Format("%s-%d-%s", filler.c_str(), 42, "末");
    EXPECT_EQ(filler + "-42-末", text.GetString());
}

}  // namespace
