#include "note/note_entries.h"

#include <algorithm>

#include "crypto/note_history.h"

ResourceKey NoteEntryKey(const std::string& name) {
    return {ResourceId::Name(kNoteType), ResourceId::Name(name.c_str()), 0};
}

bool IsNoteEntry(const ResourceKey& key) {
    const std::vector<std::string>& names = AllNoteEntryNames();
    if (key.type != ResourceId::Name(kNoteType)) return false;
    for (std::size_t number = 1; number <= kKeptVersionLimit; ++number) {
        if (key.name == ResourceId::Name(KeptVersionName(number).c_str())) return true;
    }
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) { return key.name == ResourceId::Name(name.c_str()); });
}

std::vector<ResourceChange> PutNoteEntries(const SealedNote& sealed) {
    std::vector<ResourceChange> changes;
    for (const NoteEntry& entry : sealed)
        changes.push_back({NoteEntryKey(entry.name), entry.bytes});
    return changes;
}

std::vector<ResourceChange> RemoveNoteEntries(const std::vector<ResourceEntry>& resources) {
    std::vector<ResourceChange> changes;
    for (const ResourceEntry& entry : resources) {
        if (IsNoteEntry(entry.key)) changes.push_back({entry.key, std::nullopt});
    }
    return changes;
}
