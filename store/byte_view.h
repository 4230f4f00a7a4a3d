// Bounds-checked little-endian reads from a byte range that the view does
// not own. Every read names the range it needs; one that does not fit throws
// with the caller's error kind, so no read ever leaves the range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/image_error.h"

class ByteView {
public:
    ByteView(const std::uint8_t* bytes, std::size_t size, ImageErrorKind failureKind)
        : m_bytes(bytes), m_size(size), m_failureKind(failureKind) {}

    std::size_t size() const { return m_size; }
    const std::uint8_t* data() const { return m_bytes; }

    // True when [offset, offset + length) lies inside the view, without overflow.
    bool Contains(std::uint64_t offset, std::uint64_t length) const {
        return offset <= m_size && length <= m_size - offset;
    }

    // Throws naming what was being read unless [offset, offset + length) fits.
    void Require(std::uint64_t offset, std::uint64_t length, const char* what) const {
        if (!Contains(offset, length)) {
            throw ImageError(m_failureKind, std::string(what) + " lies outside its bounds (offset " +
                                                std::to_string(offset) + ", " + std::to_string(length) +
                                                " bytes, " + std::to_string(m_size) + " available)");
        }
    }

    std::uint16_t Read16(std::uint64_t offset, const char* what) const {
        Require(offset, 2, what);
        const std::uint8_t* p = m_bytes + offset;
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }

    std::uint32_t Read32(std::uint64_t offset, const char* what) const {
        Require(offset, 4, what);
        const std::uint8_t* p = m_bytes + offset;
        return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
               (std::uint32_t{p[3]} << 24);
    }

    // The sub-range [offset, offset + length), checked, failing with the same kind.
    ByteView Slice(std::uint64_t offset, std::uint64_t length, const char* what) const {
        Require(offset, length, what);
        return ByteView(m_bytes + offset, static_cast<std::size_t>(length), m_failureKind);
    }

private:
    const std::uint8_t* m_bytes;
    std::size_t m_size;
    ImageErrorKind m_failureKind;
};
