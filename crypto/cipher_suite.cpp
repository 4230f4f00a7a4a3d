// CBC with AES-256 (FIPS 197) and Camellia-256 (RFC 3713) from Mbed TLS and
// with our SM4 (GB/T 32907-2016) and SEED (RFC 4269). Checked through the
// document tests and, for all four, against OpenSSL's ciphers.
#include "crypto/cipher_suite.h"

#include <cstdint>
#include <cstring>

#include "crypto/mbedtls_suite.h"
#include "crypto/seed.h"
#include "crypto/sm4.h"
#include "crypto/wipe.h"

namespace {

bool IsWholeBlocks(std::size_t length) {
    return length != 0 && length % 16 == 0;
}

// Each cipher's CBC over whole blocks: encryption in place, decryption from
// input to output. Key schedules are wiped when they go.
struct CbcFunctions {
    bool (*encryptInPlace)(const unsigned char* key, unsigned char iv[16], unsigned char* buffer, std::size_t length);
    bool (*decrypt)(const unsigned char* key, unsigned char iv[16], const unsigned char* input, unsigned char* output,
                    std::size_t length);
};

bool AesEncrypt(const unsigned char* key, unsigned char iv[16], unsigned char* buffer, std::size_t length) {
    return Aes256CbcEncrypt(key, length, iv, buffer, buffer) == 0;
}

bool AesDecrypt(const unsigned char* key, unsigned char iv[16], const unsigned char* input, unsigned char* output,
                std::size_t length) {
    return Aes256CbcDecrypt(key, length, iv, input, output) == 0;
}

bool CamelliaEncrypt(const unsigned char* key, unsigned char iv[16], unsigned char* buffer, std::size_t length) {
    return Camellia256CbcEncrypt(key, length, iv, buffer, buffer) == 0;
}

bool CamelliaDecrypt(const unsigned char* key, unsigned char iv[16], const unsigned char* input,
                     unsigned char* output, std::size_t length) {
    return Camellia256CbcDecrypt(key, length, iv, input, output) == 0;
}

bool Sm4Encrypt(const unsigned char* key, unsigned char iv[16], unsigned char* buffer, std::size_t length) {
    Sm4Context context;
    WipeOnExit wipeContext(&context, sizeof context);
    Sm4SetEncryptKey(context, key);
    Sm4CryptCbc(context, kSm4Encrypt, length, iv, buffer, buffer);
    return true;
}

bool Sm4Decrypt(const unsigned char* key, unsigned char iv[16], const unsigned char* input, unsigned char* output,
                std::size_t length) {
    Sm4Context context;
    WipeOnExit wipeContext(&context, sizeof context);
    Sm4SetDecryptKey(context, key);
    Sm4CryptCbc(context, kSm4Decrypt, length, iv, input, output);
    return true;
}

bool SeedEncrypt(const unsigned char* key, unsigned char iv[16], unsigned char* buffer, std::size_t length) {
    std::uint32_t subkeys[32];
    WipeOnExit wipeSubkeys(subkeys, sizeof subkeys);
    SeedKeySchedule(key, subkeys);
    SeedCbcEncrypt(buffer, buffer, length, iv, subkeys);
    return true;
}

bool SeedDecrypt(const unsigned char* key, unsigned char iv[16], const unsigned char* input, unsigned char* output,
                 std::size_t length) {
    // SEED decryption overwrites its input, so it runs in place on the copy.
    std::uint32_t subkeys[32];
    WipeOnExit wipeSubkeys(subkeys, sizeof subkeys);
    SeedKeySchedule(key, subkeys);
    std::memcpy(output, input, length);
    SeedCbcDecrypt(output, output, length, iv, subkeys);
    return true;
}

// In the order of Cipher.
constexpr CbcFunctions kCbcFunctions[] = {
    {AesEncrypt, AesDecrypt}, {CamelliaEncrypt, CamelliaDecrypt}, {Sm4Encrypt, Sm4Decrypt}, {SeedEncrypt, SeedDecrypt}};
static_assert(static_cast<std::size_t>(Cipher::Aes) == 0 && static_cast<std::size_t>(Cipher::Seed) == 3,
              "one entry per cipher, in the order of Cipher");

const CbcFunctions* CbcFunctionsOf(Cipher cipher) {
    const auto index = static_cast<std::size_t>(cipher);
    return index < sizeof kCbcFunctions / sizeof kCbcFunctions[0] ? &kCbcFunctions[index] : nullptr;
}

}  // namespace

bool CbcEncryptInPlace(Cipher cipher, const unsigned char* key, unsigned char iv[16], unsigned char* buffer,
                       std::size_t length) {
    const CbcFunctions* functions = CbcFunctionsOf(cipher);
    return IsWholeBlocks(length) && functions != nullptr && functions->encryptInPlace(key, iv, buffer, length);
}

bool CbcDecrypt(Cipher cipher, const unsigned char* key, unsigned char iv[16], const unsigned char* input,
                unsigned char* output, std::size_t length) {
    const CbcFunctions* functions = CbcFunctionsOf(cipher);
    return IsWholeBlocks(length) && functions != nullptr && functions->decrypt(key, iv, input, output, length);
}
