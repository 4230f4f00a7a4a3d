// Finding and replacing in a text: direction and wrapping, case and whole
// words, Chinese text, and replacing every match at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui/text_search.h"

namespace {

constexpr SearchOptions kDown{false, false, true};
constexpr SearchOptions kUp{false, false, false};

std::optional<FoundMatch> Find(std::wstring_view text, std::wstring_view term, const SearchOptions& options,
                               TextRange selection) {
    return TextSearch(text, term, options).FindFrom(selection);
}

void ExpectFound(const std::optional<FoundMatch>& found, std::size_t start, bool wrapped) {
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(start, found->range.start);
    EXPECT_EQ(wrapped, found->wrapped);
}

// A code page 936 text as the view holds it.
std::wstring FromCodePage936(const std::string& bytes) {
    std::wstring wide(bytes.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()),
                                                             &wide[0], static_cast<int>(wide.size()))));
    return wide;
}

TEST(TextSearch, GoesPastTheSelectionEitherWayAndRoundTheEndOnce) {
    const std::wstring text = L"one two one two";
    ExpectFound(Find(text, L"two", kDown, {0, 0}), 4, false);
    ExpectFound(Find(text, L"two", kDown, {4, 7}), 12, false);
    ExpectFound(Find(text, L"two", kDown, {12, 15}), 4, true);
    ExpectFound(Find(text, L"two", kUp, {12, 15}), 4, false);
    ExpectFound(Find(text, L"two", kUp, {4, 7}), 12, true);
    // Upwards a match must end before the selection starts.
    ExpectFound(Find(text, L"one", kUp, {9, 9}), 0, false);
    // The only match is found again after going round.
    ExpectFound(Find(L"a needle", L"needle", kDown, {2, 8}), 2, true);
    EXPECT_FALSE(Find(text, L"three", kDown, {0, 0}));
    EXPECT_FALSE(Find(text, L"", kDown, {0, 0}));
}

TEST(TextSearch, MatchCaseAndWholeWordNarrowTheMatches) {
    const std::wstring text = L"Word words xx_word word2 word, WORD";
    ExpectFound(Find(text, L"word", kDown, {0, 0}), 0, false);
    ExpectFound(Find(text, L"word", {true, false, true}, {0, 0}), 5, false);
    // Letters, digits and '_' continue a word; punctuation and the end do not.
    ExpectFound(Find(text, L"word", {false, true, true}, {0, 4}), 25, false);
    ExpectFound(Find(text, L"word", {true, true, true}, {26, 26}), 25, true);
    ExpectFound(Find(text, L"word", {false, true, false}, {35, 35}), 31, false);
    EXPECT_FALSE(Find(text, L"WORDS", {true, false, true}, {0, 0}));

    // Chinese characters are word characters; Chinese punctuation is not.
    ExpectFound(Find(L"你好世界，你好", L"你好", {false, true, true}, {0, 0}), 5, false);
    EXPECT_FALSE(Find(L"你好世界", L"你好", {false, true, true}, {0, 0}));

    const TextSearch search(text, L"word", {false, true, true});
    EXPECT_TRUE(search.IsMatch({31, 35}));
    EXPECT_FALSE(search.IsMatch({5, 9}));  // "word" of "words"
    EXPECT_FALSE(search.IsMatch({31, 34}));
}

TEST(TextSearch, ChineseTermsMatchWholeCharactersOnly) {
    // "丂" is 81 40 in code page 936: its trail byte is '@'. "您好" is C4 FA
    // BA C3, whose middle bytes FA BA are no character of their own.
    const std::wstring text = FromCodePage936("ab\x81\x40\xC4\xFA\xBA\xC3 @");
    ExpectFound(Find(text, FromCodePage936("\xC4\xFA\xBA\xC3"), kDown, {0, 0}), 3, false);
    ExpectFound(Find(text, L"@", kDown, {0, 0}), 6, false);
    EXPECT_FALSE(Find(text, FromCodePage936("\xFA\xBA"), kDown, {0, 0}));
}

TEST(ReplaceEveryMatch, ReplacesNonOverlappingMatchesWithinOneSpan) {
    const Replacement change = ReplaceEveryMatch(L"xx cat cat, Cat catalog", L"cat", L"dog", {false, true, true});
    EXPECT_EQ(3u, change.count);
    EXPECT_EQ((TextRange{3, 15}), change.replaced);
    EXPECT_EQ(L"dog dog, dog", change.text);

    // A match that overlaps the previous one is no match; a replacement that
    // contains the term is not searched again.
    EXPECT_EQ(1u, ReplaceEveryMatch(L"aaa", L"aa", L"b", kDown).count);
    const Replacement grown = ReplaceEveryMatch(L"a-a", L"a", L"aa", kDown);
    EXPECT_EQ(2u, grown.count);
    EXPECT_EQ(L"aa-aa", grown.text);

    EXPECT_EQ(0u, ReplaceEveryMatch(L"none here", L"cat", L"dog", kDown).count);
}

}  // namespace
