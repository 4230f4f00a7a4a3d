#include <windows.h>

#include <climits>

#include "cli/text_encoding.h"
#include "cli/wide_text.h"

namespace {

int CheckedLength(std::size_t length) {
    if (length > INT_MAX / 3) {
        throw EncodingError("the text is too long to convert");
    }
    return static_cast<int>(length);
}

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    // A UTF-8 byte never becomes more than one UTF-16 unit.
    std::wstring wide(utf8.size(), L'\0');
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), CheckedLength(utf8.size()), &wide[0],
                            static_cast<int>(wide.size()));
    if (length == 0) {
        throw EncodingError("the text is not valid UTF-8");
    }
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

std::size_t WriteUtf8OfWide(std::wstring_view wide, char* out) {
    if (wide.empty()) {
        return 0;
    }
    const int length = CheckedLength(wide.size());
    const int written = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, out,
                                            length * 3, nullptr, nullptr);
    if (written == 0) {
        throw EncodingError("the text holds an unpaired UTF-16 surrogate");
    }
    return static_cast<std::size_t>(written);
}

std::string Utf8FromWide(std::wstring_view wide) {
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize(WriteUtf8OfWide(wide, &utf8[0]));
    return utf8;
}
