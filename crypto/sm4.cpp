// SM4 block cipher of GB/T 32907-2016. The S-box, FK and the CK rule are
// the standard's; the combined round tables are generated from them at
// compile time.
// Test vectors: the standard's encryption examples (one block, and the same
// block encrypted 1,000,000 times) and OpenSSL's SM4 as a differential oracle.
#include "crypto/sm4.h"

#include <utility>

#include "crypto/byte_order.h"
#include "crypto/register_barrier.h"
#include "crypto/wipe.h"

namespace {

using byte_order::LoadBigEndian32;
using byte_order::LoadBlock;
using byte_order::StoreBlock;
using byte_order::RotateLeft32;
using byte_order::StoreBigEndian32;

// The S-box Sbox of the standard.
constexpr unsigned char kSbox[256] = {
    0xd6, 0x90, 0xe9, 0xfe, 0xcc, 0xe1, 0x3d, 0xb7, 0x16, 0xb6, 0x14, 0xc2, 0x28, 0xfb, 0x2c, 0x05,
    0x2b, 0x67, 0x9a, 0x76, 0x2a, 0xbe, 0x04, 0xc3, 0xaa, 0x44, 0x13, 0x26, 0x49, 0x86, 0x06, 0x99,
    0x9c, 0x42, 0x50, 0xf4, 0x91, 0xef, 0x98, 0x7a, 0x33, 0x54, 0x0b, 0x43, 0xed, 0xcf, 0xac, 0x62,
    0xe4, 0xb3, 0x1c, 0xa9, 0xc9, 0x08, 0xe8, 0x95, 0x80, 0xdf, 0x94, 0xfa, 0x75, 0x8f, 0x3f, 0xa6,
    0x47, 0x07, 0xa7, 0xfc, 0xf3, 0x73, 0x17, 0xba, 0x83, 0x59, 0x3c, 0x19, 0xe6, 0x85, 0x4f, 0xa8,
    0x68, 0x6b, 0x81, 0xb2, 0x71, 0x64, 0xda, 0x8b, 0xf8, 0xeb, 0x0f, 0x4b, 0x70, 0x56, 0x9d, 0x35,
    0x1e, 0x24, 0x0e, 0x5e, 0x63, 0x58, 0xd1, 0xa2, 0x25, 0x22, 0x7c, 0x3b, 0x01, 0x21, 0x78, 0x87,
    0xd4, 0x00, 0x46, 0x57, 0x9f, 0xd3, 0x27, 0x52, 0x4c, 0x36, 0x02, 0xe7, 0xa0, 0xc4, 0xc8, 0x9e,
    0xea, 0xbf, 0x8a, 0xd2, 0x40, 0xc7, 0x38, 0xb5, 0xa3, 0xf7, 0xf2, 0xce, 0xf9, 0x61, 0x15, 0xa1,
    0xe0, 0xae, 0x5d, 0xa4, 0x9b, 0x34, 0x1a, 0x55, 0xad, 0x93, 0x32, 0x30, 0xf5, 0x8c, 0xb1, 0xe3,
    0x1d, 0xf6, 0xe2, 0x2e, 0x82, 0x66, 0xca, 0x60, 0xc0, 0x29, 0x23, 0xab, 0x0d, 0x53, 0x4e, 0x6f,
    0xd5, 0xdb, 0x37, 0x45, 0xde, 0xfd, 0x8e, 0x2f, 0x03, 0xff, 0x6a, 0x72, 0x6d, 0x6c, 0x5b, 0x51,
    0x8d, 0x1b, 0xaf, 0x92, 0xbb, 0xdd, 0xbc, 0x7f, 0x11, 0xd9, 0x5c, 0x41, 0x1f, 0x10, 0x5a, 0xd8,
    0x0a, 0xc1, 0x31, 0x88, 0xa5, 0xcd, 0x7b, 0xbd, 0x2d, 0x74, 0xd0, 0x12, 0xb8, 0xe5, 0xb4, 0xb0,
    0x89, 0x69, 0x97, 0x4a, 0x0c, 0x96, 0x77, 0x7e, 0x65, 0xb9, 0xf1, 0x09, 0xc5, 0x6e, 0xc6, 0x84,
    0x18, 0xf0, 0x7d, 0xec, 0x3a, 0xdc, 0x4d, 0x20, 0x79, 0xee, 0x5f, 0x3e, 0xd7, 0xcb, 0x39, 0x48,
};

// System parameter FK.
constexpr std::uint32_t kFk[4] = {0xa3b1bac6, 0x56aa3350, 0x677d9197, 0xb27022dc};

// Fixed parameter CK: byte j of CK_i (from the most significant) is (4i + j) * 7 mod 256.
struct FixedParameters {
    std::uint32_t ck[32];
};

constexpr FixedParameters MakeFixedParameters() {
    FixedParameters parameters{};
    for (unsigned i = 0; i < 32; ++i) {
        for (unsigned j = 0; j < 4; ++j) {
            parameters.ck[i] = (parameters.ck[i] << 8) | (((4 * i + j) * 7) & 0xff);
        }
    }
    return parameters;
}

constexpr FixedParameters kCk = MakeFixedParameters();

// Non-linear transformation tau: the S-box on each byte.
constexpr std::uint32_t Tau(std::uint32_t word) {
    return (std::uint32_t{kSbox[word >> 24]} << 24) | (std::uint32_t{kSbox[(word >> 16) & 0xff]} << 16) |
           (std::uint32_t{kSbox[(word >> 8) & 0xff]} << 8) | std::uint32_t{kSbox[word & 0xff]};
}

// Linear transformation L of the rounds.
constexpr std::uint32_t RoundLinear(std::uint32_t b) {
    return b ^ RotateLeft32(b, 2) ^ RotateLeft32(b, 10) ^ RotateLeft32(b, 18) ^ RotateLeft32(b, 24);
}

// Linear transformation L' of the key expansion.
constexpr std::uint32_t KeyLinear(std::uint32_t b) {
    return b ^ RotateLeft32(b, 13) ^ RotateLeft32(b, 23);
}

// T = L(tau(.)) folded into four tables, one per input byte position: since L
// is linear, T(a) is the XOR of L applied to each S-box output byte in place.
// byte[0] is for the most significant byte.
struct RoundTables {
    std::uint32_t byte[4][256];
};

constexpr RoundTables MakeRoundTables() {
    RoundTables tables{};
    for (unsigned position = 0; position < 4; ++position) {
        for (unsigned x = 0; x < 256; ++x) {
            tables.byte[position][x] = RoundLinear(std::uint32_t{kSbox[x]} << (24 - 8 * position));
        }
    }
    return tables;
}

constexpr RoundTables kRoundTables = MakeRoundTables();

inline std::uint32_t RoundT(std::uint32_t a) {
    // Two pairs, then their XOR: two XORs after the last look-up, not three.
    std::uint32_t high = kRoundTables.byte[0][a >> 24] ^ kRoundTables.byte[1][(a >> 16) & 0xff];
    std::uint32_t low = kRoundTables.byte[2][(a >> 8) & 0xff] ^ kRoundTables.byte[3][a & 0xff];
    KeepAsComputed(high);
    KeepAsComputed(low);
    return high ^ low;
}

// One round, X(i+4) = X(i) ^ T(X(i+1) ^ X(i+2) ^ X(i+3) ^ rk(i)), in place of
// X(i). X(i+3), the word the round before produced, is XORed in last, so the
// other XORs run while it is still being computed.
[[gnu::always_inline]] inline void Round(std::uint32_t& x0, std::uint32_t x1, std::uint32_t x2,
                                         std::uint32_t x3, std::uint32_t rk) {
    std::uint32_t early = x1 ^ x2 ^ rk;
    KeepAsComputed(early);
    x0 ^= RoundT(early ^ x3);
}

// The 32 rounds on the words of Blocks independent blocks, round by round so
// that the look-ups of one block overlap those of the others, leaving each
// block in the standard's reversed output order. Always inlined, so that the
// words stay in registers.
template <int Blocks>
[[gnu::always_inline]] inline void CryptWords(const std::uint32_t rk[32], std::uint32_t x[Blocks][4]) {
    for (int i = 0; i < 32; i += 4) {
        for (int b = 0; b < Blocks; ++b) Round(x[b][0], x[b][1], x[b][2], x[b][3], rk[i]);
        for (int b = 0; b < Blocks; ++b) Round(x[b][1], x[b][2], x[b][3], x[b][0], rk[i + 1]);
        for (int b = 0; b < Blocks; ++b) Round(x[b][2], x[b][3], x[b][0], x[b][1], rk[i + 2]);
        for (int b = 0; b < Blocks; ++b) Round(x[b][3], x[b][0], x[b][1], x[b][2], rk[i + 3]);
    }
    for (int b = 0; b < Blocks; ++b) {
        std::swap(x[b][0], x[b][3]);
        std::swap(x[b][1], x[b][2]);
    }
}

// CBC decryption of Blocks consecutive blocks into output, which may be
// input: all ciphertext blocks are loaded before any output is written, and
// chain becomes the last of them. words receives the plaintext for the
// caller to wipe.
template <int Blocks>
[[gnu::always_inline]] inline void CbcDecryptBlocks(const unsigned char* input, unsigned char* output,
                                                    std::uint32_t chain[4], const std::uint32_t subkeys[32],
                                                    std::uint32_t words[][4]) {
    std::uint32_t saved[Blocks][4];
    for (int b = 0; b < Blocks; ++b) {
        LoadBlock(input + 16 * b, saved[b]);
        for (int i = 0; i < 4; ++i) words[b][i] = saved[b][i];
    }
    CryptWords<Blocks>(subkeys, words);
    for (int b = 0; b < Blocks; ++b) {
        const std::uint32_t* previous = b == 0 ? chain : saved[b - 1];
        for (int i = 0; i < 4; ++i) words[b][i] ^= previous[i];
        StoreBlock(words[b], output + 16 * b);
    }
    for (int i = 0; i < 4; ++i) chain[i] = saved[Blocks - 1][i];
}

}  // namespace

