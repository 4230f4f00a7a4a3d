// Finding a term in the view's text. The search runs on the text as UTF-16,
// where every character of code page 936 is one unit: a match can neither
// start nor end inside a double-byte character, an ASCII term never matches
// the trail byte of one, and positions are the view's character positions.
// The rules are the program's own rather than the rich edit control's, whose
// idea of a whole word in Chinese text differs between Windows and Wine.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/wipe.h"

struct SearchOptions {
    bool matchCase = false;
    // The characters on both sides of a match are not word characters
    // (letters, digits, including Chinese characters, and '_').
    bool wholeWord = false;
    bool down = true;
};

// Characters [start, end) of a text.
struct TextRange {
    std::size_t start = 0;
    std::size_t end = 0;
    bool operator==(const TextRange& other) const { return start == other.start && end == other.end; }
};

struct FoundMatch {
    TextRange range;
    // The search went round the end of the text (or its start, upwards).
    bool wrapped = false;
};

class TextSearch {
public:
    // text and term must outlive the search; an empty term finds nothing.
    TextSearch(std::wstring_view text, std::wstring_view term, const SearchOptions& options);
    // It looks into its own folded copies.
    TextSearch(const TextSearch&) = delete;
    TextSearch& operator=(const TextSearch&) = delete;

    // The first match after the selection (downwards) or the last one
    // before it (upwards); when there is none that side, the search goes
    // round once and may find the selection itself again.
    std::optional<FoundMatch> FindFrom(TextRange selection) const;
    bool IsMatch(TextRange range) const;
    // The start of every match, left to right, none overlapping another.
    std::vector<std::size_t> AllMatches() const;
    std::size_t TermLength() const { return m_term.size(); }

private:
    // The first match starting at or after from.
    std::optional<std::size_t> FindForward(std::size_t from) const;
    // The last match starting at or before lastStart.
    std::optional<std::size_t> FindBackward(std::size_t lastStart) const;
    bool StandsAlone(std::size_t start) const;

    std::wstring_view m_text;
    SearchOptions m_options;
    // Text and term as compared: folded to lower case unless case matters.
    WipedWideString m_foldedText;
    WipedWideString m_foldedTerm;
    std::wstring_view m_haystack;
    std::wstring_view m_term;
};

// What replacing every match changes: the span from the first match to the
// end of the last and the text it becomes, so that the view makes the whole
// change as one step.
struct Replacement {
    TextRange replaced;
    WipedWideString text;
    std::size_t count = 0;
};
Replacement ReplaceEveryMatch(std::wstring_view text, std::wstring_view term, std::wstring_view replacement,
                              const SearchOptions& options);
