// What both platforms' conversions share: strict checks of UTF-8 and of the
// shape of code page 936 text, and the messages that name where a text fails.
// The platform converters run these checks first, so an error names the same
// position natively and on Windows.
#pragma once

#include <cstddef>
#include <string_view>

// One UTF-8 character decoded without any leniency.
enum class Utf8Fault {
    None,
    StrayContinuation,  // 0x80..0xBF where a character should start
    UnusedByte,         // 0xF8..0xFF, which no UTF-8 character starts with
    TruncatedAtEnd,     // the text ends inside a character
    Incomplete,         // a lead byte without all its continuation bytes
    Overlong,           // a longer form than the code point needs
    Surrogate,          // U+D800..U+DFFF, reserved for UTF-16
    BeyondUnicode,      // above U+10FFFF
};

struct Utf8Character {
    char32_t codePoint;       // the decoded value, also for the last three faults
    std::size_t lengthBytes;  // bytes the character (or the fault) covers
    Utf8Fault fault;
};

// Decodes the character starting at offset, which must be inside utf8.
Utf8Character DecodeUtf8Character(std::string_view utf8, std::size_t offset);

// Throws EncodingError at the first character that is not valid UTF-8.
void CheckUtf8(std::string_view utf8);

// Throws EncodingError for the valid UTF-8 character at offset, which code
// page 936 cannot hold.
[[noreturn]] void ThrowNotInCodePage936(std::string_view utf8, std::size_t offset);

// Bytes the code page 936 character starting with lead takes: 1 or 2, or 0
// when no character starts with it.
std::size_t CodePage936CharacterLength(unsigned char lead);

// Throws EncodingError at the first byte sequence that cannot be a code page
// 936 character: a byte no character starts with, a lead byte at the end, or
// a lead byte followed by a byte that cannot be a second byte.
void CheckCodePage936Shape(std::string_view codePage936);

// Throws EncodingError for the well-shaped character at offset that code page
// 936 does not define.
[[noreturn]] void ThrowUndefinedInCodePage936(std::string_view codePage936, std::size_t offset);
