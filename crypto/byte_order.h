// Big-endian word and block access and rotation shared by the SM4 and SEED
// code; both standards read keys and blocks as big-endian 32-bit words.
#pragma once

#include <cstdint>

namespace byte_order {

inline std::uint32_t LoadBigEndian32(const unsigned char* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

inline void StoreBigEndian32(std::uint32_t word, unsigned char* bytes) {
    bytes[0] = static_cast<unsigned char>(word >> 24);
    bytes[1] = static_cast<unsigned char>(word >> 16);
    bytes[2] = static_cast<unsigned char>(word >> 8);
    bytes[3] = static_cast<unsigned char>(word);
}

// A 16-byte block as four big-endian words, and back.
inline void LoadBlock(const unsigned char* bytes, std::uint32_t words[4]) {
    for (int i = 0; i < 4; ++i) words[i] = LoadBigEndian32(bytes + 4 * i);
}

inline void StoreBlock(const std::uint32_t words[4], unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) StoreBigEndian32(words[i], bytes + 4 * i);
}

// count must be in 1..31.
constexpr std::uint32_t RotateLeft32(std::uint32_t word, unsigned count) {
    return (word << count) | (word >> (32 - count));
}

}  // namespace byte_order
