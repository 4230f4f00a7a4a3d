// Reads the resource directory of a PE32 or PE32+ image file: every entry
// keyed by type, name and language, with its exact bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/pe_headers.h"
#include "store/resource_entry.h"

// The entries of the image's resource directory, sorted by key. Throws
// ImageError when the file is not a PE image, has no resource directory, or
// has one that cannot be trusted: tables or data outside the section, a
// subdirectory reached twice, a leaf where a table belongs or the reverse,
// two entries with one key, or entries whose data overlap.
std::vector<ResourceEntry> ReadResources(const std::uint8_t* image, std::size_t imageBytes);
// The same for an image whose headers are already parsed.
std::vector<ResourceEntry> ReadResources(const PeHeaders& headers, const std::uint8_t* image, std::size_t imageBytes);

// The entry with this key, or null.
const ResourceEntry* FindResource(const std::vector<ResourceEntry>& entries, const ResourceKey& key);
