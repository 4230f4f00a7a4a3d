// Earlier versions of a modern note, kept beside it: entries "NOTE1" (the
// newest) to "NOTE20", each sealed exactly as the note's "NOTE" entry is
// (same header layout and key, its own nonce, the save time inside being the
// time that version was saved). A save hands over the entries of the note it
// replaces and gets the entries to write with the new note; the versions it
// writes are then checked against what it meant to write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/modern_format.h"
#include "crypto/note_format.h"

inline constexpr std::size_t kKeptVersionLimit = 20;
// The bytes every kept version's entry may take together.
inline constexpr std::size_t kKeptVersionByteLimit = std::size_t{32} << 20;

// "NOTE1" for 1: the entry of the number-th newest earlier version.
std::string KeptVersionName(std::size_t number);
// True for "NOTE1" to "NOTE20" exactly; "NOTE21" or "NOTE01" are not versions.
bool IsKeptVersionName(std::string_view name);

// One present version entry, numbered as its name numbers it.
struct StoredVersion {
    std::size_t number = 0;
    StoredEntry entry;
};
// The version entries present, newest first; a gap in the numbering is
// left as it is (the numbers say where).
std::vector<StoredVersion> ListKeptVersions(const StoredEntries& entries);

// The save time and text of a version entry sealed under key; nothing for
// a damaged entry, one sealed under another key, or a key of another format.
std::optional<ModernOpening> OpenKeptVersion(const StoredEntry& entry, const HeldKey& key);

// A version as a save writes it.
struct KeptVersion {
    NoteEntry entry;     // its name and the bytes written under it
    SecretString text;   // what those bytes open to under the new key
    std::string source;  // the entry of the replaced note moved byte for byte, which opened to text
                         // under the same key; empty when sealed afresh
};

// The versions to write with a new note of newText sealed under newKey, in
// place of the note in replaced (its "NOTE" and version entries) sealed
// under oldKey. The replaced text becomes the newest version unless it is
// newText or the newest kept version's text. Versions that do not open
// under oldKey (damaged, or under a password no longer held) are dropped;
// the newest ones are kept while there are at most kKeptVersionLimit
// within kKeptVersionByteLimit. Under the same key an entry is moved as it
// is; under another key every version is sealed afresh with its own save
// time. A key of another format than the modern one keeps none.
std::vector<KeptVersion> KeepVersions(const StoredEntries& replaced, const HeldKey* oldKey, const HeldKey& newKey,
                                      std::string_view newText);

// What is wrong with the versions written, as the save checks them: each
// one must be there and open under key to its text, and, if moved, be byte
// for byte its source in replaced (of the moved ones, which all opened
// under one key, only one is opened again); no other version entry may be
// present.
// Empty when nothing is.
std::string FindKeptVersionFault(const StoredEntries& written, const std::vector<KeptVersion>& kept,
                                 const StoredEntries& replaced, const HeldKey& key);
