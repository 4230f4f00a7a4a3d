// Where a note lives in a program image: entries of type "PACKET", named as
// its format names them (the legacy format: "HMAC", "DATA" and "TYPE").
// Written in language 0; found in any language, as the program's own lookup
// finds them.
#pragma once

#include <vector>

#include "crypto/note_format.h"
#include "store/resource_changes.h"
#include "store/resource_entry.h"

inline constexpr char kNoteType[] = "PACKET";

// The key a note entry is written under.
ResourceKey NoteEntryKey(const std::string& name);
// An entry of some format's note or one of its kept versions, in any
// language.
bool IsNoteEntry(const ResourceKey& key);

// Changes that write sealed's entries.
std::vector<ResourceChange> PutNoteEntries(const SealedNote& sealed);
// Changes that remove every note entry resources holds, in whatever language,
// so a rewritten image keeps no second copy of an older note.
std::vector<ResourceChange> RemoveNoteEntries(const std::vector<ResourceEntry>& resources);
