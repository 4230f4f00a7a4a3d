#include "store/resource_changes.h"

#include <algorithm>

std::vector<ResourceEntry> ApplyResourceChanges(std::vector<ResourceEntry> entries,
                                                const std::vector<ResourceChange>& changes) {
    for (const ResourceChange& change : changes) {
        const auto existing = std::find_if(entries.begin(), entries.end(),
                                           [&](const ResourceEntry& entry) { return entry.key == change.key; });
        if (!change.bytes) {
            if (existing != entries.end()) entries.erase(existing);
        } else if (existing != entries.end()) {
            existing->bytes = *change.bytes;
            existing->codePage = 0;
        } else {
            entries.push_back({change.key, *change.bytes, 0});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const ResourceEntry& left, const ResourceEntry& right) { return left.key < right.key; });
    return entries;
}
