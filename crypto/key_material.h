// Key material of a sealed document, made afresh from the password at every
// seal and unseal: the verifier stored in "HMAC", the IV, and the cipher key
// taken from the 512-byte key block.
#pragma once

#include <cstddef>
#include <string_view>

#include "crypto/cipher_suite.h"

inline constexpr std::size_t kVerifierBytes = 64;
inline constexpr std::size_t kIvBytes = 16;
inline constexpr std::size_t kKeyBlockBytes = 512;
inline constexpr std::size_t kMaxCipherKeyBytes = 32;

// The verifier: SHA-512 of all password bytes. Its first kIvBytes are the IV
// of every cipher.
void DeriveVerifier(std::string_view password, unsigned char verifier[kVerifierBytes]);

// The first kIvBytes of the verifier.
void DeriveIv(std::string_view password, unsigned char iv[kIvBytes]);

// The cipher key, from a key block holding the first (at most 512) password
// bytes followed by zero bytes: for AES and Camellia its bytes 0 to 31, for
// SM4 the MD5 of the whole key block, for SEED the first 16 bytes of its
// SHA-256. Returns the key length (32 or 16); the key block is wiped.
std::size_t DeriveCipherKey(Cipher cipher, std::string_view password, unsigned char key[kMaxCipherKeyBytes]);
