// SEED block cipher of RFC 4269. The S-boxes S1 and S2, the
// masks m0 to m3 and the constants KC0 to KC15 are the RFC's; its tables SS0
// to SS3 of the G function are generated from them at compile time.
// Test vectors: RFC 4269 Appendix B (with the round keys it lists for the
// first vector) and OpenSSL's SEED as a differential oracle.
#include "crypto/seed.h"

#include <utility>

#include "crypto/byte_order.h"
#include "crypto/register_barrier.h"
#include "crypto/wipe.h"

namespace {

using byte_order::LoadBigEndian32;
using byte_order::LoadBlock;
using byte_order::StoreBlock;
using byte_order::StoreBigEndian32;

constexpr unsigned char kS1[256] = {
    0xa9, 0x85, 0xd6, 0xd3, 0x54, 0x1d, 0xac, 0x25, 0x5d, 0x43, 0x18, 0x1e, 0x51, 0xfc, 0xca, 0x63,
    0x28, 0x44, 0x20, 0x9d, 0xe0, 0xe2, 0xc8, 0x17, 0xa5, 0x8f, 0x03, 0x7b, 0xbb, 0x13, 0xd2, 0xee,
    0x70, 0x8c, 0x3f, 0xa8, 0x32, 0xdd, 0xf6, 0x74, 0xec, 0x95, 0x0b, 0x57, 0x5c, 0x5b, 0xbd, 0x01,
    0x24, 0x1c, 0x73, 0x98, 0x10, 0xcc, 0xf2, 0xd9, 0x2c, 0xe7, 0x72, 0x83, 0x9b, 0xd1, 0x86, 0xc9,
    0x60, 0x50, 0xa3, 0xeb, 0x0d, 0xb6, 0x9e, 0x4f, 0xb7, 0x5a, 0xc6, 0x78, 0xa6, 0x12, 0xaf, 0xd5,
    0x61, 0xc3, 0xb4, 0x41, 0x52, 0x7d, 0x8d, 0x08, 0x1f, 0x99, 0x00, 0x19, 0x04, 0x53, 0xf7, 0xe1,
    0xfd, 0x76, 0x2f, 0x27, 0xb0, 0x8b, 0x0e, 0xab, 0xa2, 0x6e, 0x93, 0x4d, 0x69, 0x7c, 0x09, 0x0a,
    0xbf, 0xef, 0xf3, 0xc5, 0x87, 0x14, 0xfe, 0x64, 0xde, 0x2e, 0x4b, 0x1a, 0x06, 0x21, 0x6b, 0x66,
    0x02, 0xf5, 0x92, 0x8a, 0x0c, 0xb3, 0x7e, 0xd0, 0x7a, 0x47, 0x96, 0xe5, 0x26, 0x80, 0xad, 0xdf,
    0xa1, 0x30, 0x37, 0xae, 0x36, 0x15, 0x22, 0x38, 0xf4, 0xa7, 0x45, 0x4c, 0x81, 0xe9, 0x84, 0x97,
    0x35, 0xcb, 0xce, 0x3c, 0x71, 0x11, 0xc7, 0x89, 0x75, 0xfb, 0xda, 0xf8, 0x94, 0x59, 0x82, 0xc4,
    0xff, 0x49, 0x39, 0x67, 0xc0, 0xcf, 0xd7, 0xb8, 0x0f, 0x8e, 0x42, 0x23, 0x91, 0x6c, 0xdb, 0xa4,
    0x34, 0xf1, 0x48, 0xc2, 0x6f, 0x3d, 0x2d, 0x40, 0xbe, 0x3e, 0xbc, 0xc1, 0xaa, 0xba, 0x4e, 0x55,
    0x3b, 0xdc, 0x68, 0x7f, 0x9c, 0xd8, 0x4a, 0x56, 0x77, 0xa0, 0xed, 0x46, 0xb5, 0x2b, 0x65, 0xfa,
    0xe3, 0xb9, 0xb1, 0x9f, 0x5e, 0xf9, 0xe6, 0xb2, 0x31, 0xea, 0x6d, 0x5f, 0xe4, 0xf0, 0xcd, 0x88,
    0x16, 0x3a, 0x58, 0xd4, 0x62, 0x29, 0x07, 0x33, 0xe8, 0x1b, 0x05, 0x79, 0x90, 0x6a, 0x2a, 0x9a,
};

constexpr unsigned char kS2[256] = {
    0x38, 0xe8, 0x2d, 0xa6, 0xcf, 0xde, 0xb3, 0xb8, 0xaf, 0x60, 0x55, 0xc7, 0x44, 0x6f, 0x6b, 0x5b,
    0xc3, 0x62, 0x33, 0xb5, 0x29, 0xa0, 0xe2, 0xa7, 0xd3, 0x91, 0x11, 0x06, 0x1c, 0xbc, 0x36, 0x4b,
    0xef, 0x88, 0x6c, 0xa8, 0x17, 0xc4, 0x16, 0xf4, 0xc2, 0x45, 0xe1, 0xd6, 0x3f, 0x3d, 0x8e, 0x98,
    0x28, 0x4e, 0xf6, 0x3e, 0xa5, 0xf9, 0x0d, 0xdf, 0xd8, 0x2b, 0x66, 0x7a, 0x27, 0x2f, 0xf1, 0x72,
    0x42, 0xd4, 0x41, 0xc0, 0x73, 0x67, 0xac, 0x8b, 0xf7, 0xad, 0x80, 0x1f, 0xca, 0x2c, 0xaa, 0x34,
    0xd2, 0x0b, 0xee, 0xe9, 0x5d, 0x94, 0x18, 0xf8, 0x57, 0xae, 0x08, 0xc5, 0x13, 0xcd, 0x86, 0xb9,
    0xff, 0x7d, 0xc1, 0x31, 0xf5, 0x8a, 0x6a, 0xb1, 0xd1, 0x20, 0xd7, 0x02, 0x22, 0x04, 0x68, 0x71,
    0x07, 0xdb, 0x9d, 0x99, 0x61, 0xbe, 0xe6, 0x59, 0xdd, 0x51, 0x90, 0xdc, 0x9a, 0xa3, 0xab, 0xd0,
    0x81, 0x0f, 0x47, 0x1a, 0xe3, 0xec, 0x8d, 0xbf, 0x96, 0x7b, 0x5c, 0xa2, 0xa1, 0x63, 0x23, 0x4d,
    0xc8, 0x9e, 0x9c, 0x3a, 0x0c, 0x2e, 0xba, 0x6e, 0x9f, 0x5a, 0xf2, 0x92, 0xf3, 0x49, 0x78, 0xcc,
    0x15, 0xfb, 0x70, 0x75, 0x7f, 0x35, 0x10, 0x03, 0x64, 0x6d, 0xc6, 0x74, 0xd5, 0xb4, 0xea, 0x09,
    0x76, 0x19, 0xfe, 0x40, 0x12, 0xe0, 0xbd, 0x05, 0xfa, 0x01, 0xf0, 0x2a, 0x5e, 0xa9, 0x56, 0x43,
    0x85, 0x14, 0x89, 0x9b, 0xb0, 0xe5, 0x48, 0x79, 0x97, 0xfc, 0x1e, 0x82, 0x21, 0x8c, 0x1b, 0x5f,
    0x77, 0x54, 0xb2, 0x1d, 0x25, 0x4f, 0x00, 0x46, 0xed, 0x58, 0x52, 0xeb, 0x7e, 0xda, 0xc9, 0xfd,
    0x30, 0x95, 0x65, 0x3c, 0xb6, 0xe4, 0xbb, 0x7c, 0x0e, 0x50, 0x39, 0x26, 0x32, 0x84, 0x69, 0x93,
    0x37, 0xe7, 0x24, 0xa4, 0xcb, 0x53, 0x0a, 0x87, 0xd9, 0x4c, 0x83, 0x8f, 0xce, 0x3b, 0x4a, 0xb7,
};

constexpr unsigned char kM0 = 0xfc;
constexpr unsigned char kM1 = 0xf3;
constexpr unsigned char kM2 = 0xcf;
constexpr unsigned char kM3 = 0x3f;

// KC0 to KC15: each is the one before rotated left by one bit.
constexpr std::uint32_t kKc[16] = {
    0x9e3779b9, 0x3c6ef373, 0x78dde6e6, 0xf1bbcdcc, 0xe3779b99, 0xc6ef3733, 0x8dde6e67, 0x1bbcdccf,
    0x3779b99e, 0x6ef3733c, 0xdde6e678, 0xbbcdccf1, 0x779b99e3, 0xef3733c6, 0xde6e678d, 0xbcdccf1b,
};

constexpr std::uint32_t Word(unsigned z3, unsigned z2, unsigned z1, unsigned z0) {
    return (std::uint32_t{z3 & 0xffu} << 24) | (std::uint32_t{z2 & 0xffu} << 16) |
           (std::uint32_t{z1 & 0xffu} << 8) | std::uint32_t{z0 & 0xffu};
}

// G(X) for X = X3|X2|X1|X0 (X3 the most significant byte) is
// SS0[X0] ^ SS1[X1] ^ SS2[X2] ^ SS3[X3], where SSk places the masked bytes of
// Yk (S1 for X0 and X2, S2 for X1 and X3) in Z3..Z0 as the RFC combines them.
struct GTables {
    std::uint32_t ss[4][256];
};

constexpr GTables MakeGTables() {
    GTables tables{};
    for (unsigned x = 0; x < 256; ++x) {
        const unsigned y1 = kS1[x];
        const unsigned y2 = kS2[x];
        tables.ss[0][x] = Word(y1 & kM3, y1 & kM2, y1 & kM1, y1 & kM0);
        tables.ss[1][x] = Word(y2 & kM0, y2 & kM3, y2 & kM2, y2 & kM1);
        tables.ss[2][x] = Word(y1 & kM1, y1 & kM0, y1 & kM3, y1 & kM2);
        tables.ss[3][x] = Word(y2 & kM2, y2 & kM1, y2 & kM0, y2 & kM3);
    }
    return tables;
}

constexpr GTables kG = MakeGTables();

inline std::uint32_t G(std::uint32_t x) {
    // Two pairs, then their XOR: two XORs after the last look-up, not three.
    std::uint32_t low = kG.ss[0][x & 0xff] ^ kG.ss[1][(x >> 8) & 0xff];
    std::uint32_t high = kG.ss[2][(x >> 16) & 0xff] ^ kG.ss[3][x >> 24];
    KeepAsComputed(low);
    KeepAsComputed(high);
    return low ^ high;
}

// One round: (left0, left1) ^= F(k0, k1, right0, right1). The F function is
// C' = G(G(G(C^K0 ^ D^K1) + C^K0) + G(C^K0 ^ D^K1)) + G(G(C^K0 ^ D^K1) + C^K0)
// and D' = G(G(G(C^K0 ^ D^K1) + C^K0) + G(C^K0 ^ D^K1)). right0 comes out of
// the round before one addition later than right1, so it is XORed in last.
inline void Round(std::uint32_t k0, std::uint32_t k1, std::uint32_t right0, std::uint32_t right1,
                  std::uint32_t& left0, std::uint32_t& left1) {
    std::uint32_t mixed = right1 ^ k1 ^ k0;
    KeepAsComputed(mixed);
    std::uint32_t t0 = right0 ^ k0;
    std::uint32_t t1 = G(mixed ^ right0);
    t0 = G(t0 + t1);
    t1 = G(t1 + t0);
    left0 ^= t0 + t1;
    left1 ^= t1;
}

// Words l0 l1 r0 r1 of a block through the 16 rounds; after the last round
// the halves are not exchanged, so the result is r0 r1 l0 l1. Always
// inlined, so that in CBC the chaining value stays in registers from block
// to block.
[[gnu::always_inline]] inline void EncryptWords(const std::uint32_t k[32], std::uint32_t w[4]) {
    std::uint32_t l0 = w[0], l1 = w[1], r0 = w[2], r1 = w[3];
    for (int i = 0; i < 32; i += 4) {
        Round(k[i], k[i + 1], r0, r1, l0, l1);
        Round(k[i + 2], k[i + 3], l0, l1, r0, r1);
    }
    w[0] = r0;
    w[1] = r1;
    w[2] = l0;
    w[3] = l1;
}

// Decryption: the rounds undone from the last, on Blocks independent blocks
// round by round, so that the look-ups of one block overlap those of the
// others.
template <int Blocks>
[[gnu::always_inline]] inline void DecryptWords(const std::uint32_t k[32], std::uint32_t w[Blocks][4]) {
    for (int i = 28; i >= 0; i -= 4) {
        for (int b = 0; b < Blocks; ++b) Round(k[i + 2], k[i + 3], w[b][2], w[b][3], w[b][0], w[b][1]);
        for (int b = 0; b < Blocks; ++b) Round(k[i], k[i + 1], w[b][0], w[b][1], w[b][2], w[b][3]);
    }
    for (int b = 0; b < Blocks; ++b) {
        std::swap(w[b][0], w[b][2]);
        std::swap(w[b][1], w[b][3]);
    }
}

// CBC decryption of Blocks consecutive blocks: the raw block decryptions go
// to input, their XOR with the chaining values to output, and chain becomes
// the last ciphertext block. words receives the plaintext for the caller to
// wipe.
template <int Blocks>
[[gnu::always_inline]] inline void CbcDecryptBlocks(unsigned char* input, unsigned char* output,
                                                    std::uint32_t chain[4], const std::uint32_t subkeys[32],
                                                    std::uint32_t words[][4]) {
    std::uint32_t saved[Blocks][4];
    for (int b = 0; b < Blocks; ++b) {
        LoadBlock(input + 16 * b, saved[b]);
        for (int i = 0; i < 4; ++i) words[b][i] = saved[b][i];
    }
    DecryptWords<Blocks>(subkeys, words);
    for (int b = 0; b < Blocks; ++b) {
        StoreBlock(words[b], input + 16 * b);
        const std::uint32_t* previous = b == 0 ? chain : saved[b - 1];
        for (int i = 0; i < 4; ++i) words[b][i] ^= previous[i];
        StoreBlock(words[b], output + 16 * b);
    }
    for (int i = 0; i < 4; ++i) chain[i] = saved[Blocks - 1][i];
}

inline bool IsWholeBlocks(std::size_t length) {
    return length != 0 && length % 16 == 0;
}

}  // namespace

