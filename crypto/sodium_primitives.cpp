#include "crypto/sodium_primitives.h"

#include <limits>
#include <utility>

#include <sodium.h>

extern "C" {
#include "argon2.h"
}

bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

void RandomBytes(unsigned char* bytes, std::size_t length) {
    SodiumReady();
    randombytes_buf(bytes, length);
}

void WipeBytes(void* bytes, std::size_t length) { sodium_memzero(bytes, length); }

// sodium_malloc places the key between guard pages and locks it; its free
// wipes and unlocks it.
SecretKey::SecretKey() : m_bytes(SodiumReady() ? static_cast<unsigned char*>(sodium_malloc(kAeadKeyBytes)) : nullptr) {}

SecretKey::~SecretKey() { sodium_free(m_bytes); }

SecretKey::SecretKey(SecretKey&& other) noexcept : m_bytes(std::exchange(other.m_bytes, nullptr)) {}

SecretKey& SecretKey::operator=(SecretKey&& other) noexcept {
    std::swap(m_bytes, other.m_bytes);
    return *this;
}

bool KeysEqual(const SecretKey& a, const SecretKey& b) {
    return a.valid() && b.valid() && sodium_memcmp(a.data(), b.data(), SecretKey::size()) == 0;
}

// crypto_pwhash fixes one lane and takes neither a secret nor associated
// data; the derivation calls the Argon2 core it runs on directly, so that the
// lanes stored with a note are the lanes it is derived with.
std::optional<SecretKey> DeriveArgon2idKey(std::string_view password, const unsigned char* salt,
                                           std::size_t saltBytes, const Argon2idCost& cost,
                                           std::string_view secret, std::string_view associatedData) {
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
    if (password.size() > limit || saltBytes > limit || secret.size() > limit || associatedData.size() > limit)
        return std::nullopt;
    SecretKey key;
    if (!key.valid())
        return std::nullopt;
    argon2_context context{};
    context.out = key.data();
    context.outlen = static_cast<std::uint32_t>(key.size());
    context.pwd = reinterpret_cast<uint8_t*>(const_cast<char*>(password.data()));
    context.pwdlen = static_cast<std::uint32_t>(password.size());
    context.salt = const_cast<uint8_t*>(salt);
    context.saltlen = static_cast<std::uint32_t>(saltBytes);
    context.secret = reinterpret_cast<uint8_t*>(const_cast<char*>(secret.data()));
    context.secretlen = static_cast<std::uint32_t>(secret.size());
    context.ad = reinterpret_cast<uint8_t*>(const_cast<char*>(associatedData.data()));
    context.adlen = static_cast<std::uint32_t>(associatedData.size());
    context.t_cost = cost.passes;
    context.m_cost = cost.memoryKiB;
    context.lanes = cost.lanes;
    context.threads = cost.lanes;
    context.flags = ARGON2_DEFAULT_FLAGS;
    if (argon2_ctx(&context, Argon2_id) != ARGON2_OK)
        return std::nullopt;
    return key;
}

std::vector<unsigned char> AeadSeal(const SecretKey& key, const unsigned char nonce[kAeadNonceBytes],
                                    const unsigned char* associatedData, std::size_t associatedBytes,
                                    const unsigned char* plaintext, std::size_t plaintextBytes) {
    SodiumReady();
    std::vector<unsigned char> sealed(plaintextBytes + kAeadTagBytes);
    unsigned long long sealedBytes = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(sealed.data(), &sealedBytes, plaintext, plaintextBytes,
                                               associatedData, associatedBytes, nullptr, nonce, key.data());
    return sealed;
}

bool AeadOpen(const SecretKey& key, const unsigned char nonce[kAeadNonceBytes],
              const unsigned char* associatedData, std::size_t associatedBytes, const unsigned char* sealed,
              std::size_t sealedBytes, unsigned char* plaintext) {
    SodiumReady();
    if (sealedBytes < kAeadTagBytes)
        return false;
    unsigned long long openedBytes = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(plaintext, &openedBytes, nullptr, sealed, sealedBytes,
                                                   associatedData, associatedBytes, nonce, key.data()) != 0) {
        sodium_memzero(plaintext, sealedBytes - kAeadTagBytes);
        return false;
    }
    return true;
}
