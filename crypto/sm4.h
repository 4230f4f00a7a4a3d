// SM4 block cipher (GB/T 32907-2016) with a CBC mode of operation.
#pragma once

#include <cstddef>
#include <cstdint>

// Direction argument of Sm4CryptCbc.
inline constexpr int kSm4Encrypt = 1;
inline constexpr int kSm4Decrypt = 0;

struct Sm4Context {
    // 1 after either key set-up, which marks the context as keyed. The CBC
    // operation takes its direction as an argument and never reads it.
    std::int32_t mode;
    std::uint32_t subkeys[32];  // round keys in the order the rounds use them
};

// Key expansion of the standard: the round keys rk0..rk31 of a 16-byte key.
void Sm4SetEncryptKey(Sm4Context& context, const unsigned char key[16]);

// The encryption round keys in reverse order, which makes the same rounds decrypt.
void Sm4SetDecryptKey(Sm4Context& context, const unsigned char key[16]);

// The 32 rounds on one block; whether this encrypts or decrypts depends only
// on the order of the subkeys. input and output may be the same block.
void Sm4CryptBlock(const std::uint32_t subkeys[32], const unsigned char input[16], unsigned char output[16]);

// CBC over the whole 16-byte blocks of length bytes: direction kSm4Encrypt (1)
// encrypts, any other value decrypts, with the subkeys of the matching key
// set-up. iv is advanced in place to the last ciphertext block, so
// consecutive calls continue one chain. input and output may be the same
// buffer. A trailing partial block (length not a multiple of 16) is neither
// read nor written, and a length below 16 does nothing at all.
void Sm4CryptCbc(const Sm4Context& context, int direction, std::size_t length, unsigned char iv[16],
                 const unsigned char* input, unsigned char* output);
