// The four ciphers a document can be sealed with: the identifier stored in
// "TYPE" and held by the application, and the display name the
// new-password dialog lists.
#pragma once

#include <cstddef>
#include <string_view>

enum class Cipher { Aes, Camellia, Sm4, Seed };

struct CipherEntry {
    Cipher cipher;
    const char* identifier;  // upper-case ASCII; none is a prefix of another
    const char* displayName;
};

// In the order the dialog adds the display names.
inline constexpr CipherEntry kCipherTable[] = {
    {Cipher::Aes, "AES", "AES-256-CBC"},
    {Cipher::Camellia, "CAMELLIA", "Camellia-256-CBC"},
    {Cipher::Sm4, "SM4", "SM4-128-CBC"},
    {Cipher::Seed, "SEED", "SEED-128-CBC"},
};

// The entry whose identifier equals identifier exactly, or null.
const CipherEntry* FindCipher(std::string_view identifier);

// The identifier of the entry whose display name equals displayName exactly,
// or an empty view.
std::string_view CipherIdentifierFromDisplayName(std::string_view displayName);

// The identifier selected by the bytes of a "TYPE" resource: the bytes, ending
// early at a zero byte, are read as a text, and the first identifier (in table
// order) with which that text begins is taken; case matters. An empty view
// when none matches.
std::string_view CipherIdentifierFromType(const unsigned char* type, std::size_t typeBytes);
