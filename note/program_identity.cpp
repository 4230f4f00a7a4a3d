#include "note/program_identity.h"

#include <vector>

#include "crypto/mbedtls_suite.h"
#include "note/note_entries.h"
#include "store/image_error.h"
#include "store/pe_headers.h"
#include "store/resource_reader.h"

namespace {

// The bytes the digest is taken over, each field in a fixed width so that no
// two different programs give the same sequence.
class IdentityInput {
public:
    void Add32(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) m_bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
    void AddBytes(const std::uint8_t* bytes, std::size_t length) {
        Add32(static_cast<std::uint32_t>(length));
        m_bytes.insert(m_bytes.end(), bytes, bytes + length);
    }
    void AddId(const ResourceId& id) {
        Add32(id.IsName() ? 1 : 0);
        if (!id.IsName()) {
            Add32(id.number());
            return;
        }
        Add32(static_cast<std::uint32_t>(id.name().size()));
        for (char16_t unit : id.name()) Add32(unit);
    }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

void Zero32(std::vector<std::uint8_t>& bytes, std::size_t offset) {
    for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = 0;
}

// The section holding data directory index when it is placed after the
// resource section, which a rewrite may move, so the directory's address
// follows from the resource section's size.
std::optional<std::size_t> MovableSectionOf(const PeHeaders& headers, std::size_t index, std::uint32_t movedFrom) {
    const std::uint32_t rva = headers.Directory(index).rva;
    if (index == kResourceDirectory || index == kCertificateDirectory || rva < movedFrom) return std::nullopt;
    return headers.SectionAt(rva);
}

// The headers up to the section table, without the fields a resource
// rewrite changes.
std::vector<std::uint8_t> StableHeaders(const PeHeaders& headers, const std::uint8_t* image, std::uint32_t movedFrom) {
    const std::size_t end = headers.sections.front().headerOffset;
    std::vector<std::uint8_t> bytes(image, image + end);
    Zero32(bytes, headers.pointerToSymbolTableOffset);
    Zero32(bytes, headers.sizeOfInitializedDataOffset);
    Zero32(bytes, headers.sizeOfImageOffset);
    Zero32(bytes, headers.checkSumOffset);
    for (std::size_t i = 0; i < headers.directories.size(); ++i) {
        const std::size_t entry = headers.directoriesOffset + 8 * i;
        if (i == kResourceDirectory) Zero32(bytes, entry + 4);
        if (i == kCertificateDirectory || MovableSectionOf(headers, i, movedFrom)) Zero32(bytes, entry);
    }
    return bytes;
}

}  // namespace

std::string ProgramIdentity(const std::uint8_t* image, std::size_t imageBytes) {
    const PeHeaders headers = ParsePeHeaders(image, imageBytes);
    const std::vector<ResourceEntry> resources = ReadResources(headers, image, imageBytes);
    const std::optional<std::size_t> resourceIndex = headers.SectionAt(headers.Directory(kResourceDirectory).rva);
    if (!resourceIndex) throw ImageError(ImageErrorKind::DamagedResources, "the directory lies in no section");
    const SectionHeader& resourceSection = headers.sections[*resourceIndex];
    // Sections placed after the resource section move when it grows or shrinks.
    const std::uint32_t movedFrom = resourceSection.virtualAddress + 1;

    IdentityInput input;
    const std::vector<std::uint8_t> stable = StableHeaders(headers, image, movedFrom);
    input.AddBytes(stable.data(), stable.size());
    // A directory in a section that may move is kept as its place in that section.
    for (std::size_t i = 0; i < headers.directories.size(); ++i) {
        if (const std::optional<std::size_t> section = MovableSectionOf(headers, i, movedFrom)) {
            input.Add32(static_cast<std::uint32_t>(*section));
            input.Add32(headers.directories[i].rva - headers.sections[*section].virtualAddress);
        }
    }
    for (std::size_t i = 0; i < headers.sections.size(); ++i) {
        if (i == *resourceIndex) continue;
        const SectionHeader& section = headers.sections[i];
        input.AddBytes(reinterpret_cast<const std::uint8_t*>(section.name.data()), section.name.size());
        input.Add32(section.virtualSize);
        input.Add32(section.characteristics);
        input.Add32(section.virtualAddress < movedFrom ? section.virtualAddress : 0);
        const std::uint64_t span = section.MemorySpan();
        input.AddBytes(image + section.rawOffset, static_cast<std::size_t>(span < section.rawSize ? span : section.rawSize));
    }
    const ResourceId noteType = ResourceId::Name(kNoteType);
    for (const ResourceEntry& entry : resources) {
        if (entry.key.type == noteType) continue;
        input.AddId(entry.key.type);
        input.AddId(entry.key.name);
        input.Add32(entry.key.language);
        input.AddBytes(entry.bytes.data(), entry.bytes.size());
    }

    unsigned char digest[kSha256Bytes];
    Sha256(input.bytes().data(), input.bytes().size(), digest);
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}
