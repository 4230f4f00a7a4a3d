// A batch of changes to an image's resources, applied all at once.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "store/resource_entry.h"

// Puts bytes under key (adding the entry or replacing its bytes), or with no
// bytes deletes the entry; deleting an entry that is absent changes nothing.
struct ResourceChange {
    ResourceKey key;
    std::optional<std::vector<std::uint8_t>> bytes;
};

// entries with the changes applied in order, sorted by key. A replaced
// entry's code page becomes 0, as for a new one.
std::vector<ResourceEntry> ApplyResourceChanges(std::vector<ResourceEntry> entries,
                                                const std::vector<ResourceChange>& changes);
