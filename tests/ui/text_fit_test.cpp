// Which characters of a UTF-16 text code page 936 cannot hold, and where the
// first of them is, on the system's own code page 936 tables; and that
// UTF-8 holds them all but a surrogate without its partner.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "ui/text_fit.h"

namespace {

struct FitCase {
    const char* name;
    std::wstring text;
    std::size_t count;
    std::wstring first;
    std::size_t offset;
    std::size_t line;
    std::size_t column;
    std::size_t utf8Count = 0;
};

void PrintTo(const FitCase& fit, std::ostream* out) { *out << fit.name; }

class TextFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(TextFit, CountsTheCharactersAndPlacesTheFirst) {
    const FitCase& expected = GetParam();
    const UnfitCharacters unfit = FindUnfitCharacters(TextEncoding::LegacyCodePage, expected.text);
    EXPECT_EQ(expected.count, unfit.count);
    EXPECT_EQ(expected.first, unfit.first);
    EXPECT_EQ(expected.utf8Count, FindUnfitCharacters(TextEncoding::Utf8, expected.text).count);
    if (expected.count == 0)
        return;
    EXPECT_EQ(expected.offset, unfit.firstOffset);
    EXPECT_EQ(expected.line, unfit.line);
    EXPECT_EQ(expected.column, unfit.column);
}

// "€" is 0x80 in code page 936 on Windows and on Wine. "²" is not in code
// page 936; without WC_NO_BEST_FIT_CHARS Wine writes it as "2". "\xD800" is
// a surrogate without its partner.
INSTANTIATE_TEST_SUITE_P(
    Cases, TextFit,
    ::testing::Values(
        FitCase{"Empty", L"", 0, L"", 0, 0, 0},
        FitCase{"ChineseEuroAndAsciiFit", L"中文，标点。€ 100 ?\r\n第二行\r第三行", 0, L"", 0, 0, 0},
        FitCase{"KoreanAndAnEmoji", L"中文 € 한국어 😀 end", 4, L"한", 5, 1, 6},
        FitCase{"EmojiIsOneCharacter", L"ab\r\ncd😀ef😀g", 2, L"😀", 6, 2, 3},
        FitCase{"ColumnsCountAPairOnce", L"x😀y한", 2, L"😀", 1, 1, 2},
        FitCase{"LookAlikeIsReported", L"x² = 4", 1, L"²", 1, 1, 2},
        FitCase{"LoneSurrogate", L"ab\xD800" L"c", 1, L"\xD800", 2, 1, 3, 1},
        FitCase{"CrAndCrLfEachEndOneLine", L"a\rb\r\nc\n\r\n한국", 2, L"한", 9, 5, 1}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

}  // namespace
