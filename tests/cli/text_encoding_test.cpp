// Conversions between UTF-8 and code page 936: known pairs both ways, round
// trips of every character code page 936 defines, and the exact position
// every kind of error names. The same rows run natively and under Wine.
#include "cli/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

// Names each row of a table after its name field, for ctest's output.
template <class Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

// Literals spelled as u8 or with escapes: the Windows builds compile plain
// narrow literals to code page 936.
struct KnownPair {
    const char* name;
    std::string utf8;
    std::string codePage936;
};

class KnownPairs : public testing::TestWithParam<KnownPair> {};

TEST_P(KnownPairs, ConvertBothWays) {
    EXPECT_EQ(Utf8ToCodePage936(GetParam().utf8), GetParam().codePage936);
    EXPECT_EQ(CodePage936ToUtf8(GetParam().codePage936), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    TextEncoding, KnownPairs,
    testing::Values(KnownPair{"Empty", "", ""},
                    KnownPair{"Ascii", "Note 1: keep it safe.", "Note 1: keep it safe."},
                    KnownPair{"LineEndsKept", "one\r\ntwo\nthree\r\n", "one\r\ntwo\nthree\r\n"},
                    KnownPair{"ZeroByte", "a\0b"s, "a\0b"s},
                    KnownPair{"Chinese", u8"中文笔记", "\xD6\xD0\xCE\xC4\xB1\xCA\xBC\xC7"},
                    KnownPair{"EuroSignIsOneByte", u8"5€", "5\x80"},
                    KnownPair{"MiddleDot", u8"·", "\xA1\xA4"}, KnownPair{"EmDash", u8"—", "\xA1\xAA"},
                    KnownPair{"HorizontalBar", u8"―", "\xA8\x44"},
                    KnownPair{"MixedLines", u8"密码：€5\r\n第二行",
                              "\xC3\xDC\xC2\xEB\xA3\xBA\x80"
                              "5\r\n\xB5\xDA\xB6\xFE\xD0\xD0"}),
    RowName<KnownPair>);

// Every two-byte sequence code page 936 defines, in one text, survives the
// trip to UTF-8 and back; the count guards against a table that defines
// almost nothing.
TEST(TextEncoding, EveryDefinedCharacterRoundTrips) {
    std::string defined;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
            try {
                CodePage936ToUtf8(character);
                defined += character;
            } catch (const EncodingError&) {
            }
        }
    }
    EXPECT_GT(defined.size() / 2, 21000u);
    EXPECT_EQ(Utf8ToCodePage936(CodePage936ToUtf8(defined)), defined);
}

// Long texts whose converted size differs most from the input's: euro signs
// triple in UTF-8, Chinese characters shrink to two bytes in code page 936.
TEST(TextEncoding, LongTextsConvertWhole) {
    const std::string euros(1 << 20, '\x80');
    std::string utf8Euros;
    for (std::size_t i = 0; i < euros.size(); ++i) {
        utf8Euros += u8"€";
    }
    EXPECT_EQ(CodePage936ToUtf8(euros), utf8Euros);

    std::string chinese;
    std::string chinese936;
    for (int i = 0; i < 1 << 18; ++i) {
        chinese += u8"中文\n";
        chinese936 += "\xD6\xD0\xCE\xC4\n";
    }
    EXPECT_EQ(Utf8ToCodePage936(chinese), chinese936);
    EXPECT_EQ(CodePage936ToUtf8(chinese936), chinese);
}

struct FailingText {
    const char* name;
    bool fromUtf8;
    std::string input;
    std::string message;
};

class FailingTexts : public testing::TestWithParam<FailingText> {};

TEST_P(FailingTexts, NameWhereTheyFail) {
    const FailingText& row = GetParam();
    try {
        row.fromUtf8 ? Utf8ToCodePage936(row.input) : CodePage936ToUtf8(row.input);
        ADD_FAILURE() << "converted without an error";
    } catch (const EncodingError& error) {
        EXPECT_EQ(std::string(error.what()), row.message);
    }
}

