#include "store/resource_reader.h"

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "store/byte_view.h"
#include "store/image_error.h"

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kTableHeaderBytes = 16;
constexpr std::size_t kTableEntryBytes = 8;
constexpr std::size_t kDataEntryBytes = 16;
// Names can be shared by many entries, and each entry holds its own copy of
// its type's and name's strings: every unit copied is counted, against a
// bound tied to the file's size (a real image stores each name about once)
// and an absolute one. A hostile directory cannot make the reader allocate
// or copy much more than the file holds.
constexpr std::size_t kNameUnitsAllowance = std::size_t{1} << 20;
constexpr std::size_t kMaxNameUnitsCopied = std::size_t{32} << 20;

[[noreturn]] void Refuse(const std::string& detail) {
    throw ImageError(ImageErrorKind::DamagedResources, detail);
}

// Walks the three levels (type, name, language) of the directory. Offsets
// inside the directory are relative to its start; data offsets are RVAs.
class DirectoryWalker {
public:
    DirectoryWalker(const PeHeaders& headers, const ByteView& file, const ByteView& directory)
        : m_headers(headers),
          m_file(file),
          m_directory(directory),
          m_nameUnitsAllowed(std::min<std::uint64_t>(kMaxNameUnitsCopied, kNameUnitsAllowance + file.size())) {}

    std::vector<ResourceEntry> Walk() {
        ResourceKey key;
        WalkTable(0, 0, key);
        RequireDisjointData();
        return std::move(m_entries);
    }

private:
    void WalkTable(std::uint32_t tableOffset, int level, ResourceKey& key) {
        if (!m_visitedTables.insert(tableOffset).second) Refuse("a subdirectory is reached twice");
        const std::uint32_t count = std::uint32_t{m_directory.Read16(tableOffset + 12, "directory table")} +
                                    m_directory.Read16(tableOffset + 14, "directory table");
        m_directory.Require(tableOffset, kTableHeaderBytes + std::uint64_t{count} * kTableEntryBytes, "directory table");
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint64_t entry = tableOffset + kTableHeaderBytes + std::uint64_t{i} * kTableEntryBytes;
            const ResourceId id = ReadId(m_directory.Read32(entry, "directory entry"));
            const std::uint32_t target = m_directory.Read32(entry + 4, "directory entry");
            const bool isTable = (target & kHighBit) != 0;
            if (level < 2) {
                if (!isTable) Refuse("a data entry stands where a subdirectory belongs");
                (level == 0 ? key.type : key.name) = id;
                WalkTable(target & ~kHighBit, level + 1, key);
            } else {
                if (isTable) Refuse("a subdirectory stands where a data entry belongs");
                if (id.IsName()) Refuse("a language given as a name");
                key.language = id.number();
                ReadLeaf(target, key);
            }
        }
    }

    ResourceId ReadId(std::uint32_t field) {
        if ((field & kHighBit) == 0) return ResourceId::Number(field);
        const std::uint32_t offset = field & ~kHighBit;
        const std::uint16_t units = m_directory.Read16(offset, "resource name");
        m_directory.Require(offset + 2, std::uint64_t{units} * 2, "resource name");
        CountNameUnits(units);
        std::u16string name;
        name.reserve(units);
        for (std::uint32_t i = 0; i < units; ++i) {
            name += static_cast<char16_t>(m_directory.Read16(offset + 2 + 2 * i, "resource name"));
        }
        return ResourceId::Name(std::move(name));
    }

    void ReadLeaf(std::uint32_t dataEntryOffset, const ResourceKey& key) {
        if (!m_visitedTables.insert(dataEntryOffset).second) Refuse("a data entry is reached twice");
        m_directory.Require(dataEntryOffset, kDataEntryBytes, "data entry");
        const std::uint32_t rva = m_directory.Read32(dataEntryOffset, "data entry");
        const std::uint32_t size = m_directory.Read32(dataEntryOffset + 4, "data entry");
        const std::optional<std::uint64_t> fileOffset = m_headers.FileOffsetOf(rva, size);
        if (!fileOffset) Refuse("the data of " + key.Describe() + " lies outside the file's sections");
        const std::uint8_t* bytes = m_file.data() + *fileOffset;
        if (size != 0) m_dataRanges.emplace_back(*fileOffset, *fileOffset + size);
        // Checked before copying: overlapping data could make a small file
        // claim far more bytes than it holds.
        m_dataBytesClaimed += size;
        if (m_dataBytesClaimed > m_file.size()) Refuse("the entries claim more data than the file holds");
        // The entry's key copies its type's and name's strings once more.
        CountNameUnits(key.type.name().size() + key.name.name().size());
        m_entries.push_back({key, std::vector<std::uint8_t>(bytes, bytes + size),
                             m_directory.Read32(dataEntryOffset + 8, "data entry")});
    }

    void CountNameUnits(std::size_t units) {
        m_nameUnitsCopied += units;
        if (m_nameUnitsCopied > m_nameUnitsAllowed)
            Refuse("names too long for the number of entries: the entries would copy " + std::to_string(m_nameUnitsCopied) +
                   " or more name characters from a file of " + std::to_string(m_file.size()) + " bytes");
    }

    // Each entry owns its bytes: a rewrite gives every entry its own copy, so
    // data shared between entries is a directory no writer makes.
    void RequireDisjointData() {
        std::sort(m_dataRanges.begin(), m_dataRanges.end());
        for (std::size_t i = 1; i < m_dataRanges.size(); ++i) {
            if (m_dataRanges[i].first < m_dataRanges[i - 1].second) Refuse("the data of two entries overlap");
        }
    }

    const PeHeaders& m_headers;
    const ByteView& m_file;
    const ByteView& m_directory;
    std::vector<ResourceEntry> m_entries;
    std::set<std::uint32_t> m_visitedTables;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_dataRanges;
    std::uint64_t m_dataBytesClaimed = 0;
    const std::uint64_t m_nameUnitsAllowed;
    std::uint64_t m_nameUnitsCopied = 0;
};

