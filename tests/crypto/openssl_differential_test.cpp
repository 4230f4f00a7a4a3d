// Differential tests with OpenSSL 3 as an independent implementation: our
// SM4-CBC and SEED-CBC against its EVP ciphers on random keys, IVs and
// lengths, and the document format rebuilt from OpenSSL's digests and
// ciphers. The seed of the random inputs is printed; set
// SCRIBECRYPT_TEST_SEED to repeat a run.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "crypto/cipher_suite.h"
#include "crypto/document.h"
#include "crypto/seed.h"
#include "crypto/sm4.h"

namespace {

using Bytes = std::vector<unsigned char>;

// SEED lives in OpenSSL's legacy provider; loading it replaces the implicit
// default provider, which is loaded explicitly for the other algorithms.
class OpenSslProviders : public testing::Environment {
public:
    void SetUp() override {
        m_legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        m_default = OSSL_PROVIDER_load(nullptr, "default");
        ASSERT_NE(m_legacy, nullptr);
        ASSERT_NE(m_default, nullptr);
    }
    void TearDown() override {
        OSSL_PROVIDER_unload(m_legacy);
        OSSL_PROVIDER_unload(m_default);
    }

private:
    OSSL_PROVIDER* m_legacy = nullptr;
    OSSL_PROVIDER* m_default = nullptr;
};

[[maybe_unused]] const testing::Environment* const kProviders =
    testing::AddGlobalTestEnvironment(new OpenSslProviders);

std::uint32_t RunSeed() {
    static const std::uint32_t seed = [] {
        const char* fixed = std::getenv("SCRIBECRYPT_TEST_SEED");
        const std::uint32_t value =
            fixed ? static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
        std::cout << "random seed " << value << " (SCRIBECRYPT_TEST_SEED=" << value << " repeats this run)\n";
        return value;
    }();
    return seed;
}

Bytes RandomBytes(std::mt19937& random, std::size_t length) {
    Bytes bytes(length);
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
    return bytes;
}

// One EVP CBC operation without padding.
Bytes EvpCbc(const char* name, bool encrypt, const Bytes& key, const Bytes& iv, const Bytes& input) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, name, nullptr);
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    Bytes output(input.size());
    int written = 0;
    const bool ok =
        cipher != nullptr && context != nullptr &&
        EVP_CipherInit_ex(context, cipher, nullptr, key.data(), iv.data(), encrypt ? 1 : 0) == 1 &&
        EVP_CIPHER_CTX_set_padding(context, 0) == 1 &&
        EVP_CipherUpdate(context, output.data(), &written, input.data(), static_cast<int>(input.size())) == 1;
    EVP_CIPHER_CTX_free(context);
    EVP_CIPHER_free(cipher);
    if (!ok || written != static_cast<int>(input.size()))
        throw std::runtime_error(std::string("EVP failed: ") + name);
    return output;
}

Bytes EvpDigest(const char* name, const Bytes& input) {
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &length, EVP_get_digestbyname(name), nullptr) !=
        1) {
        throw std::runtime_error(std::string("EVP digest failed: ") + name);
    }
    digest.resize(length);
    return digest;
}

// Our CBC of one cipher, behind one signature.
struct OurCbc {
    const char* name;
    const char* evpName;
    void (*crypt)(bool encrypt, const Bytes& key, unsigned char iv[16], unsigned char* input,
                  unsigned char* output, std::size_t length);
};

void Sm4Cbc(bool encrypt, const Bytes& key, unsigned char iv[16], unsigned char* input, unsigned char* output,
            std::size_t length) {
    Sm4Context context;
    if (encrypt) {
        Sm4SetEncryptKey(context, key.data());
    } else {
        Sm4SetDecryptKey(context, key.data());
    }
    Sm4CryptCbc(context, encrypt ? kSm4Encrypt : kSm4Decrypt, length, iv, input, output);
}

void SeedCbc(bool encrypt, const Bytes& key, unsigned char iv[16], unsigned char* input,
             unsigned char* output, std::size_t length) {
    std::uint32_t subkeys[32];
    SeedKeySchedule(key.data(), subkeys);
    if (encrypt) {
        SeedCbcEncrypt(input, output, length, iv, subkeys);
    } else {
        SeedCbcDecrypt(input, output, length, iv, subkeys);
    }
}

class CbcAgainstOpenSsl : public testing::TestWithParam<OurCbc> {};

TEST_P(CbcAgainstOpenSsl, RandomKeysIvsAndLengthsInAndOutOfPlace) {
    const OurCbc& ours = GetParam();
    std::mt19937 random(RunSeed());
    for (int trial = 0; trial < 200; ++trial) {
        const Bytes key = RandomBytes(random, 16);
        const Bytes iv = RandomBytes(random, 16);
        const Bytes plaintext = RandomBytes(random, 16 * (1 + random() % 256));
        const Bytes expected = EvpCbc(ours.evpName, true, key, iv, plaintext);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", " + std::to_string(plaintext.size()) + " bytes");

        Bytes input = plaintext;
        Bytes output(plaintext.size());
        Bytes chain = iv;
        ours.crypt(true, key, chain.data(), input.data(), output.data(), input.size());
        EXPECT_EQ(output, expected);
        EXPECT_EQ(chain, Bytes(expected.end() - 16, expected.end()));

        Bytes buffer = plaintext;
        chain = iv;
        ours.crypt(true, key, chain.data(), buffer.data(), buffer.data(), buffer.size());
        EXPECT_EQ(buffer, expected);

        input = expected;
        chain = iv;
        ours.crypt(false, key, chain.data(), input.data(), output.data(), input.size());
        EXPECT_EQ(output, plaintext);
        EXPECT_EQ(chain, Bytes(expected.end() - 16, expected.end()));

        buffer = expected;
        chain = iv;
        ours.crypt(false, key, chain.data(), buffer.data(), buffer.data(), buffer.size());
        EXPECT_EQ(buffer, plaintext);
    }
}

