#include "cli/text_encoding_checks.h"

#include <cstdio>
#include <string>

#include "cli/text_encoding.h"

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

std::string CodePointName(char32_t codePoint) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04lX", static_cast<unsigned long>(codePoint));
    return name;
}

std::string ByteName(unsigned char byte) {
    char name[8];
    std::snprintf(name, sizeof name, "0x%02X", byte);
    return name;
}

// "character N (line L, column C)" for the character at offset; everything
// before offset is valid UTF-8, so characters are the bytes that are not
// continuation bytes.
std::string CharacterPosition(std::string_view utf8, std::size_t offset) {
    std::size_t character = 1;
    std::size_t line = 1;
    std::size_t column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (IsContinuation(byte)) {
            continue;
        }
        ++character;
        if (byte == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "character " + std::to_string(character) + " (line " + std::to_string(line) + ", column " +
           std::to_string(column) + ")";
}

std::string FaultDescription(const Utf8Character& decoded, unsigned char firstByte) {
    switch (decoded.fault) {
        case Utf8Fault::StrayContinuation:
            return "byte " + ByteName(firstByte) + " continues no character";
        case Utf8Fault::UnusedByte:
            return "byte " + ByteName(firstByte) + " never occurs in UTF-8";
        case Utf8Fault::TruncatedAtEnd:
            return "the text ends inside the character";
        case Utf8Fault::Incomplete:
            return "byte " + ByteName(firstByte) + " starts a character whose bytes are missing";
        case Utf8Fault::Overlong:
            return "overlong form of " + CodePointName(decoded.codePoint);
        case Utf8Fault::Surrogate:
            return CodePointName(decoded.codePoint) + " is a UTF-16 surrogate";
        case Utf8Fault::BeyondUnicode:
            return CodePointName(decoded.codePoint) + " is beyond U+10FFFF";
        case Utf8Fault::None:
            break;
    }
    return "invalid sequence";
}

std::string ByteOffsetName(std::size_t offset) {
    return "byte offset " + std::to_string(offset);
}

bool IsCodePage936Trail(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

}  // namespace

Utf8Character DecodeUtf8Character(std::string_view utf8, std::size_t offset) {
    const auto lead = static_cast<unsigned char>(utf8[offset]);
    if (lead < 0x80) {
        return {lead, 1, Utf8Fault::None};
    }
    if (lead < 0xC0) {
        return {0, 1, Utf8Fault::StrayContinuation};
    }
    if (lead >= 0xF8) {
        return {0, 1, Utf8Fault::UnusedByte};
    }
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t codePoint = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if (offset + i >= utf8.size()) {
            return {0, i, Utf8Fault::TruncatedAtEnd};
        }
        const auto next = static_cast<unsigned char>(utf8[offset + i]);
        if (!IsContinuation(next)) {
            return {0, i, Utf8Fault::Incomplete};
        }
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // The smallest code point each length may carry; anything below is overlong.
    static const char32_t kSmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallestOfLength[length]) {
        return {codePoint, length, Utf8Fault::Overlong};
    }
    if (codePoint >= 0xD800 && codePoint <= 0xDFFF) {
        return {codePoint, length, Utf8Fault::Surrogate};
    }
    if (codePoint > 0x10FFFF) {
        return {codePoint, length, Utf8Fault::BeyondUnicode};
    }
    return {codePoint, length, Utf8Fault::None};
}

void CheckUtf8(std::string_view utf8) {
    std::size_t offset = 0;
    while (offset < utf8.size()) {
        if (static_cast<unsigned char>(utf8[offset]) < 0x80) {
            ++offset;
            continue;
        }
        const Utf8Character decoded = DecodeUtf8Character(utf8, offset);
        if (decoded.fault != Utf8Fault::None) {
            throw EncodingError(CharacterPosition(utf8, offset) + " is not valid UTF-8: " +
                                FaultDescription(decoded, static_cast<unsigned char>(utf8[offset])));
        }
        offset += decoded.lengthBytes;
    }
}

void ThrowNotInCodePage936(std::string_view utf8, std::size_t offset) {
    throw EncodingError(CharacterPosition(utf8, offset) + ", " +
                        CodePointName(DecodeUtf8Character(utf8, offset).codePoint) +
                        ", cannot be stored in code page 936");
}

std::size_t CodePage936CharacterLength(unsigned char lead) {
    // 0x80 is the euro sign on its own; 0x81..0xFE start two-byte characters.
    if (lead <= 0x80) {
        return 1;
    }
    return lead == 0xFF ? 0 : 2;
}

void CheckCodePage936Shape(std::string_view codePage936) {
    std::size_t offset = 0;
    while (offset < codePage936.size()) {
        const auto lead = static_cast<unsigned char>(codePage936[offset]);
        const std::size_t length = CodePage936CharacterLength(lead);
        if (length == 1) {
            ++offset;
            continue;
        }
        if (length == 0) {
            throw EncodingError(ByteOffsetName(offset) + ": " + ByteName(lead) + " is not code page 936");
        }
        if (offset + 1 >= codePage936.size()) {
            throw EncodingError(ByteOffsetName(offset) +
                                ": the text ends inside a two-byte character, after " + ByteName(lead));
        }
        if (!IsCodePage936Trail(static_cast<unsigned char>(codePage936[offset + 1]))) {
            ThrowUndefinedInCodePage936(codePage936, offset);
        }
        offset += 2;
    }
}

void ThrowUndefinedInCodePage936(std::string_view codePage936, std::size_t offset) {
    throw EncodingError(
        ByteOffsetName(offset) + ": " + ByteName(static_cast<unsigned char>(codePage936[offset])) + " " +
        ByteName(static_cast<unsigned char>(codePage936[offset + 1])) + " is not a code page 936 character");
}
