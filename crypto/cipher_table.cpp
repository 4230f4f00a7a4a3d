// Look-ups in the cipher table.
#include "crypto/cipher_table.h"

#include <cstring>

const CipherEntry* FindCipher(std::string_view identifier) {
    for (const CipherEntry& entry : kCipherTable) {
        if (identifier == entry.identifier) return &entry;
    }
    return nullptr;
}

std::string_view CipherIdentifierFromDisplayName(std::string_view displayName) {
    for (const CipherEntry& entry : kCipherTable) {
        if (displayName == entry.displayName) return entry.identifier;
    }
    return {};
}

std::string_view CipherIdentifierFromType(const unsigned char* type, std::size_t typeBytes) {
    if (typeBytes == 0) return {};
    const void* zero = std::memchr(type, 0, typeBytes);
    const std::size_t textBytes =
        zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - type) : typeBytes;
    const std::string_view text(reinterpret_cast<const char*>(type), textBytes);
    for (const CipherEntry& entry : kCipherTable) {
        if (text.substr(0, std::strlen(entry.identifier)) == entry.identifier) return entry.identifier;
    }
    return {};
}
