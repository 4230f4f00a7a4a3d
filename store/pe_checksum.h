// The optional header's image checksum: a 16-bit folded sum of the file's
// little-endian words, the checksum field counted as zero, plus the file length.
#pragma once

#include <cstddef>
#include <cstdint>

std::uint32_t ComputePeChecksum(const std::uint8_t* image, std::size_t imageBytes, std::size_t checkSumOffset);
