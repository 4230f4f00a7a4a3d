// Sealing and unsealing of the embedded document, the verifier check, and
// the key material they share. The format itself (verifier, IV, keys and
// ciphertext) is rebuilt from OpenSSL in openssl_differential_test.
#include "crypto/document.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/legacy_format.h"
#include "crypto/key_material.h"
#include "crypto/wipe.h"

namespace {

const std::string kPassword = "correct horse";

std::string Text(const std::vector<unsigned char>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

SealedDocument Seal(const std::string& text, const std::string& password, const std::string& cipher) {
    std::optional<SealedDocument> sealed = SealDocument(text, password, cipher);
    if (!sealed) throw std::runtime_error("sealing refused");
    return *sealed;
}

std::string Unseal(const std::vector<unsigned char>& data, const std::string& password,
                   const std::string& cipher) {
    return UnsealDocumentData(data.data(), data.size(), password, cipher);
}

// A text of length bytes without a zero byte, with bytes above 0x7f as code page 936 text has.
std::string SampleText(std::size_t length) {
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(0x21 + (i * 37) % 0xde);
    return text;
}

// The choices the legacy format seals with.
std::vector<NoteChoice> LegacyChoices() {
    std::vector<NoteChoice> choices;
    for (const NoteChoice& choice : NoteChoices())
        if (choice.format == &LegacyFormat()) choices.push_back(choice);
    return choices;
}

class DocumentPerCipher : public testing::TestWithParam<NoteChoice> {
protected:
    std::string Cipher() const { return GetParam().identifier; }
};

TEST_P(DocumentPerCipher, DataIsTheTextZeroFilledToWholeBlocks) {
    for (auto [textBytes, dataBytes] : {std::pair{0u, 16u}, {3u, 16u}, {16u, 16u}, {17u, 32u}, {32u, 32u}}) {
        const std::string text = SampleText(textBytes);
        const SealedDocument sealed = Seal(text, kPassword, Cipher());
        EXPECT_EQ(sealed.data.size(), dataBytes) << textBytes;
        EXPECT_EQ(Unseal(sealed.data, kPassword, Cipher()), text) << textBytes;
    }
}

TEST_P(DocumentPerCipher, SealingIsDeterministicAndTypeIsTheBareIdentifier) {
    const SealedDocument first = Seal(SampleText(100), kPassword, Cipher());
    const SealedDocument second = Seal(SampleText(100), kPassword, Cipher());
    EXPECT_EQ(first.hmac, second.hmac);
    EXPECT_EQ(first.data, second.data);
    EXPECT_EQ(first.type, second.type);
    EXPECT_EQ(Text(first.type), Cipher());
}

TEST_P(DocumentPerCipher, TextFillingItsLastBlockUnsealsToExactlyItsBytes) {
    for (std::size_t textBytes : {16u, 48u, 4096u}) {
        const std::string text = SampleText(textBytes);
        const SealedDocument sealed = Seal(text, kPassword, Cipher());
        ASSERT_EQ(sealed.data.size(), textBytes);
        EXPECT_EQ(Unseal(sealed.data, kPassword, Cipher()), text) << textBytes;
    }
}

TEST_P(DocumentPerCipher, CodePage936TextRoundTripsByteForByte) {
    // "您好" and "保存文档的更改?" in code page 936.
    for (const std::string text :
         {"\xc4\xfa\xba\xc3", "\xb1\xa3\xb4\xe6\xce\xc4\xb5\xb5\xb5\xc4\xb8\xfc\xb8\xc4?"}) {
        const SealedDocument sealed = Seal(text, "\xc3\xdc\xc2\xeb", Cipher());
        EXPECT_EQ(Unseal(sealed.data, "\xc3\xdc\xc2\xeb", Cipher()), text);
    }
}

// Exactly sized buffers, so the sanitizer sees any access past them.
TEST_P(DocumentPerCipher, DataOfNoWholeBlocksUnsealsToAnEmptyText) {
    const SealedDocument sealed = Seal(SampleText(60), kPassword, Cipher());
    for (std::size_t dataBytes : {0u, 1u, 15u, 17u, 31u, 33u, 63u}) {
        const std::vector<unsigned char> data(sealed.data.begin(), sealed.data.begin() + dataBytes);
        EXPECT_EQ(Unseal(data, kPassword, Cipher()), "") << dataBytes;
    }
    EXPECT_EQ(UnsealDocumentData(nullptr, 0, kPassword, Cipher()), "");
}

INSTANTIATE_TEST_SUITE_P(Ciphers, DocumentPerCipher, testing::ValuesIn(LegacyChoices()),
                         [](const testing::TestParamInfo<NoteChoice>& info) {
                             return info.param.identifier;
                         });

TEST(Document, EmptyTextSealsToOneBlockThatUnsealsToEmpty) {
    const SealedDocument sealed = Seal("", kPassword, "AES");
    ASSERT_EQ(sealed.data.size(), 16u);
    EXPECT_EQ(Unseal(sealed.data, kPassword, "AES"), "");
}

TEST(Document, SealingRefusesAnUnknownCipherOrAnEmptyPassword) {
    for (const char* cipher : {"", "aes", "AES ", "AESX", "Camellia", "SEED-128-CBC", "DES"}) {
        EXPECT_FALSE(SealDocument("secret", kPassword, cipher).has_value()) << '"' << cipher << '"';
    }
    for (const NoteChoice& choice : LegacyChoices()) {
        EXPECT_FALSE(SealDocument("secret", "", choice.identifier).has_value()) << choice.identifier;
    }
}

TEST(Document, UnsealingWithAnUnknownCipherGivesAnEmptyText) {
    const SealedDocument sealed = Seal("secret", kPassword, "SM4");
    EXPECT_EQ(Unseal(sealed.data, kPassword, "sm4"), "");
    EXPECT_EQ(Unseal(sealed.data, kPassword, ""), "");
}

TEST(KeyMaterial, AesAndCamelliaKeysAreTheFirst32PasswordBytes) {
    const std::string password32 = SampleText(32);
    for (Cipher cipher : {Cipher::Aes, Cipher::Camellia}) {
        unsigned char key[kMaxCipherKeyBytes];
        ASSERT_EQ(DeriveCipherKey(cipher, password32, key), 32u);
        EXPECT_EQ(std::string(key, key + 32), password32);

        unsigned char longer[kMaxCipherKeyBytes];
        DeriveCipherKey(cipher, password32 + "tail", longer);
        EXPECT_EQ(std::string(longer, longer + 32), password32);

        unsigned char shorter[kMaxCipherKeyBytes];
        DeriveCipherKey(cipher, "abc", shorter);
        EXPECT_EQ(std::string(shorter, shorter + 32), std::string("abc") + std::string(29, '\0'));
    }
    // Agreeing in the key still leaves the verifier, and so the IV and "DATA", apart.
    const SealedDocument first = Seal("note", password32, "AES");
    const SealedDocument second = Seal("note", password32 + "tail", "AES");
    EXPECT_NE(first.hmac, second.hmac);
    EXPECT_NE(first.data, second.data);
}

TEST(KeyMaterial, Sm4AndSeedKeysDependOnTheFirst512PasswordBytesOnly) {
    const std::string password512 = SampleText(512);
    std::string changedAt511 = password512;
    changedAt511[511] ^= 1;
    for (Cipher cipher : {Cipher::Sm4, Cipher::Seed}) {
        unsigned char key[kMaxCipherKeyBytes];
        unsigned char longer[kMaxCipherKeyBytes];
        unsigned char changed[kMaxCipherKeyBytes];
        ASSERT_EQ(DeriveCipherKey(cipher, password512, key), 16u);
        DeriveCipherKey(cipher, password512 + "beyond the key block", longer);
        DeriveCipherKey(cipher, changedAt511, changed);
        EXPECT_EQ(std::string(key, key + 16), std::string(longer, longer + 16));
        EXPECT_NE(std::string(key, key + 16), std::string(changed, changed + 16));
    }
    unsigned char iv[kIvBytes];
    unsigned char longerIv[kIvBytes];
    DeriveIv(password512, iv);
    DeriveIv(password512 + "beyond the key block", longerIv);
    EXPECT_NE(std::string(iv, iv + 16), std::string(longerIv, longerIv + 16));
}

TEST(Verifier, AcceptsTheSealingPasswordOnly) {
    const SealedDocument sealed = Seal("note", kPassword, "SEED");
    EXPECT_TRUE(PasswordMatchesVerifier(kPassword, sealed.hmac.data(), sealed.hmac.size()));
    EXPECT_FALSE(PasswordMatchesVerifier(kPassword + " ", sealed.hmac.data(), sealed.hmac.size()));
    std::vector<unsigned char> tampered = sealed.hmac;
    tampered[63] ^= 0x80;
    EXPECT_FALSE(PasswordMatchesVerifier(kPassword, tampered.data(), tampered.size()));
}

TEST(Verifier, ShortHmacIsComparedOverItsOwnLength) {
    const SealedDocument sealed = Seal("note", kPassword, "AES");
    const std::vector<unsigned char> prefix(sealed.hmac.begin(), sealed.hmac.begin() + 10);
    EXPECT_TRUE(PasswordMatchesVerifier(kPassword, prefix.data(), prefix.size()));
    std::vector<unsigned char> wrongPrefix = prefix;
    wrongPrefix[9] ^= 1;
    EXPECT_FALSE(PasswordMatchesVerifier(kPassword, wrongPrefix.data(), wrongPrefix.size()));
    EXPECT_TRUE(PasswordMatchesVerifier("any password", nullptr, 0));
}

TEST(Verifier, HmacLongerThanTheDigestNeverMatches) {
    const SealedDocument sealed = Seal("note", kPassword, "AES");
    std::vector<unsigned char> longer = sealed.hmac;
    longer.push_back(0);
    EXPECT_FALSE(PasswordMatchesVerifier(kPassword, longer.data(), longer.size()));
}

TEST(Wipe, WipeStringZeroesTheWholeAllocation) {
    std::string text = SampleText(100);
    const char* storage = text.data();
    const std::size_t capacity = text.capacity();
    WipeString(text);
    EXPECT_TRUE(text.empty());
    ASSERT_EQ(text.data(), storage);
    EXPECT_EQ(std::string(storage, capacity), std::string(capacity, '\0'));
}

}  // namespace
