// The Mbed TLS binding against FIPS 197 Appendix C.3 (AES-256), the 256-bit
// example of RFC 3713 (Camellia), and the digests of "abc" given in
// FIPS 180-4 (SHA-512, SHA-256) and RFC 1321 (MD5); HMAC-SHA-256 against
// test cases 1, 2 and 6 of RFC 4231.
#include "crypto/mbedtls_suite.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hex.h"
#include "mbedtls/aes.h"
#include "mbedtls/camellia.h"

namespace {

using CbcFunction = int (*)(const unsigned char*, std::size_t, unsigned char*, const unsigned char*,
                            unsigned char*);

struct BlockCipherVector {
    const char* name;
    CbcFunction encrypt;
    CbcFunction decrypt;
    int invalidLengthError;
    const char* key;
    const char* plaintext;
    const char* ciphertext;
};

class LibraryCipher : public testing::TestWithParam<BlockCipherVector> {};

// With a zero IV, CBC of one block is the block cipher itself.
TEST_P(LibraryCipher, PublishedBlockEncryptsAndDecrypts) {
    const BlockCipherVector& vector = GetParam();
    const std::vector<unsigned char> key = FromHex(vector.key);
    const std::vector<unsigned char> plaintext = FromHex(vector.plaintext);
    std::vector<unsigned char> block(16);
    unsigned char iv[16] = {};
    ASSERT_EQ(vector.encrypt(key.data(), 16, iv, plaintext.data(), block.data()), 0);
    EXPECT_EQ(block, FromHex(vector.ciphertext));
    EXPECT_EQ(ToHex(iv, 16), ToHex(block));
    std::memset(iv, 0, sizeof iv);
    ASSERT_EQ(vector.decrypt(key.data(), 16, iv, block.data(), block.data()), 0);
    EXPECT_EQ(block, plaintext);
}

TEST_P(LibraryCipher, LengthOf24IsRefusedWithOutputAndIvUntouched) {
    const BlockCipherVector& vector = GetParam();
    const std::vector<unsigned char> key = FromHex(vector.key);
    const std::vector<unsigned char> input(24, 0x11);
    for (CbcFunction function : {vector.encrypt, vector.decrypt}) {
        std::vector<unsigned char> output(24, 0xee);
        unsigned char iv[16] = {};
        EXPECT_EQ(function(key.data(), 24, iv, input.data(), output.data()), vector.invalidLengthError);
        EXPECT_EQ(output, std::vector<unsigned char>(24, 0xee));
        EXPECT_EQ(ToHex(iv, 16), std::string(32, '0'));
    }
}

INSTANTIATE_TEST_SUITE_P(
    PublishedVectors, LibraryCipher,
    testing::Values(BlockCipherVector{"Fips197C3Aes256", Aes256CbcEncrypt, Aes256CbcDecrypt,
                                      MBEDTLS_ERR_AES_INVALID_INPUT_LENGTH,
                                      "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
                                      "00112233445566778899aabbccddeeff", "8ea2b7ca516745bfeafc49904b496089"},
                    BlockCipherVector{"Rfc3713Camellia256", Camellia256CbcEncrypt, Camellia256CbcDecrypt,
                                      MBEDTLS_ERR_CAMELLIA_INVALID_INPUT_LENGTH,
                                      "0123456789abcdeffedcba987654321000112233445566778899aabbccddeeff",
                                      "0123456789abcdeffedcba9876543210",
                                      "9acc237dff16d76c20ef7c919e3a7509"}),
    [](const testing::TestParamInfo<BlockCipherVector>& info) { return info.param.name; });

struct DigestVector {
    const char* name;
    void (*digest)(const unsigned char*, std::size_t, unsigned char*);
    std::size_t digestBytes;
    const char* abc;
};

class LibraryDigest : public testing::TestWithParam<DigestVector> {};

TEST_P(LibraryDigest, DigestOfAbc) {
    const DigestVector& vector = GetParam();
    std::vector<unsigned char> digest(vector.digestBytes);
    vector.digest(reinterpret_cast<const unsigned char*>("abc"), 3, digest.data());
    EXPECT_EQ(digest, FromHex(vector.abc));
}

INSTANTIATE_TEST_SUITE_P(
    PublishedVectors, LibraryDigest,
    testing::Values(DigestVector{"Sha512", Sha512, kSha512Bytes,
                                 "ddaf35a193617aba cc417349ae204131 12e6fa4e89a97ea2 0a9eeee64b55d39a "
                                 "2192992a274fc1a8 36ba3c23a3feebbd 454d4423643ce80e 2a9ac94fa54ca49f"},
                    DigestVector{"Sha256", Sha256, kSha256Bytes,
                                 "ba7816bf 8f01cfea 414140de 5dae2223 b00361a3 96177a9c b410ff61 f20015ad"},
                    DigestVector{"Md5", Md5, kMd5Bytes, "90015098 3cd24fb0 d6963f7d 28e17f72"}),
    [](const testing::TestParamInfo<DigestVector>& info) { return info.param.name; });

struct HmacVector {
    const char* name;
    std::vector<unsigned char> key;
    std::string data;
    const char* mac;
};

class LibraryHmac : public testing::TestWithParam<HmacVector> {};

TEST_P(LibraryHmac, MacOfTheRfcCase) {
    const HmacVector& vector = GetParam();
    std::vector<unsigned char> mac(kSha256Bytes);
    HmacSha256(vector.key.data(), vector.key.size(), reinterpret_cast<const unsigned char*>(vector.data.data()),
               vector.data.size(), mac.data());
    EXPECT_EQ(mac, FromHex(vector.mac));
    EXPECT_TRUE(DigestsEqual(mac.data(), FromHex(vector.mac).data(), kSha256Bytes));
    for (std::size_t at : {std::size_t{0}, kSha256Bytes - 1}) {
        std::vector<unsigned char> other = mac;
        other[at] ^= 0x80;
        EXPECT_FALSE(DigestsEqual(mac.data(), other.data(), kSha256Bytes)) << "differing at byte " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4231, LibraryHmac,
    testing::Values(HmacVector{"Case1", std::vector<unsigned char>(20, 0x0b), "Hi There",
                               "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
                    HmacVector{"Case2", {'J', 'e', 'f', 'e'}, "what do ya want for nothing?",
                               "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
                    HmacVector{"Case6KeyLongerThanABlock", std::vector<unsigned char>(131, 0xaa),
                               "Test Using Larger Than Block-Size Key - Hash Key First",
                               "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"}),
    [](const testing::TestParamInfo<HmacVector>& info) { return info.param.name; });

}  // namespace
