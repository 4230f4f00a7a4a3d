// Verifier, IV and cipher keys from the password with SHA-512, SHA-256
// (FIPS 180-4) and MD5 (RFC 1321). There are no published vectors for these
// rules; the tests rebuild them with OpenSSL's digests.
#include "crypto/key_material.h"

#include <algorithm>
#include <cstring>

#include "crypto/mbedtls_suite.h"
#include "crypto/wipe.h"

namespace {

const unsigned char* Bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

void DeriveVerifier(std::string_view password, unsigned char verifier[kVerifierBytes]) {
    Sha512(Bytes(password), password.size(), verifier);
}

void DeriveIv(std::string_view password, unsigned char iv[kIvBytes]) {
    unsigned char verifier[kVerifierBytes];
    WipeOnExit wipeVerifier(verifier, sizeof verifier);
    DeriveVerifier(password, verifier);
    std::memcpy(iv, verifier, kIvBytes);
}

std::size_t DeriveCipherKey(Cipher cipher, std::string_view password, unsigned char key[kMaxCipherKeyBytes]) {
    unsigned char keyBlock[kKeyBlockBytes] = {};
    WipeOnExit wipeKeyBlock(keyBlock, sizeof keyBlock);
    std::copy_n(password.data(), std::min(password.size(), kKeyBlockBytes), keyBlock);

    switch (cipher) {
        case Cipher::Aes:
        case Cipher::Camellia:
            std::memcpy(key, keyBlock, 32);
            return 32;
        case Cipher::Sm4:
            Md5(keyBlock, sizeof keyBlock, key);
            return kMd5Bytes;
        case Cipher::Seed: {
            unsigned char digest[kSha256Bytes];
            WipeOnExit wipeDigest(digest, sizeof digest);
            Sha256(keyBlock, sizeof keyBlock, digest);
            std::memcpy(key, digest, 16);
            return 16;
        }
    }
    return 0;
}
