// Argon2id, XChaCha20-Poly1305 (IETF), the system's random generator and
// wiping, through libsodium. Every function readies libsodium first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

inline constexpr std::size_t kAeadKeyBytes = 32;
inline constexpr std::size_t kAeadNonceBytes = 24;
inline constexpr std::size_t kAeadTagBytes = 16;

// False only when libsodium cannot start (no random generator).
bool SodiumReady();

void RandomBytes(unsigned char* bytes, std::size_t length);
// A wipe the optimiser cannot drop.
void WipeBytes(void* bytes, std::size_t length);

// A 32-byte key in memory of its own, locked against paging where the
// system allows and wiped when released.
class SecretKey {
public:
    SecretKey();
    ~SecretKey();
    SecretKey(SecretKey&& other) noexcept;
    SecretKey& operator=(SecretKey&& other) noexcept;
    SecretKey(const SecretKey&) = delete;
    SecretKey& operator=(const SecretKey&) = delete;

    // False when no memory could be had for it.
    bool valid() const { return m_bytes != nullptr; }
    unsigned char* data() { return m_bytes; }
    const unsigned char* data() const { return m_bytes; }
    static constexpr std::size_t size() { return kAeadKeyBytes; }

private:
    unsigned char* m_bytes;
};

// Whether two keys are the same bytes, in time that does not depend on where
// they differ.
bool KeysEqual(const SecretKey& a, const SecretKey& b);

struct Argon2idCost {
    std::uint32_t passes;
    std::uint32_t memoryKiB;
    std::uint32_t lanes;
};

// Argon2id version 0x13 with every input the algorithm has; secret and
// associatedData may be empty. Nothing when the inputs are out of the
// algorithm's bounds or the memory cannot be had.
std::optional<SecretKey> DeriveArgon2idKey(std::string_view password, const unsigned char* salt,
                                           std::size_t saltBytes, const Argon2idCost& cost,
                                           std::string_view secret = {}, std::string_view associatedData = {});

// XChaCha20-Poly1305: the ciphertext of plaintext followed by its tag.
std::vector<unsigned char> AeadSeal(const SecretKey& key, const unsigned char nonce[kAeadNonceBytes],
                                    const unsigned char* associatedData, std::size_t associatedBytes,
                                    const unsigned char* plaintext, std::size_t plaintextBytes);
// The plaintext of ciphertext and tag, written to plaintext (sealedBytes -
// kAeadTagBytes bytes); false, with plaintext wiped, when the tag fails.
bool AeadOpen(const SecretKey& key, const unsigned char nonce[kAeadNonceBytes],
              const unsigned char* associatedData, std::size_t associatedBytes, const unsigned char* sealed,
              std::size_t sealedBytes, unsigned char* plaintext);
