// SEED against the test vectors of RFC 4269 Appendix B, and the CBC mode's
// own rules: what decryption leaves in its input, and the length rule.
// Chaining and in-place operation are checked against OpenSSL in
// openssl_differential_test.
#include "crypto/seed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "hex.h"

namespace {

struct SeedVector {
    const char* name;
    const char* key;
    const char* plaintext;
    const char* ciphertext;
};

class SeedAppendixB : public testing::TestWithParam<SeedVector> {};

TEST_P(SeedAppendixB, EncryptsAndDecryptsInPlace) {
    const SeedVector& vector = GetParam();
    std::uint32_t subkeys[32];
    SeedKeySchedule(FromHex(vector.key).data(), subkeys);
    std::vector<unsigned char> block = FromHex(vector.plaintext);
    SeedEncryptBlock(block.data(), subkeys);
    EXPECT_EQ(block, FromHex(vector.ciphertext));
    SeedDecryptBlock(block.data(), subkeys);
    EXPECT_EQ(block, FromHex(vector.plaintext));
}

INSTANTIATE_TEST_SUITE_P(
    Rfc4269, SeedAppendixB,
    testing::Values(SeedVector{"B1", "00000000000000000000000000000000", "000102030405060708090A0B0C0D0E0F",
                               "5EBAC6E0054E166819AFF1CC6D346CDB"},
                    SeedVector{"B2", "000102030405060708090A0B0C0D0E0F", "00000000000000000000000000000000",
                               "C11F22F20140505084483597E4370F43"},
                    SeedVector{"B3", "4706480851E61BE85D74BFB3FD956185", "83A2F8A288641FB9A4E9A5CC2F131C7D",
                               "EE54D13EBCAE706D226BC3142CD40D4A"},
                    SeedVector{"B4", "28DBC3BC49FFD87DCFA509B11D422BE7", "B41E6BE2EBA84A148E2EED84593C5EC7",
                               "9B9B7BFCD1813CB95D0B3618F40F5122"}),
    [](const testing::TestParamInfo<SeedVector>& info) { return info.param.name; });

TEST(Seed, KeyScheduleGivesTheRoundKeysListedForTheZeroKey) {
    const std::uint32_t expected[32] = {
        0x7C8F8C7E, 0xC737A22C, 0xFF276CDB, 0xA7CA684A, 0x2F9D01A1, 0x70049E41, 0xAE59B3C4, 0x4245E90C,
        0xA1D6400F, 0xDBC1394E, 0x85963508, 0x0C5F1FCB, 0xB684BDA7, 0x61A4AEAE, 0xD17E0741, 0xFEE90AA1,
        0x76CC05D5, 0xE97A7394, 0x50AC6F92, 0x1B2666E5, 0x65B7904A, 0x8EC3A7B3, 0x2F7E2E22, 0xA2B121B9,
        0x4D0BFDE4, 0x4E888D9B, 0x631C8DDC, 0x4378A6C4, 0x216AF65F, 0x7878C031, 0x71891150, 0x98B255B0,
    };
    const unsigned char key[16] = {};
    std::uint32_t subkeys[32];
    SeedKeySchedule(key, subkeys);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(subkeys[i], expected[i]) << "K" << (i / 2 + 1) << "," << (i % 2);
}

class SeedCbcTest : public testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(4269);
        for (unsigned char& byte : key_) byte = static_cast<unsigned char>(random());
        for (unsigned char& byte : iv_) byte = static_cast<unsigned char>(random());
        plaintext_.resize(112);  // seven blocks: decryption takes them in pairs and one alone
        for (unsigned char& byte : plaintext_) byte = static_cast<unsigned char>(random());
        SeedKeySchedule(key_, subkeys_);
    }

    std::vector<unsigned char> Encrypt(const std::vector<unsigned char>& plaintext) {
        std::vector<unsigned char> ciphertext(plaintext.size());
        std::vector<unsigned char> chain(iv_, iv_ + 16);
        SeedCbcEncrypt(plaintext.data(), ciphertext.data(), plaintext.size(), chain.data(), subkeys_);
        return ciphertext;
    }

    unsigned char key_[16];
    unsigned char iv_[16];
    std::uint32_t subkeys_[32];
    std::vector<unsigned char> plaintext_;
};

TEST_F(SeedCbcTest, DecryptionOutOfPlaceLeavesTheRawBlockDecryptionsInItsInput) {
    std::vector<unsigned char> input = Encrypt(plaintext_);
    std::vector<unsigned char> raw = input;
    for (std::size_t offset = 0; offset < raw.size(); offset += 16)
        SeedDecryptBlock(raw.data() + offset, subkeys_);
    std::vector<unsigned char> output(input.size());
    std::vector<unsigned char> chain(iv_, iv_ + 16);
    SeedCbcDecrypt(input.data(), output.data(), input.size(), chain.data(), subkeys_);
    EXPECT_EQ(output, plaintext_);
    EXPECT_EQ(input, raw);
}

// Buffers of exactly the given length, so the sanitizer sees any access past them.
TEST_F(SeedCbcTest, LengthsThatAreNotPositiveMultiplesOf16DoNothing) {
    for (std::size_t length : {0u, 1u, 15u, 17u, 111u}) {
        std::vector<unsigned char> input(plaintext_.begin(), plaintext_.begin() + length);
        std::vector<unsigned char> output(length, 0xee);
        std::vector<unsigned char> chain(iv_, iv_ + 16);
        SeedCbcEncrypt(input.data(), output.data(), length, chain.data(), subkeys_);
        EXPECT_EQ(output, std::vector<unsigned char>(length, 0xee)) << length;
        EXPECT_TRUE(std::equal(chain.begin(), chain.end(), iv_)) << length;

        SeedCbcDecrypt(input.data(), output.data(), length, chain.data(), subkeys_);
        EXPECT_EQ(output, std::vector<unsigned char>(length, 0xee)) << length;
        EXPECT_TRUE(std::equal(input.begin(), input.end(), plaintext_.begin())) << length;
        EXPECT_TRUE(std::equal(chain.begin(), chain.end(), iv_)) << length;
    }
}

}  // namespace
