#include "ui/text_search.h"

#include <windows.h>

namespace {

// The system's own case mapping, the same on every Windows and on Wine; it
// maps each unit to one unit, so positions stay as they are.
WipedWideString Folded(std::wstring_view text) {
    WipedWideString folded(text);
    if (!folded.empty())
        CharLowerBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

bool IsWordCharacter(wchar_t c) { return c == L'_' || IsCharAlphaNumericW(c); }

}  // namespace

TextSearch::TextSearch(std::wstring_view text, std::wstring_view term, const SearchOptions& options)
    : m_text(text), m_options(options), m_haystack(text), m_term(term) {
    if (!options.matchCase) {
        m_foldedText = Folded(text);
        m_foldedTerm = Folded(term);
        m_haystack = m_foldedText;
        m_term = m_foldedTerm;
    }
}

bool TextSearch::StandsAlone(std::size_t start) const {
    const std::size_t end = start + m_term.size();
    return (start == 0 || !IsWordCharacter(m_text[start - 1])) && (end == m_text.size() || !IsWordCharacter(m_text[end]));
}

bool TextSearch::IsMatch(TextRange range) const {
    return !m_term.empty() && range.end == range.start + m_term.size() && range.end <= m_haystack.size() &&
           m_haystack.compare(range.start, m_term.size(), m_term) == 0 && (!m_options.wholeWord || StandsAlone(range.start));
}

std::optional<std::size_t> TextSearch::FindForward(std::size_t from) const {
    if (m_term.empty())
        return std::nullopt;
    for (std::size_t at = m_haystack.find(m_term, from); at != std::wstring_view::npos;
         at = m_haystack.find(m_term, at + 1)) {
        if (!m_options.wholeWord || StandsAlone(at))
            return at;
    }
    return std::nullopt;
}

std::optional<std::size_t> TextSearch::FindBackward(std::size_t lastStart) const {
    if (m_term.empty())
        return std::nullopt;
    for (std::size_t at = m_haystack.rfind(m_term, lastStart); at != std::wstring_view::npos;
         at = at == 0 ? std::wstring_view::npos : m_haystack.rfind(m_term, at - 1)) {
        if (!m_options.wholeWord || StandsAlone(at))
            return at;
    }
    return std::nullopt;
}

std::optional<FoundMatch> TextSearch::FindFrom(TextRange selection) const {
    std::optional<std::size_t> start;
    bool wrapped = false;
    if (m_options.down) {
        start = FindForward(selection.end);
        if (!start) {
            wrapped = true;
            start = FindForward(0);
        }
    } else {
        if (selection.start >= m_term.size())
            start = FindBackward(selection.start - m_term.size());
        if (!start) {
            wrapped = true;
            start = FindBackward(std::wstring_view::npos);
        }
    }
    if (!start)
        return std::nullopt;
    return FoundMatch{{*start, *start + m_term.size()}, wrapped};
}

std::vector<std::size_t> TextSearch::AllMatches() const {
    std::vector<std::size_t> starts;
    for (std::optional<std::size_t> at = FindForward(0); at; at = FindForward(*at + m_term.size()))
        starts.push_back(*at);
    return starts;
}

Replacement ReplaceEveryMatch(std::wstring_view text, std::wstring_view term, std::wstring_view replacement,
                              const SearchOptions& options) {
    const std::vector<std::size_t> starts = TextSearch(text, term, options).AllMatches();
    Replacement result;
    if (starts.empty())
        return result;
    result.replaced = {starts.front(), starts.back() + term.size()};
    result.count = starts.size();
    std::size_t copiedTo = starts.front();
    for (const std::size_t start : starts) {
        result.text.append(text.substr(copiedTo, start - copiedTo));
        result.text.append(replacement);
        copiedTo = start + term.size();
    }
    return result;
}
