// The legacy note format: three entries, "HMAC" (SHA-512 of the password,
// its verifier), "DATA" (the text in CBC under a key and IV made from the
// password) and "TYPE" (the cipher's identifier), as crypto/document.h seals
// and unseals them.
#pragma once

#include "crypto/document.h"
#include "crypto/note_format.h"

inline constexpr char kVerifierEntry[] = "HMAC";
inline constexpr char kSealedTextEntry[] = "DATA";
inline constexpr char kCipherEntry[] = "TYPE";

const NoteFormat& LegacyFormat();

// A sealed document as the entries it is stored as.
SealedNote LegacyEntries(const SealedDocument& sealed);

// The identifier selected by the bytes of a "TYPE" entry: the bytes, ending
// early at a zero byte, are read as a text, and the first identifier (in
// table order) of a legacy choice with which that text begins is taken; case
// matters. Null when none matches.
const NoteChoice* LegacyChoiceFromType(const unsigned char* type, std::size_t typeBytes);
