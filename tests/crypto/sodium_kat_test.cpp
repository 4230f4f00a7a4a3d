// Published vectors through the project's libsodium wrapper: RFC 9106's
// Argon2id example and the XChaCha20-Poly1305 example of the CFRG draft.
// Runs natively and, for both Windows builds, under Wine, so that every
// build's optimised code paths are checked against the standards.
#include "crypto/sodium_primitives.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hex.h"

namespace {

SecretKey KeyOf(const std::vector<unsigned char>& bytes) {
    SecretKey key;
    std::memcpy(key.data(), bytes.data(), key.size());
    return key;
}

TEST(SodiumKat, Argon2idOfRfc9106) {
    const std::string password(32, '\x01');
    const std::vector<unsigned char> salt(16, 0x02);
    const std::optional<SecretKey> tag =
        DeriveArgon2idKey(password, salt.data(), salt.size(), {3, 32, 4}, std::string(8, '\x03'), std::string(12, '\x04'));
    ASSERT_TRUE(tag);
    EXPECT_EQ(ToHex(tag->data(), tag->size()),
              "0d640df58d78766c08c037a34a8b53c9d01ef0452d75b65eb52520e96b01e659");
}

TEST(SodiumKat, Argon2idRefusesCostOutsideTheAlgorithm) {
    const std::vector<unsigned char> salt(16, 0x02);
    EXPECT_FALSE(DeriveArgon2idKey("p", salt.data(), salt.size(), {0, 32, 1}));
    EXPECT_FALSE(DeriveArgon2idKey("p", salt.data(), salt.size(), {1, 7, 1}));
    EXPECT_FALSE(DeriveArgon2idKey("p", salt.data(), 7, {1, 32, 1}));
}

TEST(SodiumKat, XChaCha20Poly1305OfTheCfrgDraft) {
    const std::string plaintext =
        "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the future, sunscreen "
        "would be it.";
    const std::vector<unsigned char> aad = FromHex("50515253c0c1c2c3c4c5c6c7");
    const SecretKey key = KeyOf(FromHex("808182838485868788898a8b8c8d8e8f909192939495969798999a9b9c9d9e9f"));
    const std::vector<unsigned char> nonce = FromHex("404142434445464748494a4b4c4d4e4f5051525354555657");
    const std::string expected =
        "bd6d179d3e83d43b9576579493c0e939572a1700252bfaccbed2902c21396cbb"
        "731c7f1b0b4aa6440bf3a82f4eda7e39ae64c6708c54c216cb96b72e1213b452"
        "2f8c9ba40db5d945b11b69b982c1bb9e3f3fac2bc369488f76b2383565d3fff9"
        "21f9664c97637da9768812f615c68b13b52e"
        "c0875924c1c7987947deafd8780acf49";

    std::vector<unsigned char> sealed =
        AeadSeal(key, nonce.data(), aad.data(), aad.size(),
                 reinterpret_cast<const unsigned char*>(plaintext.data()), plaintext.size());
    EXPECT_EQ(ToHex(sealed.data(), sealed.size()), expected);

    std::string opened(plaintext.size(), '\0');
    ASSERT_TRUE(AeadOpen(key, nonce.data(), aad.data(), aad.size(), sealed.data(), sealed.size(),
                         reinterpret_cast<unsigned char*>(&opened[0])));
    EXPECT_EQ(opened, plaintext);

    // The associated data and the tag both bind.
    std::vector<unsigned char> otherAad = aad;
    otherAad[0] ^= 1;
    EXPECT_FALSE(AeadOpen(key, nonce.data(), otherAad.data(), otherAad.size(), sealed.data(), sealed.size(),
                          reinterpret_cast<unsigned char*>(&opened[0])));
    EXPECT_EQ(opened, std::string(plaintext.size(), '\0'));
    sealed.back() ^= 1;
    EXPECT_FALSE(AeadOpen(key, nonce.data(), aad.data(), aad.size(), sealed.data(), sealed.size(),
                          reinterpret_cast<unsigned char*>(&opened[0])));
}

}  // namespace
