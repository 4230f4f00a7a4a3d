// The conversions on Windows, through the system's code page 936 and UTF-8
// tables. Substitution is ruled out by WC_NO_BEST_FIT_CHARS and the used
// default flag one way and MB_ERR_INVALID_CHARS the other. The system calls
// say only that a text failed, not where, so finding the failing character
// converts one character at a time, on that path only.
#include <windows.h>

#include <climits>

#include "cli/text_encoding.h"
#include "cli/text_encoding_checks.h"
#include "cli/wide_text.h"
#include "crypto/note_format.h"
#include "crypto/wipe.h"

namespace {

// Converts UTF-16 to code page 936; false if any unit has no exact form.
bool WideToCodePage936(const wchar_t* wide, int units, char* out, int capacity, int& written) {
    BOOL usedDefault = FALSE;
    written = WideCharToMultiByte(kLegacyNoteCodePage, WC_NO_BEST_FIT_CHARS, wide, units, out, capacity, nullptr,
                                  &usedDefault);
    return written != 0 && !usedDefault;
}

[[noreturn]] void ThrowAtFirstUnstorable(std::string_view utf8) {
    for (std::size_t offset = 0; offset < utf8.size();) {
        const Utf8Character character = DecodeUtf8Character(utf8, offset);
        wchar_t units[2];
        int unitCount = 1;
        if (character.codePoint >= 0x10000) {
            const char32_t above = character.codePoint - 0x10000;
            units[0] = static_cast<wchar_t>(0xD800 + (above >> 10));
            units[1] = static_cast<wchar_t>(0xDC00 + (above & 0x3FF));
            unitCount = 2;
        } else {
            units[0] = static_cast<wchar_t>(character.codePoint);
        }
        char bytes[4];
        int written = 0;
        if (!WideToCodePage936(units, unitCount, bytes, sizeof bytes, written)) {
            ThrowNotInCodePage936(utf8, offset);
        }
        offset += character.lengthBytes;
    }
    throw EncodingError("the text cannot be stored in code page 936");
}

[[noreturn]] void ThrowAtFirstUndefined(std::string_view codePage936) {
    for (std::size_t offset = 0; offset < codePage936.size();) {
        const std::size_t length =
            CodePage936CharacterLength(static_cast<unsigned char>(codePage936[offset]));
        wchar_t units[2];
        if (MultiByteToWideChar(kLegacyNoteCodePage, MB_ERR_INVALID_CHARS, codePage936.data() + offset,
                                static_cast<int>(length), units, 2) == 0) {
            ThrowUndefinedInCodePage936(codePage936, offset);
        }
        offset += length;
    }
    throw EncodingError("the text is not valid code page 936");
}

}  // namespace

std::string Utf8ToCodePage936(std::string_view utf8) {
    CheckUtf8(utf8);
    if (utf8.empty()) {
        return {};
    }
    std::wstring wide = WideFromUtf8(utf8);
    // The note's text passes through UTF-16 on its way; that copy is wiped.
    const WipeOnExit wipeWide(&wide[0], wide.size() * sizeof(wchar_t));
    // A UTF-16 unit never takes more than two bytes in code page 936.
    std::string codePage936(wide.size() * 2, '\0');
    int written = 0;
    const bool exact = WideToCodePage936(wide.data(), static_cast<int>(wide.size()), &codePage936[0],
                                         static_cast<int>(codePage936.size()), written);
    if (!exact) {
        ThrowAtFirstUnstorable(utf8);
    }
    codePage936.resize(static_cast<std::size_t>(written));
    return codePage936;
}

std::string CodePage936ToUtf8(std::string_view codePage936) {
    CheckCodePage936Shape(codePage936);
    if (codePage936.empty()) {
        return {};
    }
    if (codePage936.size() > static_cast<std::size_t>(INT_MAX / 3)) {
        throw EncodingError("the text is too long to convert");
    }
    // A code page 936 byte never becomes more than one UTF-16 unit.
    std::wstring wide(codePage936.size(), L'\0');
    const WipeOnExit wipeWide(&wide[0], wide.size() * sizeof(wchar_t));
    const int units =
        MultiByteToWideChar(kLegacyNoteCodePage, MB_ERR_INVALID_CHARS, codePage936.data(),
                            static_cast<int>(codePage936.size()), &wide[0], static_cast<int>(wide.size()));
    if (units == 0) {
        ThrowAtFirstUndefined(codePage936);
    }
    wide.resize(static_cast<std::size_t>(units));
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WriteUtf8OfWide(wide, &utf8[0]));
    return utf8;
}