void SeedKeySchedule(const unsigned char key[16], std::uint32_t subkeys[32]) {
    std::uint32_t abcd[4];
    WipeOnExit wipeAbcd(abcd, sizeof abcd);
    LoadBlock(key, abcd);
    std::uint32_t& a = abcd[0];
    std::uint32_t& b = abcd[1];
    std::uint32_t& c = abcd[2];
    std::uint32_t& d = abcd[3];
    for (int i = 0; i < 16; ++i) {
        subkeys[2 * i] = G(a + c - kKc[i]);
        subkeys[2 * i + 1] = G(b - d + kKc[i]);
        if (i % 2 == 0) {
            // Odd rounds of the RFC (counting from 1): A|B rotated right by 8 bits.
            const std::uint32_t oldA = a;
            a = (a >> 8) | (b << 24);
            b = (b >> 8) | (oldA << 24);
        } else {
            // Even rounds: C|D rotated left by 8 bits.
            const std::uint32_t oldC = c;
            c = (c << 8) | (d >> 24);
            d = (d << 8) | (oldC >> 24);
        }
    }
}

void SeedEncryptBlock(unsigned char block[16], const std::uint32_t subkeys[32]) {
    std::uint32_t words[4];
    LoadBlock(block, words);
    EncryptWords(subkeys, words);
    StoreBlock(words, block);
}

