#include "ui/text_fit.h"

#include <windows.h>

#include "ui/note_encoding.h"

namespace {

// True when one character's units convert to the code page exactly: without
// the default character and, as WC_NO_BEST_FIT_CHARS asks, without a
// look-alike. It is converted for real, into room for two characters of two
// bytes each, so the flag is the conversion's own.
bool FitsCodePage(UINT codePage, std::wstring_view character) {
    char bytes[4];
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, character.data(),
                                           static_cast<int>(character.size()), bytes, sizeof bytes, nullptr,
                                           &usedDefault);
    return length > 0 && !usedDefault;
}

bool Fits(TextEncoding encoding, std::wstring_view character) {
    // UTF-8 holds every character; a surrogate without its partner is none.
    if (encoding == TextEncoding::Utf8)
        return !(character.size() == 1 && (IS_HIGH_SURROGATE(character[0]) || IS_LOW_SURROGATE(character[0])));
    return FitsCodePage(CodePageOf(encoding), character);
}

bool IsLineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

// The UTF-16 units of the character starting at offset.
std::size_t UnitsAt(std::wstring_view text, std::size_t offset) {
    const wchar_t c = text[offset];
    if (c == L'\r' && offset + 1 < text.size() && text[offset + 1] == L'\n')
        return 2;
    if (IS_HIGH_SURROGATE(c) && offset + 1 < text.size() && IS_LOW_SURROGATE(text[offset + 1]))
        return 2;
    return 1;
}

}  // namespace

UnfitCharacters FindUnfitCharacters(TextEncoding encoding, std::wstring_view text) {
    UnfitCharacters unfit;
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t offset = 0; offset < text.size();) {
        const std::size_t units = UnitsAt(text, offset);
        const std::wstring_view character = text.substr(offset, units);
        if (IsLineEnd(character[0])) {
            ++line;
            column = 1;
        } else {
            // ASCII is the same in every encoding; this saves a call for most
            // characters.
            if (character[0] >= 0x80 && !Fits(encoding, character) && unfit.count++ == 0) {
                unfit.first = std::wstring(character);
                unfit.firstOffset = offset;
                unfit.line = line;
                unfit.column = column;
            }
            ++column;
        }
        offset += units;
    }
    return unfit;
}
