// Hex notation for test vectors, as the standards print them.
#pragma once

#include <cctype>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Spaces are ignored, so vectors can be written in the standards' groups.
inline std::vector<unsigned char> FromHex(std::string_view hex) {
    std::vector<unsigned char> bytes;
    int high = -1;
    for (char c : hex) {
        if (c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("not a hex digit");
        const int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<unsigned char>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("odd number of hex digits");
    return bytes;
}

inline std::string ToHex(const unsigned char* bytes, std::size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (std::size_t i = 0; i < length; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

inline std::string ToHex(const std::vector<unsigned char>& bytes) {
    return ToHex(bytes.data(), bytes.size());
}
