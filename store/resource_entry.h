// A resource of an image: its key (type, name, language) and its exact bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A type or name: a number, or a UTF-16 string as the directory stores it.
class ResourceId {
public:
    static ResourceId Number(std::uint32_t number);
    static ResourceId Name(std::u16string name);
    // An ASCII name such as "PACKET", widened to UTF-16.
    static ResourceId Name(const char* asciiName);

    bool IsName() const { return m_isName; }
    std::uint32_t number() const { return m_number; }
    const std::u16string& name() const { return m_name; }

    // The directory order: names before numbers, names by UTF-16 code unit,
    // numbers ascending. The loader's binary search relies on it.
    friend bool operator<(const ResourceId& left, const ResourceId& right);
    friend bool operator==(const ResourceId& left, const ResourceId& right);
    friend bool operator!=(const ResourceId& left, const ResourceId& right) { return !(left == right); }

    // For messages: "PACKET" (non-ASCII units as \uXXXX) or "#41".
    std::string Describe() const;

private:
    bool m_isName = false;
    std::uint32_t m_number = 0;
    std::u16string m_name;
};

struct ResourceKey {
    ResourceId type;
    ResourceId name;
    std::uint32_t language = 0;

    friend bool operator<(const ResourceKey& left, const ResourceKey& right);
    friend bool operator==(const ResourceKey& left, const ResourceKey& right);
    std::string Describe() const;
};

struct ResourceEntry {
    ResourceKey key;
    std::vector<std::uint8_t> bytes;
    std::uint32_t codePage = 0;  // kept as the image had it; 0 for new entries
};
