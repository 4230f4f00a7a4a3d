// UTF-16, the text of Windows' console and file system, to and from UTF-8.
// Windows only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The UTF-16 form of a UTF-8 text. Throws EncodingError when utf8 is not valid.
std::wstring WideFromUtf8(std::string_view utf8);

// Writes the UTF-8 form of wide to out, which must hold 3 bytes per UTF-16
// unit, and returns its length. Throws EncodingError on an unpaired surrogate.
std::size_t WriteUtf8OfWide(std::wstring_view wide, char* out);
// The UTF-8 form of wide. Throws EncodingError on an unpaired surrogate.
std::string Utf8FromWide(std::wstring_view wide);
