// The ciphers and digests that come from Mbed TLS: AES-256 (FIPS 197) and
// Camellia-256 (RFC 3713) in CBC mode, one-shot SHA-512, SHA-256
// (FIPS 180-4) and MD5 (RFC 1321), and HMAC-SHA-256 (RFC 2104).
#pragma once

#include <cstddef>

inline constexpr std::size_t kSha512Bytes = 64;
inline constexpr std::size_t kSha256Bytes = 32;
inline constexpr std::size_t kMd5Bytes = 16;

void Sha512(const unsigned char* input, std::size_t length, unsigned char digest[kSha512Bytes]);
void Sha256(const unsigned char* input, std::size_t length, unsigned char digest[kSha256Bytes]);
void Md5(const unsigned char* input, std::size_t length, unsigned char digest[kMd5Bytes]);

// HMAC-SHA-256 of input under a key of any length; the padded keys and the
// inner digest are wiped.
void HmacSha256(const unsigned char* key, std::size_t keyLength, const unsigned char* input, std::size_t length,
                unsigned char mac[kSha256Bytes]);
// Whether two digests are equal, taking the same time wherever they differ,
// so that a comparison tells nothing about how much of a digest matched.
bool DigestsEqual(const unsigned char* a, const unsigned char* b, std::size_t length);

// One CBC operation each, on a context of its own: initialise, set the 256-bit
// key (for encryption or for decryption), CBC, free (which wipes the context).
// iv is advanced in place to the last ciphertext block; input and output may
// be the same buffer. The result is the library's: 0, or its invalid-length
// error with output and iv untouched when length is not a multiple of 16.
int Aes256CbcEncrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                     const unsigned char* input, unsigned char* output);
int Aes256CbcDecrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                     const unsigned char* input, unsigned char* output);
int Camellia256CbcEncrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                          const unsigned char* input, unsigned char* output);
int Camellia256CbcDecrypt(const unsigned char key[32], std::size_t length, unsigned char iv[16],
                          const unsigned char* input, unsigned char* output);