void SeedDecryptBlock(unsigned char block[16], const std::uint32_t subkeys[32]) {
    std::uint32_t words[1][4];
    WipeOnExit wipeWords(words, sizeof words);
    LoadBlock(block, words[0]);
    DecryptWords<1>(subkeys, words);
    StoreBlock(words[0], block);
}

void SeedCbcEncrypt(const unsigned char* input, unsigned char* output, std::size_t length,
                    unsigned char iv[16], const std::uint32_t subkeys[32]) {
    if (!IsWholeBlocks(length)) return;
    std::uint32_t chain[4];
    LoadBlock(iv, chain);
    for (std::size_t offset = 0; offset < length; offset += 16) {
        std::uint32_t words[4];
        LoadBlock(input + offset, words);
        for (int i = 0; i < 4; ++i) chain[i] ^= words[i];
        EncryptWords(subkeys, chain);
        StoreBlock(chain, output + offset);
    }
    StoreBlock(chain, iv);
}

void SeedCbcDecrypt(unsigned char* input, unsigned char* output, std::size_t length, unsigned char iv[16],
                    const std::uint32_t subkeys[32]) {
    if (!IsWholeBlocks(length)) return;
    std::uint32_t chain[4];
    LoadBlock(iv, chain);
    std::uint32_t words[2][4];
    WipeOnExit wipeWords(words, sizeof words);  // the last blocks' plaintext
    // Unlike encryption, the block decryptions do not depend on each other,
    // so two run side by side.
    std::size_t offset = 0;
    for (; offset + 32 <= length; offset += 32) {
        CbcDecryptBlocks<2>(input + offset, output + offset, chain, subkeys, words);
    }
    if (offset < length) CbcDecryptBlocks<1>(input + offset, output + offset, chain, subkeys, words);
    StoreBlock(chain, iv);
}
