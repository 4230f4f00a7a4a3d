// The legacy format's document: the three byte strings that carry a note
// sealed with one of the four CBC ciphers, and the operations on them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SealedDocument {
    std::vector<unsigned char> hmac;  // "HMAC": the 64-byte verifier, SHA-512 of the password
    std::vector<unsigned char> data;  // "DATA": the CBC ciphertext of the zero-filled text, and nothing else
    std::vector<unsigned char> type;  // "TYPE": the cipher identifier's bytes, without a zero byte
};

// Seals text (bytes without a zero byte) under password with the legacy
// cipher named by its exact identifier ("AES", "CAMELLIA", "SM4" or "SEED"). The text is
// zero-filled to L bytes, L = 16 for at most 16 bytes and otherwise the next
// multiple of 16, and encrypted with the IV and cipher key derived from the
// password; sealing is deterministic. Gives nothing when password is empty or
// the identifier is none of the four, so a readable note is never written:
// the caller then has to obtain a new password and cipher.
std::optional<SealedDocument> SealDocument(std::string_view text, std::string_view password,
                                           std::string_view cipherIdentifier);

// The verifier check: does SHA-512 of password begin with the hmacBytes
// stored bytes? The comparison runs over the stored length only, so an empty
// "HMAC" accepts every password; one longer than the 64-byte digest never
// matches.
bool PasswordMatchesVerifier(std::string_view password, const unsigned char* hmac, std::size_t hmacBytes);

// The text sealed in "DATA": its decryption up to the first zero byte, or all
// of it when it has none (a text filling its last block). The text is empty
// for an identifier that is none of the four and for a "DATA" of size 0 or
// not a multiple of 16, which sealing never writes; those sizes are then
// neither decrypted nor read. The caller wipes the text (WipeString) once it
// has handed it on.
std::string UnsealDocumentData(const unsigned char* data, std::size_t dataBytes, std::string_view password,
                               std::string_view cipherIdentifier);
