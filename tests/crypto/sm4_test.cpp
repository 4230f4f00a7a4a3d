// SM4 against the encryption examples of GB/T 32907-2016, and the CBC
// mode's length rule. Chaining and in-place operation are checked against
// OpenSSL in openssl_differential_test.
#include "crypto/sm4.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "hex.h"

namespace {

const std::vector<unsigned char> kExampleKey = FromHex("01234567 89abcdef fedcba98 76543210");
const std::vector<unsigned char> kExamplePlaintext = kExampleKey;

TEST(Sm4, FirstExampleEncryptsOneBlock) {
    Sm4Context context;
    Sm4SetEncryptKey(context, kExampleKey.data());
    EXPECT_EQ(context.mode, 1);
    EXPECT_EQ(context.subkeys[0], 0xf12186f9u);
    EXPECT_EQ(context.subkeys[31], 0x9124a012u);
    unsigned char ciphertext[16];
    Sm4CryptBlock(context.subkeys, kExamplePlaintext.data(), ciphertext);
    EXPECT_EQ(ToHex(ciphertext, 16), "681edf34d206965e86b3e94f536e4246");
}

TEST(Sm4, FirstExampleDecryptsWithReversedSubkeys) {
    Sm4Context encryption;
    Sm4Context decryption;
    Sm4SetEncryptKey(encryption, kExampleKey.data());
    Sm4SetDecryptKey(decryption, kExampleKey.data());
    EXPECT_EQ(decryption.mode, 1);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(decryption.subkeys[i], encryption.subkeys[31 - i]) << i;
    std::vector<unsigned char> block = FromHex("681edf34 d206965e 86b3e94f 536e4246");
    Sm4CryptBlock(decryption.subkeys, block.data(), block.data());
    EXPECT_EQ(block, kExamplePlaintext);
}

TEST(Sm4, MillionfoldExampleEncryption) {
    Sm4Context context;
    Sm4SetEncryptKey(context, kExampleKey.data());
    std::vector<unsigned char> block = kExamplePlaintext;
    for (int i = 0; i < 1000000; ++i) Sm4CryptBlock(context.subkeys, block.data(), block.data());
    EXPECT_EQ(ToHex(block), "595298c7c6fd271f0402f804c33d3f66");
}

TEST(Sm4Cbc, OneBlockWithZeroIvIsTheBlockEncryptionAndBecomesTheIv) {
    Sm4Context context;
    Sm4SetEncryptKey(context, kExampleKey.data());
    unsigned char iv[16] = {};
    std::vector<unsigned char> output(16);
    Sm4CryptCbc(context, kSm4Encrypt, 16, iv, kExamplePlaintext.data(), output.data());
    EXPECT_EQ(ToHex(output), "681edf34d206965e86b3e94f536e4246");
    EXPECT_EQ(ToHex(iv, 16), "681edf34d206965e86b3e94f536e4246");
}

// Buffers of exactly the given length, so the sanitizer sees any access past them.
TEST(Sm4Cbc, LengthRule) {
    Sm4Context context;
    Sm4SetEncryptKey(context, kExampleKey.data());
    const std::vector<unsigned char> input(40, 0x5a);

    for (std::size_t length : {0u, 1u, 15u}) {
        unsigned char iv[16] = {};
        std::vector<unsigned char> output(length, 0xee);
        Sm4CryptCbc(context, kSm4Encrypt, length, iv, input.data(), output.data());
        EXPECT_EQ(output, std::vector<unsigned char>(length, 0xee)) << length;
        EXPECT_EQ(ToHex(iv, 16), std::string(32, '0')) << length;
    }
    for (std::size_t length : {20u, 40u}) {
        // Whole blocks are processed; the trailing partial block is left as it was.
        for (int direction : {kSm4Encrypt, kSm4Decrypt}) {
            unsigned char wholeIv[16] = {};
            std::vector<unsigned char> whole(length / 16 * 16);
            Sm4CryptCbc(context, direction, whole.size(), wholeIv, input.data(), whole.data());
            unsigned char iv[16] = {};
            std::vector<unsigned char> output(length, 0xee);
            const std::vector<unsigned char> exactInput(input.begin(), input.begin() + length);
            Sm4CryptCbc(context, direction, length, iv, exactInput.data(), output.data());
            EXPECT_TRUE(std::equal(whole.begin(), whole.end(), output.begin())) << length;
            EXPECT_TRUE(std::all_of(output.begin() + whole.size(), output.end(), [](unsigned char b) {
                return b == 0xee;
            })) << length;
            EXPECT_EQ(0, std::memcmp(iv, wholeIv, 16)) << length;
        }
    }
}

}  // namespace