void SortAndRequireUniqueKeys(std::vector<ResourceEntry>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const ResourceEntry& left, const ResourceEntry& right) { return left.key < right.key; });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].key == entries[i - 1].key) Refuse("two entries for " + entries[i].key.Describe());
    }
}

}  // namespace

std::vector<ResourceEntry> ReadResources(const PeHeaders& headers, const std::uint8_t* image, std::size_t imageBytes) {
    const DataDirectory resources = headers.Directory(kResourceDirectory);
    if (resources.rva == 0 || resources.size == 0) {
        throw ImageError(ImageErrorKind::NoResourceSection, "the image has no resource directory");
    }
    const std::optional<std::size_t> sectionIndex = headers.SectionAt(resources.rva);
    const std::optional<std::uint64_t> start = headers.FileOffsetOf(resources.rva, 0);
    if (!sectionIndex || !start) Refuse("the directory lies outside the file's sections");
    const SectionHeader& section = headers.sections[*sectionIndex];
    const std::uint64_t end = std::uint64_t{section.rawOffset} + section.MappedFileBytes(headers.sectionAlignment);

    const ByteView file(image, imageBytes, ImageErrorKind::DamagedResources);
    const ByteView directory = file.Slice(*start, end - *start, "resource directory");
    std::vector<ResourceEntry> entries = DirectoryWalker(headers, file, directory).Walk();
    SortAndRequireUniqueKeys(entries);
    return entries;
}

std::vector<ResourceEntry> ReadResources(const std::uint8_t* image, std::size_t imageBytes) {
    return ReadResources(ParsePeHeaders(image, imageBytes), image, imageBytes);
}

const ResourceEntry* FindResource(const std::vector<ResourceEntry>& entries, const ResourceKey& key) {
    const auto found = std::lower_bound(entries.begin(), entries.end(), key,
                                        [](const ResourceEntry& entry, const ResourceKey& wanted) { return entry.key < wanted; });
    return found != entries.end() && found->key == key ? &*found : nullptr;
}
