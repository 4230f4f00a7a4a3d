// Conversion between UTF-8, the encoding of the command line's text files and
// terminal, and code page 936, the bytes a note holds. Nothing is ever
// replaced by a substitute character: anything that does not convert exactly
// is an error that says where it is.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

#include "crypto/note_format.h"

class EncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The code page 936 form of a UTF-8 text. Throws EncodingError naming the
// character (1-based, with its line and column) and its code point when the
// input is not valid UTF-8 or holds a character code page 936 cannot hold.
std::string Utf8ToCodePage936(std::string_view utf8);

// The UTF-8 form of code page 936 bytes. Throws EncodingError naming the byte
// offset when the bytes are not valid code page 936.
std::string CodePage936ToUtf8(std::string_view codePage936);

// A UTF-8 text in the encoding a note format stores, and back, with the
// errors of the conversions above.
std::string Utf8ToNoteEncoding(TextEncoding encoding, std::string_view utf8);
std::string NoteEncodingToUtf8(TextEncoding encoding, std::string_view stored);
