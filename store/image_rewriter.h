// Rewrites the resources of a PE32 or PE32+ image file in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/resource_changes.h"

// A new image holding the image's resources with the changes applied. The
// resource section is rebuilt in place; every byte outside it stays as it
// was except the header fields that describe it: the section's virtual and
// raw sizes, the resource directory entry, SizeOfInitializedData (by the
// change of raw size), SizeOfImage, and the checksum when the image has one.
//
// When the section's raw size changes, everything after it in the file
// (later sections' raw data, a symbol table, a certificate, trailing bytes)
// moves by that amount and the file offsets pointing there follow. When the
// section outgrows its room before the next section in memory, or leaves
// room over, the sections after it move in memory too, but only when each
// is discardable and nothing but the base relocation directory points into
// it (a relocation or debug-link section: their contents do not depend on
// their own address). A section that cannot move limits the resources to
// the room they have; beyond it the rewrite is refused.
//
// Throws ImageError, before building anything, for an image it cannot read
// or will not change; the result is read back and checked against the
// intended entries before it is returned.
std::vector<std::uint8_t> RewriteResources(const std::uint8_t* image, std::size_t imageBytes,
                                           const std::vector<ResourceChange>& changes);
