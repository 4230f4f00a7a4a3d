// SEED block cipher (RFC 4269) with a CBC mode of operation.
#pragma once

#include <cstddef>
#include <cstdint>

// The key schedule of the RFC: subkeys[2i] and subkeys[2i + 1] are K(i+1),0
// and K(i+1),1 of round i + 1.
void SeedKeySchedule(const unsigned char key[16], std::uint32_t subkeys[32]);

// One block in place: the 16 Feistel rounds, forwards or with the round keys
// taken in reverse round order.
void SeedEncryptBlock(unsigned char block[16], const std::uint32_t subkeys[32]);
void SeedDecryptBlock(unsigned char block[16], const std::uint32_t subkeys[32]);

// CBC. Both do nothing at all (output and iv untouched) unless length is a
// positive multiple of 16. iv is advanced in place to the last ciphertext
// block, so consecutive calls continue one chain; input and output may be the
// same buffer.
void SeedCbcEncrypt(const unsigned char* input, unsigned char* output, std::size_t length,
                    unsigned char iv[16], const std::uint32_t subkeys[32]);

// Decryption leaves the raw block decryptions (before the XOR with the
// chaining value) in input, so input must be writable; callers decrypt in
// place on a copy.
void SeedCbcDecrypt(unsigned char* input, unsigned char* output, std::size_t length, unsigned char iv[16],
                    const std::uint32_t subkeys[32]);