const std::string kInvalid = " is not valid UTF-8: ";

INSTANTIATE_TEST_SUITE_P(
    Utf8, FailingTexts,
    testing::Values(
        FailingText{"StrayContinuation", true, "ab\x80",
                    "character 3 (line 1, column 3)" + kInvalid + "byte 0x80 continues no character"},
        FailingText{"UnusedByte", true, "\xFF",
                    "character 1 (line 1, column 1)" + kInvalid + "byte 0xFF never occurs in UTF-8"},
        FailingText{"TruncatedAtEnd", true, "x\xE4\xB8",
                    "character 2 (line 1, column 2)" + kInvalid + "the text ends inside the character"},
        FailingText{"Incomplete", true,
                    u8"中"
                    "\xE4\xB8"
                    "x",
                    "character 2 (line 1, column 2)" + kInvalid +
                        "byte 0xE4 starts a character whose bytes are missing"},
        FailingText{"OverlongTwoBytes", true, "\xC0\xAF",
                    "character 1 (line 1, column 1)" + kInvalid + "overlong form of U+002F"},
        FailingText{"OverlongFourBytes", true, "\xF0\x82\x82\xAC",
                    "character 1 (line 1, column 1)" + kInvalid + "overlong form of U+20AC"},
        FailingText{"Surrogate", true, "a\xED\xA0\x80",
                    "character 2 (line 1, column 2)" + kInvalid + "U+D800 is a UTF-16 surrogate"},
        FailingText{"BeyondUnicode", true, "\xF4\x90\x80\x80",
                    "character 1 (line 1, column 1)" + kInvalid + "U+110000 is beyond U+10FFFF"},
        FailingText{"InvalidOnLaterLine", true,
                    u8"第一行\n中文"
                    "\xFF",
                    "character 7 (line 2, column 3)" + kInvalid + "byte 0xFF never occurs in UTF-8"},
        FailingText{"EmojiOnLineTwo", true, u8"第一行\n中文😀",
                    "character 7 (line 2, column 3), U+1F600, cannot be stored in code page 936"},
        FailingText{"HangulAfterCrLf", true, u8"a\r\nb가",
                    "character 5 (line 2, column 2), U+AC00, cannot be stored in code page 936"},
        // glibc drops tag characters without a word; every build refuses them.
        FailingText{"TagCharacter", true, "pass\xF3\xA0\x80\x81word",
                    "character 5 (line 1, column 5), U+E0001, cannot be stored in code page 936"},
        FailingText{"LastTagCharacter", true, u8"中\xF3\xA0\x81\xBF",
                    "character 2 (line 1, column 2), U+E007F, cannot be stored in code page 936"}),
    RowName<FailingText>);

INSTANTIATE_TEST_SUITE_P(
    CodePage936, FailingTexts,
    testing::Values(FailingText{"UnusedByte", false, "ab\xFF", "byte offset 2: 0xFF is not code page 936"},
                    FailingText{"LeadByteAtEnd", false, "\xD6\xD0\xB0",
                                "byte offset 2: the text ends inside a two-byte character, after 0xB0"},
                    FailingText{"BadSecondByte", false, "\xB0\x20",
                                "byte offset 0: 0xB0 0x20 is not a code page 936 character"}),
    RowName<FailingText>);

#ifndef _WIN32
// Only glibc's table leaves well-shaped pairs undefined; Windows maps every
// pair outside the standard's characters into the Private Use Area.
INSTANTIATE_TEST_SUITE_P(GlibcCodePage936, FailingTexts,
                         testing::Values(FailingText{
                             "UndefinedPair", false, "ab\xD6\xD0\xD7\xFA",
                             "byte offset 4: 0xD7 0xFA is not a code page 936 character"}),
                         RowName<FailingText>);
#endif

}  // namespace
