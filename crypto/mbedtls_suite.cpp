// Binding to Mbed TLS 2.28 for AES-256-CBC (FIPS 197), Camellia-256-CBC
// (RFC 3713), SHA-512 and SHA-256 (FIPS 180-4) and MD5 (RFC 1321), and
// HMAC-SHA-256 (RFC 2104) built on its SHA-256.
// Test vectors: FIPS 197 Appendix C.3, the 256-bit example of RFC 3713, the
// digests of "abc" from FIPS 180-4 and RFC 1321, and RFC 4231 for the HMAC.
#include "crypto/mbedtls_suite.h"

#include <cstring>

#include "mbedtls/aes.h"
#include "mbedtls/camellia.h"
#include "mbedtls/md5.h"
#include "mbedtls/platform_util.h"
#include "mbedtls/sha256.h"
#include "mbedtls/sha512.h"

namespace {

// The lifecycle functions of one Mbed TLS block cipher.
template <typename Context>
struct CbcCipher {
    void (*init)(Context*);
    int (*setKey)(Context*, const unsigned char*, unsigned int);
    int (*crypt)(Context*, int, std::size_t, unsigned char*, const unsigned char*, unsigned char*);
    void (*free)(Context*);
};

constexpr CbcCipher<mbedtls_aes_context> kAesEncrypt{mbedtls_aes_init, mbedtls_aes_setkey_enc,
                                                     mbedtls_aes_crypt_cbc, mbedtls_aes_free};
constexpr CbcCipher<mbedtls_aes_context> kAesDecrypt{mbedtls_aes_init, mbedtls_aes_setkey_dec,
                                                     mbedtls_aes_crypt_cbc, mbedtls_aes_free};
constexpr CbcCipher<mbedtls_camellia_context> kCamelliaEncrypt{
    mbedtls_camellia_init, mbedtls_camellia_setkey_enc, mbedtls_camellia_crypt_cbc, mbedtls_camellia_free};
constexpr CbcCipher<mbedtls_camellia_context> kCamelliaDecrypt{
    mbedtls_camellia_init, mbedtls_camellia_setkey_dec, mbedtls_camellia_crypt_cbc, mbedtls_camellia_free};

template <typename Context>
int RunCbc(const CbcCipher<Context>& cipher, int mode, const unsigned char key[32], std::size_t length,
           unsigned char iv[16], const unsigned char* input, unsigned char* output) {
    Context context;
    cipher.init(&context);
    int result = cipher.setKey(&context, key, 256);
    if (result == 0) result = cipher.crypt(&context, mode, length, iv, input, output);
    cipher.free(&context);
    return result;
}

}  // namespace

// The digests, one-shot or streamed, fail only with hardware back ends,
// which this build does not configure, so their results carry no
// information here.
void Sha512(const unsigned char* input, std::size_t length, unsigned char digest[kSha512Bytes]) {
    (void)mbedtls_sha512_ret(input, length, digest, 0);
}

void Sha256(const unsigned char* input, std::size_t length, unsigned char digest[kSha256Bytes]) {
    (void)mbedtls_sha256_ret(input, length, digest, 0);
}

void Md5(const unsigned char* input, std::size_t length, unsigned char digest[kMd5Bytes]) {
    (void)mbedtls_md5_ret(input, length, digest);
}

void HmacSha256(const unsigned char* key, std::size_t keyLength, const unsigned char* input, std::size_t length,
                unsigned char mac[kSha256Bytes]) {
    constexpr std::size_t kBlockBytes = 64;
    unsigned char innerPad[kBlockBytes] = {};
    unsigned char outerPad[kBlockBytes] = {};
    unsigned char inner[kSha256Bytes];
    // A key longer than a block is replaced by its digest.
    if (keyLength > kBlockBytes)
        Sha256(key, keyLength, innerPad);
    else if (keyLength > 0)
        std::memcpy(innerPad, key, keyLength);
    for (std::size_t i = 0; i < kBlockBytes; ++i) {
        outerPad[i] = static_cast<unsigned char>(innerPad[i] ^ 0x5c);
        innerPad[i] = static_cast<unsigned char>(innerPad[i] ^ 0x36);
    }
    mbedtls_sha256_context context;
    mbedtls_sha256_init(&context);
    (void)mbedtls_sha256_starts_ret(&context, 0);
    (void)mbedtls_sha256_update_ret(&context, innerPad, kBlockBytes);
    (void)mbedtls_sha256_update_ret(&context, input, length);
    (void)mbedtls_sha256_finish_ret(&context, inner);
    (void)mbedtls_sha256_starts_ret(&context, 0);
    (void)mbedtls_sha256_update_ret(&context, outerPad, kBlockBytes);
    (void)mbedtls_sha256_update_ret(&context, inner, kSha256Bytes);
    (void)mbedtls_sha256_finish_ret(&context, mac);
    mbedtls_sha256_free(&context);
    mbedtls_platform_zeroize(innerPad, sizeof innerPad);
    mbedtls_platform_zeroize(outerPad, sizeof outerPad);
    mbedtls_platform_zeroize(inner, sizeof inner);
}

bool DigestsEqual(const unsigned char* a, const unsigned char* b, std::size_t length) {
    // Volatile, so that the optimiser cannot stop at the first difference.
    volatile unsigned char differences = 0;
    for (std::size_t i = 0; i < length; ++i)
        differences = static_cast<unsigned char>(differences | (a[i] ^ b[i]));
    return differences == 0;
}

int Aes256CbcEncrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                     const unsigned char* input, unsigned char* output) {
    return RunCbc(kAesEncrypt, MBEDTLS_AES_ENCRYPT, key, length, iv, input, output);
}

int Aes256CbcDecrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                     const unsigned char* input, unsigned char* output) {
    return RunCbc(kAesDecrypt, MBEDTLS_AES_DECRYPT, key, length, iv, input, output);
}

int Camellia256CbcEncrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                          const unsigned char* input, unsigned char* output) {
    return RunCbc(kCamelliaEncrypt, MBEDTLS_CAMELLIA_ENCRYPT, key, length, iv, input, output);
}

int Camellia256CbcDecrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                          const unsigned char* input, unsigned char* output) {
    return RunCbc(kCamelliaDecrypt, MBEDTLS_CAMELLIA_DECRYPT, key, length, iv, input, output);
}
