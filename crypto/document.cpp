// Sealing and unsealing of the embedded document and the verifier check.
// There are no published vectors for the format; the tests check it against
// one rebuilt from OpenSSL's digests and ciphers.
#include "crypto/document.h"

#include <algorithm>
#include <cstring>

#include "crypto/cipher_suite.h"
#include "crypto/legacy_format.h"
#include "crypto/key_material.h"
#include "crypto/wipe.h"

namespace {

// L: no extra block for a text that fills its last one, one block of zero
// bytes for an empty text.
std::size_t SealedDataBytes(std::size_t textBytes) {
    return textBytes <= 16 ? 16 : (textBytes + 15) / 16 * 16;
}

// The legacy choice with this identifier; null for any other.
const NoteChoice* LegacyChoice(std::string_view identifier) {
    const NoteChoice* choice = FindNoteChoice(identifier);
    return choice != nullptr && choice->format == &LegacyFormat() ? choice : nullptr;
}

}  // namespace

std::optional<SealedDocument> SealDocument(std::string_view text, std::string_view password,
                                           std::string_view cipherIdentifier) {
    const NoteChoice* entry = LegacyChoice(cipherIdentifier);
    if (entry == nullptr || password.empty()) return std::nullopt;

    // Everything is allocated before the text is copied, so no exception can
    // leave a plaintext copy behind.
    SealedDocument sealed;
    sealed.type.assign(entry->identifier, entry->identifier + std::strlen(entry->identifier));
    sealed.hmac.resize(kVerifierBytes);
    sealed.data.resize(SealedDataBytes(text.size()));
    std::copy(text.begin(), text.end(), sealed.data.begin());

    DeriveVerifier(password, sealed.hmac.data());
    unsigned char iv[kIvBytes];
    WipeOnExit wipeIv(iv, sizeof iv);
    std::memcpy(iv, sealed.hmac.data(), kIvBytes);
    unsigned char key[kMaxCipherKeyBytes];
    WipeOnExit wipeKey(key, sizeof key);
    DeriveCipherKey(entry->cipher, password, key);

    if (!CbcEncryptInPlace(entry->cipher, key, iv, sealed.data.data(), sealed.data.size())) {
        mbedtls_platform_zeroize(sealed.data.data(), sealed.data.size());
        return std::nullopt;
    }
    return sealed;
}

bool PasswordMatchesVerifier(std::string_view password, const unsigned char* hmac, std::size_t hmacBytes) {
    if (hmacBytes > kVerifierBytes) return false;
    unsigned char verifier[kVerifierBytes];
    WipeOnExit wipeVerifier(verifier, sizeof verifier);
    DeriveVerifier(password, verifier);
    // No early exit, so the time taken does not tell how many bytes matched.
    unsigned char difference = 0;
    for (std::size_t i = 0; i < hmacBytes; ++i) difference |= verifier[i] ^ hmac[i];
    return difference == 0;
}

std::string UnsealDocumentData(const unsigned char* data, std::size_t dataBytes, std::string_view password,
                               std::string_view cipherIdentifier) {
    const NoteChoice* entry = LegacyChoice(cipherIdentifier);
    if (entry == nullptr) return {};

    // Decrypted straight into the text's own storage: no other plaintext copy.
    std::string text(dataBytes, '\0');
    unsigned char iv[kIvBytes];
    WipeOnExit wipeIv(iv, sizeof iv);
    DeriveIv(password, iv);
    unsigned char key[kMaxCipherKeyBytes];
    WipeOnExit wipeKey(key, sizeof key);
    DeriveCipherKey(entry->cipher, password, key);

    unsigned char* plaintext = reinterpret_cast<unsigned char*>(&text[0]);
    if (!CbcDecrypt(entry->cipher, key, iv, data, plaintext, dataBytes)) return {};

    const std::size_t textBytes = std::min(text.find('\0'), dataBytes);
    mbedtls_platform_zeroize(plaintext + textBytes, dataBytes - textBytes);
    text.resize(textBytes);
    return text;
}
