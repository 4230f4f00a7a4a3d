// Wiping of secrets (keys, key blocks, digests, plaintext copies) with the
// Mbed TLS wipe, which the optimiser cannot drop.
#pragma once

#include <cstddef>
#include <string>

#include "mbedtls/platform_util.h"

// Wipes a fixed region when the enclosing scope ends, whichever way it ends.
class WipeOnExit {
public:
    WipeOnExit(void* region, std::size_t lengthBytes) : m_region(region), m_lengthBytes(lengthBytes) {}
    ~WipeOnExit() { mbedtls_platform_zeroize(m_region, m_lengthBytes); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    void* m_region;
    std::size_t m_lengthBytes;
};

// Wipes the whole allocation of a string (its capacity, not only its size),
// then empties it. For callers that are done with an unsealed text.
inline void WipeString(std::string& text) {
    text.resize(text.capacity());
    mbedtls_platform_zeroize(&text[0], text.size());
    text.clear();
}
