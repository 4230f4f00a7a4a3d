#include "note/note_entries.h"

#include <algorithm>

ResourceKey NoteEntryKey(const char* name) {
    return {ResourceId::Name(kNoteType), ResourceId::Name(name), 0};
}

bool IsNoteEntry(const ResourceKey& key) {
    return key.type == ResourceId::Name(kNoteType) &&
           std::any_of(kNoteEntryNames.begin(), kNoteEntryNames.end(),
                       [&](const char* name) { return key.name == ResourceId::Name(name); });
}

std::array<SealedEntry, 3> SealedEntries(const SealedDocument& sealed) {
    return {{{kVerifierEntry, &sealed.hmac}, {kSealedTextEntry, &sealed.data}, {kCipherEntry, &sealed.type}}};
}

std::vector<ResourceChange> PutNoteEntries(const SealedDocument& sealed) {
    std::vector<ResourceChange> changes;
    for (const SealedEntry& entry : SealedEntries(sealed)) changes.push_back({NoteEntryKey(entry.name), *entry.bytes});
    return changes;
}

std::vector<ResourceChange> RemoveNoteEntries(const std::vector<ResourceEntry>& resources) {
    std::vector<ResourceChange> changes;
    for (const ResourceEntry& entry : resources) {
        if (IsNoteEntry(entry.key)) changes.push_back({entry.key, std::nullopt});
    }
    return changes;
}
