// CBC encryption and decryption with any of the four ciphers, each with its
// own key set-up: the one place where the document code meets the ciphers.
#pragma once

#include <cstddef>

enum class Cipher { Aes, Camellia, Sm4, Seed };

// Encrypts length bytes of buffer in place. key holds the cipher's key (32
// bytes for AES and Camellia, 16 for SM4 and SEED); iv is advanced. Returns
// false, with buffer untouched, unless length is a positive multiple of 16.
bool CbcEncryptInPlace(Cipher cipher, const unsigned char* key, unsigned char iv[16], unsigned char* buffer,
                       std::size_t length);

// Decrypts length bytes of input into output, which must not overlap input.
// Returns false, with output untouched, unless length is a positive multiple
// of 16.
bool CbcDecrypt(Cipher cipher, const unsigned char* key, unsigned char iv[16], const unsigned char* input,
                unsigned char* output, std::size_t length);