TEST_P(CbcAgainstOpenSsl, TwoChainedCallsEqualOneCallOfTheJoinedLength) {
    const OurCbc& ours = GetParam();
    std::mt19937 random(RunSeed() + 1);
    for (int trial = 0; trial < 50; ++trial) {
        const Bytes key = RandomBytes(random, 16);
        const Bytes iv = RandomBytes(random, 16);
        const std::size_t firstBytes = 16 * (1 + random() % 128);
        const std::size_t secondBytes = 16 * (1 + random() % 128);
        const Bytes plaintext = RandomBytes(random, firstBytes + secondBytes);
        const Bytes expected = EvpCbc(ours.evpName, true, key, iv, plaintext);
        SCOPED_TRACE("trial " + std::to_string(trial));

        Bytes buffer = plaintext;
        Bytes chain = iv;
        ours.crypt(true, key, chain.data(), buffer.data(), buffer.data(), firstBytes);
        ours.crypt(true, key, chain.data(), buffer.data() + firstBytes, buffer.data() + firstBytes,
                   secondBytes);
        EXPECT_EQ(buffer, expected);

        chain = iv;
        ours.crypt(false, key, chain.data(), buffer.data(), buffer.data(), firstBytes);
        ours.crypt(false, key, chain.data(), buffer.data() + firstBytes, buffer.data() + firstBytes,
                   secondBytes);
        EXPECT_EQ(buffer, plaintext);
    }
}

INSTANTIATE_TEST_SUITE_P(OurCiphers, CbcAgainstOpenSsl,
                         testing::Values(OurCbc{"Sm4", "SM4-CBC", Sm4Cbc},
                                         OurCbc{"Seed", "SEED-CBC", SeedCbc}),
                         [](const testing::TestParamInfo<OurCbc>& info) { return info.param.name; });

// The document format rebuilt with OpenSSL alone: the verifier is SHA-512 of
// the password, the IV its first 16 bytes, and the key comes from the
// zero-filled 512-byte key block.
struct FormatCase {
    const char* identifier;
    const char* evpName;
};

Bytes OracleKey(const std::string& identifier, const std::string& password) {
    Bytes keyBlock(512, 0);
    std::copy_n(password.begin(), std::min<std::size_t>(password.size(), 512), keyBlock.begin());
    if (identifier == "SM4") return EvpDigest("MD5", keyBlock);
    if (identifier == "SEED") {
        const Bytes digest = EvpDigest("SHA256", keyBlock);
        return Bytes(digest.begin(), digest.begin() + 16);
    }
    return Bytes(keyBlock.begin(), keyBlock.begin() + 32);
}

class DocumentFormatAgainstOpenSsl : public testing::TestWithParam<FormatCase> {};

TEST_P(DocumentFormatAgainstOpenSsl, SealedResourcesDecryptWithOracleKeyAndIv) {
    const FormatCase& format = GetParam();
    std::mt19937 random(RunSeed() + 2);
    for (std::size_t passwordBytes : {1u, 5u, 31u, 32u, 33u, 511u, 512u, 513u, 600u}) {
        std::string password;
        for (std::size_t i = 0; i < passwordBytes; ++i) password += static_cast<char>(1 + random() % 255);
        std::string text;
        const std::size_t textBytes = random() % 300;
        for (std::size_t i = 0; i < textBytes; ++i) text += static_cast<char>(1 + random() % 255);
        SCOPED_TRACE("password of " + std::to_string(passwordBytes) + " bytes, text of " +
                     std::to_string(textBytes));

        const std::optional<SealedDocument> sealed = SealDocument(text, password, format.identifier);
        ASSERT_TRUE(sealed.has_value());
        EXPECT_EQ(sealed->hmac, EvpDigest("SHA512", Bytes(password.begin(), password.end())));
        // The first 16 bytes of "HMAC" are the IV.
        const Bytes iv(sealed->hmac.begin(), sealed->hmac.begin() + 16);
        const Bytes key = OracleKey(format.identifier, password);

        Bytes zeroFilled(text.begin(), text.end());
        zeroFilled.resize(std::max<std::size_t>(16, (text.size() + 15) / 16 * 16), 0);
        EXPECT_EQ(EvpCbc(format.evpName, false, key, iv, sealed->data), zeroFilled);

        // And the other way round: OpenSSL's ciphertext unseals to the text.
        const Bytes oracleData = EvpCbc(format.evpName, true, key, iv, zeroFilled);
        EXPECT_EQ(UnsealDocumentData(oracleData.data(), oracleData.size(), password, format.identifier),
                  text);
    }
}

INSTANTIATE_TEST_SUITE_P(Ciphers, DocumentFormatAgainstOpenSsl,
                         testing::Values(FormatCase{"AES", "AES-256-CBC"},
                                         FormatCase{"CAMELLIA", "CAMELLIA-256-CBC"},
                                         FormatCase{"SM4", "SM4-CBC"}, FormatCase{"SEED", "SEED-CBC"}),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                             return info.param.identifier;
                         });

}  // namespace
