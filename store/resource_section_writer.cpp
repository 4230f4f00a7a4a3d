#include "store/resource_section_writer.h"

#include <algorithm>
#include <cstddef>
#include <string>

#include "store/image_error.h"

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint64_t kTableHeaderBytes = 16;
constexpr std::uint64_t kTableEntryBytes = 8;
constexpr std::uint64_t kDataEntryBytes = 16;
constexpr std::uint64_t kDataAlignment = 8;

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// One table of the directory: its ids in directory order and, for each, the
// index of the child table (type and name levels) or of the entry (language level).
struct Table {
    std::vector<ResourceId> ids;
    std::vector<std::size_t> children;
    std::uint64_t offset = 0;
};

// The three levels of tables, built from the sorted entries.
struct Tree {
    std::vector<Table> levels[3];
};

Tree BuildTree(const std::vector<ResourceEntry>& entries) {
    Tree tree;
    tree.levels[0].emplace_back();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ResourceKey& key = entries[i].key;
        // The last table of each level is the one of the current type and name.
        Table& root = tree.levels[0].front();
        if (root.ids.empty() || root.ids.back() != key.type) {
            root.ids.push_back(key.type);
            root.children.push_back(tree.levels[1].size());
            tree.levels[1].emplace_back();
        }
        Table& names = tree.levels[1].back();
        if (names.ids.empty() || names.ids.back() != key.name) {
            names.ids.push_back(key.name);
            names.children.push_back(tree.levels[2].size());
            tree.levels[2].emplace_back();
        }
        Table& languages = tree.levels[2].back();
        languages.ids.push_back(ResourceId::Number(key.language));
        languages.children.push_back(i);
    }
    return tree;
}

class SectionBytes {
public:
    explicit SectionBytes(std::uint64_t size) : m_bytes(size, 0) {}

    void Put16(std::uint64_t offset, std::uint32_t value) {
        m_bytes[offset] = static_cast<std::uint8_t>(value);
        m_bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
    }
    void Put32(std::uint64_t offset, std::uint32_t value) {
        Put16(offset, value & 0xffff);
        Put16(offset + 2, value >> 16);
    }
    std::uint8_t* At(std::uint64_t offset) { return m_bytes.data() + offset; }
    std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

std::uint32_t Checked32(std::uint64_t value) {
    if (value > 0xffffffffu) throw ImageError(ImageErrorKind::CannotRewrite, "the resources would pass 4 GiB");
    return static_cast<std::uint32_t>(value);
}

std::uint16_t CheckedCount(std::size_t count) {
    if (count > 0xffff) throw ImageError(ImageErrorKind::CannotRewrite, "more than 65535 entries in one table");
    return static_cast<std::uint16_t>(count);
}

}  // namespace

std::vector<std::uint8_t> BuildResourceSection(const std::vector<ResourceEntry>& sortedEntries,
                                               std::uint32_t sectionRva) {
    Tree tree = BuildTree(sortedEntries);

    // Offsets of every part, in layout order.
    std::uint64_t offset = 0;
    for (auto& level : tree.levels) {
        for (Table& table : level) {
            table.offset = offset;
            offset += kTableHeaderBytes + kTableEntryBytes * table.ids.size();
        }
    }
    const std::uint64_t dataEntries = offset;
    offset += kDataEntryBytes * sortedEntries.size();
    std::vector<std::uint64_t> nameOffsets[2];
    for (int level = 0; level < 2; ++level) {
        for (const Table& table : tree.levels[level]) {
            for (const ResourceId& id : table.ids) {
                nameOffsets[level].push_back(offset);
                if (id.IsName()) offset += 2 + 2 * std::uint64_t{id.name().size()};
            }
        }
    }
    std::vector<std::uint64_t> dataOffsets;
    for (const ResourceEntry& entry : sortedEntries) {
        offset = AlignUp(offset, kDataAlignment);
        dataOffsets.push_back(offset);
        offset += entry.bytes.size();
    }
    Checked32(std::uint64_t{sectionRva} + AlignUp(offset, kDataAlignment));

    SectionBytes section(offset);
    for (int level = 0; level < 3; ++level) {
        std::size_t nameIndex = 0;
        for (const Table& table : tree.levels[level]) {
            std::size_t named = 0;
            for (const ResourceId& id : table.ids) named += id.IsName() ? 1 : 0;
            section.Put16(table.offset + 12, CheckedCount(named));
            section.Put16(table.offset + 14, CheckedCount(table.ids.size() - named));
            for (std::size_t i = 0; i < table.ids.size(); ++i, ++nameIndex) {
                const std::uint64_t entry = table.offset + kTableHeaderBytes + kTableEntryBytes * i;
                const ResourceId& id = table.ids[i];
                if (id.IsName()) {
                    const std::uint64_t at = nameOffsets[level][nameIndex];
                    section.Put32(entry, kHighBit | Checked32(at));
                    section.Put16(at, CheckedCount(id.name().size()));
                    for (std::size_t u = 0; u < id.name().size(); ++u) section.Put16(at + 2 + 2 * u, id.name()[u]);
                } else {
                    section.Put32(entry, id.number());
                }
                const std::size_t child = table.children[i];
                if (level < 2) {
                    section.Put32(entry + 4, kHighBit | Checked32(tree.levels[level + 1][child].offset));
                } else {
                    section.Put32(entry + 4, Checked32(dataEntries + kDataEntryBytes * child));
                }
            }
        }
    }
    for (std::size_t i = 0; i < sortedEntries.size(); ++i) {
        const ResourceEntry& entry = sortedEntries[i];
        const std::uint64_t record = dataEntries + kDataEntryBytes * i;
        section.Put32(record, Checked32(sectionRva + dataOffsets[i]));
        section.Put32(record + 4, Checked32(entry.bytes.size()));
        section.Put32(record + 8, entry.codePage);
        if (!entry.bytes.empty()) std::copy(entry.bytes.begin(), entry.bytes.end(), section.At(dataOffsets[i]));
    }
    return section.Take();
}
