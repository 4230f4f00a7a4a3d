// Wiping of secrets (keys, key blocks, digests, plaintext copies) with the
// Mbed TLS wipe, which the optimiser cannot drop.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
template <typename Allocator>
void WipeString(std::basic_string<char, std::char_traits<char>, Allocator>& text) {
    text.resize(text.capacity());
    mbedtls_platform_zeroize(&text[0], text.size());
    text.clear();
}

// The same for a byte buffer.
inline void WipeVector(std::vector<unsigned char>& bytes) {
    mbedtls_platform_zeroize(bytes.data(), bytes.capacity());
    bytes.clear();
}

// Appends to a buffer that may hold a secret. When it must grow, it moves to
// an allocation at least twice as large and the outgrown one is wiped, not
// left to the allocator as it was.
inline void AppendWiping(std::vector<unsigned char>& bytes, const unsigned char* piece, std::size_t size) {
    if (bytes.size() + size > bytes.capacity()) {
        std::vector<unsigned char> larger;
        larger.reserve(std::max(bytes.size() + size, 2 * bytes.capacity()));
        larger.assign(bytes.begin(), bytes.end());
        WipeVector(bytes);
        bytes.swap(larger);
    }
    bytes.insert(bytes.end(), piece, piece + size);
}

// A secret held above the crypto core (a password, a note's text on its way
// to be sealed) that wipes its allocation whenever it lets go of it: when it
// is replaced, moved from or destroyed. It never grows, so no reallocation
// leaves a copy behind; copies are made only on purpose, through Copy().
class SecretString {
public:
    SecretString() = default;
    explicit SecretString(std::string_view text) : m_text(text) {}
    // A string of length zero bytes, for the system to fill through data().
    static SecretString OfLength(std::size_t length) {
        SecretString secret;
        secret.m_text.assign(length, '\0');
        return secret;
    }
    ~SecretString() { WipeString(m_text); }

    SecretString(SecretString&& other) noexcept : m_text(std::move(other.m_text)) { WipeString(other.m_text); }
    SecretString& operator=(SecretString&& other) noexcept {
        if (this != &other) {
            WipeString(m_text);
            m_text = std::move(other.m_text);
            WipeString(other.m_text);
        }
        return *this;
    }
    SecretString(const SecretString&) = delete;
    SecretString& operator=(const SecretString&) = delete;

    SecretString Copy() const { return SecretString(m_text); }

    // Cuts the text to its first length bytes, in place.
    void Truncate(std::size_t length) {
        if (length < m_text.size()) {
            mbedtls_platform_zeroize(&m_text[length], m_text.size() - length);
            m_text.resize(length);
        }
    }

    std::string_view View() const { return m_text; }
    const char* c_str() const { return m_text.c_str(); }
    char* data() { return &m_text[0]; }
    std::size_t size() const { return m_text.size(); }
    bool empty() const { return m_text.empty(); }

    friend bool operator==(const SecretString& a, const SecretString& b) { return a.m_text == b.m_text; }
    friend bool operator!=(const SecretString& a, const SecretString& b) { return a.m_text != b.m_text; }

private:
    std::string m_text;
};

// An allocator that wipes every block it takes back, so that a string of
// secret text leaves no copy in freed memory when it grows, shrinks to fit
// or ends.
template <typename T>
struct WipingAllocator {
    using value_type = T;
    WipingAllocator() = default;
    template <typename U>
    WipingAllocator(const WipingAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) { return std::allocator<T>().allocate(count); }
    void deallocate(T* block, std::size_t count) noexcept {
        mbedtls_platform_zeroize(block, count * sizeof(T));
        std::allocator<T>().deallocate(block, count);
    }
    template <typename U>
    bool operator==(const WipingAllocator<U>&) const noexcept { return true; }
    template <typename U>
    bool operator!=(const WipingAllocator<U>&) const noexcept { return false; }
};

// UTF-16 text of the note, such as a copy of the view's text to search.
using WipedWideString = std::basic_string<wchar_t, std::char_traits<wchar_t>, WipingAllocator<wchar_t>>;
// The same for narrow text, such as a search term taken from the note.
using WipedString = std::basic_string<char, std::char_traits<char>, WipingAllocator<char>>;
