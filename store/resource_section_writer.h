// Lays out a resource directory with its names and data as the bytes of a
// resource section.
#pragma once

#include <cstdint>
#include <vector>

#include "store/resource_entry.h"

// The section bytes for entries sorted by key with no key twice, for a
// section loaded at sectionRva (data entries hold RVAs). The layout: the
// type table, then the name tables, then the language tables, then the
// data entries, the name strings, and each entry's bytes on an 8-byte
// boundary. Throws ImageError (cannot rewrite) when a table would need more
// than 65535 entries of a kind or the section would pass 4 GiB of addresses.
std::vector<std::uint8_t> BuildResourceSection(const std::vector<ResourceEntry>& sortedEntries,
                                               std::uint32_t sectionRva);
