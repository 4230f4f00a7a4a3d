// Where a note lives in a program image: three entries of type "PACKET",
// named "HMAC" (the password verifier), "DATA" (the sealed text) and "TYPE"
// (the cipher identifier). Written in language 0; found in any language, as
// the program's own lookup finds them.
#pragma once

#include <array>
#include <vector>

#include "crypto/document.h"
#include "store/resource_changes.h"
#include "store/resource_entry.h"

inline constexpr char kNoteType[] = "PACKET";
inline constexpr char kVerifierEntry[] = "HMAC";
inline constexpr char kSealedTextEntry[] = "DATA";
inline constexpr char kCipherEntry[] = "TYPE";
inline constexpr std::array<const char*, 3> kNoteEntryNames = {kVerifierEntry, kSealedTextEntry, kCipherEntry};

// The key a note entry is written under.
ResourceKey NoteEntryKey(const char* name);
// One of the three entries, in any language.
bool IsNoteEntry(const ResourceKey& key);

// Each entry's name beside the bytes sealed puts there.
struct SealedEntry {
    const char* name;
    const std::vector<unsigned char>* bytes;
};
std::array<SealedEntry, 3> SealedEntries(const SealedDocument& sealed);

// Changes that write sealed's entries.
std::vector<ResourceChange> PutNoteEntries(const SealedDocument& sealed);
// Changes that remove every note entry resources holds, in whatever language,
// so a rewritten image keeps no second copy of an older note.
std::vector<ResourceChange> RemoveNoteEntries(const std::vector<ResourceEntry>& resources);
