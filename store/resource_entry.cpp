#include "store/resource_entry.h"

#include <cstdio>
#include <tuple>

ResourceId ResourceId::Number(std::uint32_t number) {
    ResourceId id;
    id.m_number = number;
    return id;
}

ResourceId ResourceId::Name(std::u16string name) {
    ResourceId id;
    id.m_isName = true;
    id.m_name = std::move(name);
    return id;
}

ResourceId ResourceId::Name(const char* asciiName) {
    std::u16string wide;
    for (const char* c = asciiName; *c != '\0'; ++c) wide += static_cast<char16_t>(static_cast<unsigned char>(*c));
    return Name(std::move(wide));
}

bool operator<(const ResourceId& left, const ResourceId& right) {
    if (left.m_isName != right.m_isName) return left.m_isName;
    if (left.m_isName) return left.m_name < right.m_name;
    return left.m_number < right.m_number;
}

bool operator==(const ResourceId& left, const ResourceId& right) {
    return left.m_isName == right.m_isName && left.m_number == right.m_number && left.m_name == right.m_name;
}

std::string ResourceId::Describe() const {
    if (!m_isName) return "#" + std::to_string(m_number);
    std::string text = "\"";
    for (char16_t unit : m_name) {
        if (unit >= 0x20 && unit < 0x7f && unit != '"' && unit != '\\') {
            text += static_cast<char>(unit);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
            text += escaped;
        }
    }
    return text + "\"";
}

bool operator<(const ResourceKey& left, const ResourceKey& right) {
    return std::tie(left.type, left.name, left.language) < std::tie(right.type, right.name, right.language);
}

bool operator==(const ResourceKey& left, const ResourceKey& right) {
    return left.type == right.type && left.name == right.name && left.language == right.language;
}

std::string ResourceKey::Describe() const {
    return type.Describe() + "/" + name.Describe() + "/" + std::to_string(language);
}
