#include "store/pe_checksum.h"

std::uint32_t ComputePeChecksum(const std::uint8_t* image, std::size_t imageBytes, std::size_t checkSumOffset) {
    auto byteAt = [&](std::size_t i) -> std::uint32_t {
        if (i >= imageBytes || (i >= checkSumOffset && i - checkSumOffset < 4)) return 0;
        return image[i];
    };
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < imageBytes; i += 2) {
        sum += byteAt(i) | (byteAt(i + 1) << 8);
        sum = (sum & 0xffff) + (sum >> 16);
    }
    sum = (sum & 0xffff) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + imageBytes);
}