void Sm4SetEncryptKey(Sm4Context& context, const unsigned char key[16]) {
    std::uint32_t k[4];
    WipeOnExit wipeK(k, sizeof k);
    for (int i = 0; i < 4; ++i) k[i] = LoadBigEndian32(key + 4 * i) ^ kFk[i];
    for (int i = 0; i < 32; ++i) {
        const std::uint32_t next = k[0] ^ KeyLinear(Tau(k[1] ^ k[2] ^ k[3] ^ kCk.ck[i]));
        context.subkeys[i] = next;
        k[0] = k[1];
        k[1] = k[2];
        k[2] = k[3];
        k[3] = next;
    }
    context.mode = 1;
}

void Sm4SetDecryptKey(Sm4Context& context, const unsigned char key[16]) {
    Sm4SetEncryptKey(context, key);
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t subkey = context.subkeys[i];
        context.subkeys[i] = context.subkeys[31 - i];
        context.subkeys[31 - i] = subkey;
    }
}

void Sm4CryptBlock(const std::uint32_t subkeys[32], const unsigned char input[16], unsigned char output[16]) {
    std::uint32_t words[1][4];
    LoadBlock(input, words[0]);
    CryptWords<1>(subkeys, words);
    StoreBlock(words[0], output);
}

void Sm4CryptCbc(const Sm4Context& context, int direction, std::size_t length, unsigned char iv[16],
                 const unsigned char* input, unsigned char* output) {
    const std::size_t blocks = length / 16;
    if (blocks == 0) return;
    std::uint32_t chain[4];
    LoadBlock(iv, chain);
    std::uint32_t words[2][4];
    WipeOnExit wipeWords(words, sizeof words);  // the last blocks' plaintext when decrypting
    if (direction == kSm4Encrypt) {
        for (std::size_t block = 0; block < blocks; ++block, input += 16, output += 16) {
            LoadBlock(input, words[0]);
            for (int i = 0; i < 4; ++i) words[0][i] ^= chain[i];
            CryptWords<1>(context.subkeys, words);
            StoreBlock(words[0], output);
            for (int i = 0; i < 4; ++i) chain[i] = words[0][i];
        }
    } else {
        // Unlike encryption, the block decryptions do not depend on each
        // other, so two run side by side.
        std::size_t block = 0;
        for (; block + 2 <= blocks; block += 2) {
            CbcDecryptBlocks<2>(input + 16 * block, output + 16 * block, chain, context.subkeys, words);
        }
        if (block < blocks)
            CbcDecryptBlocks<1>(input + 16 * block, output + 16 * block, chain, context.subkeys, words);
    }
    StoreBlock(chain, iv);
}
