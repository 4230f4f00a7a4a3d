#include "store/image_rewriter.h"

#include <algorithm>
#include <string>

#include "store/byte_view.h"
#include "store/image_error.h"
#include "store/pe_checksum.h"
#include "store/pe_headers.h"
#include "store/resource_reader.h"
#include "store/resource_section_writer.h"

namespace {

constexpr std::size_t kDebugEntryBytes = 28;
constexpr const char* kDirectoryNames[] = {
    "export",       "import",         "resource",      "exception", "certificate",   "base relocation",
    "debug",        "architecture",   "global pointer", "TLS",      "load configuration", "bound import",
    "import address", "delay import", "runtime",        "reserved"};

[[noreturn]] void Refuse(const std::string& detail) {
    throw ImageError(ImageErrorKind::CannotRewrite, detail);
}

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

bool IsPowerOfTwo(std::uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// How the sections after the resource section move, in the file and in memory.
struct Layout {
    std::size_t resourceSection = 0;
    std::uint32_t newVirtualSize = 0;
    std::uint32_t newRawSize = 0;
    std::uint64_t oldRawEnd = 0;
    std::int64_t rawShift = 0;
    std::int64_t addressShift = 0;
};

std::size_t FindResourceSection(const PeHeaders& headers) {
    const DataDirectory resources = headers.Directory(kResourceDirectory);
    const std::size_t index = *headers.SectionAt(resources.rva);  // the reader has found it
    const SectionHeader& section = headers.sections[index];
    if (resources.rva != section.virtualAddress) {
        Refuse("the resource directory does not begin its section '" + section.name + "'");
    }
    for (std::size_t d = 0; d < headers.directories.size(); ++d) {
        if (d == kResourceDirectory || d == kCertificateDirectory || headers.directories[d].rva == 0) continue;
        if (section.Contains(headers.directories[d].rva)) {
            Refuse(std::string("the resource section also holds the ") + kDirectoryNames[d] + " directory");
        }
    }
    // The rebuilt section is written from its raw offset on: it must not
    // reach back into the headers or the section table.
    const std::uint64_t headersEnd = std::max<std::uint64_t>(headers.sizeOfHeaders, headers.sections.back().headerOffset + 40);
    if (section.rawOffset < headersEnd) Refuse("the resource section's file bytes overlap the headers");
    for (std::size_t i = 0; i < headers.sections.size(); ++i) {
        const SectionHeader& other = headers.sections[i];
        if (i == index || other.rawSize == 0) continue;
        const bool apart = std::uint64_t{other.rawOffset} + other.rawSize <= section.rawOffset ||
                           other.rawOffset >= std::uint64_t{section.rawOffset} + section.rawSize;
        if (!apart) Refuse("section '" + other.name + "' shares file bytes with the resource section");
    }
    return index;
}

// A section may change address when the program never uses its contents by
// address: discardable, and no directory but the base relocations in it.
std::string WhyCannotMove(const PeHeaders& headers, const SectionHeader& section) {
    if ((section.characteristics & kSectionDiscardable) == 0) return "is not discardable";
    if (section.Contains(headers.addressOfEntryPoint)) return "holds the entry point";
    for (std::size_t d = 0; d < headers.directories.size(); ++d) {
        if (d == kBaseRelocationDirectory || d == kCertificateDirectory || headers.directories[d].rva == 0) continue;
        if (section.Contains(headers.directories[d].rva)) {
            return std::string("holds the ") + kDirectoryNames[d] + " directory";
        }
    }
    return "";
}

std::int64_t PlanAddressShift(const PeHeaders& headers, const Layout& layout) {
    const SectionHeader& resources = headers.sections[layout.resourceSection];
    const std::uint64_t newEnd =
        resources.virtualAddress + AlignUp(layout.newVirtualSize, headers.sectionAlignment);
    std::uint64_t nextAddress = UINT64_MAX;
    for (const SectionHeader& section : headers.sections) {
        if (section.virtualAddress > resources.virtualAddress) {
            nextAddress = std::min<std::uint64_t>(nextAddress, section.virtualAddress);
        }
    }
    if (nextAddress == UINT64_MAX) return 0;
    const std::int64_t shift = static_cast<std::int64_t>(newEnd) - static_cast<std::int64_t>(nextAddress);
    if (shift == 0) return 0;
    for (const SectionHeader& section : headers.sections) {
        if (section.virtualAddress <= resources.virtualAddress) continue;
        const std::string reason = WhyCannotMove(headers, section);
        if (reason.empty() && section.virtualAddress % headers.sectionAlignment == 0) continue;
        if (shift < 0) return 0;  // the room stays as it is
        Refuse("the resources need " + std::to_string(shift) + " more bytes of memory than the room before section '" +
               section.name + "', which cannot move: it " + (reason.empty() ? "is not aligned" : reason));
    }
    return shift;
}

// Debug directory entries point to their data by file offset, inside bytes
// of another section that this rewrite does not change.
void RequireNoDebugDataAfter(const PeHeaders& headers, const ByteView& file, std::uint64_t oldRawEnd) {
    const DataDirectory debug = headers.Directory(kDebugDirectory);
    if (debug.rva == 0 || debug.size == 0) return;
    const std::optional<std::uint64_t> start = headers.FileOffsetOf(debug.rva, debug.size);
    if (!start) Refuse("the debug directory lies outside the file's sections");
    for (std::uint64_t entry = 0; entry + kDebugEntryBytes <= debug.size; entry += kDebugEntryBytes) {
        if (file.Read32(*start + entry + 24, "debug directory") >= oldRawEnd) {
            Refuse("debug data lies after the resource section in the file");
        }
    }
}

Layout PlanLayout(const PeHeaders& headers, const ByteView& file, std::size_t resourceSection,
                  std::size_t newSectionBytes) {
    if (!IsPowerOfTwo(headers.fileAlignment) || !IsPowerOfTwo(headers.sectionAlignment)) {
        Refuse("the section or file alignment is not a power of two");
    }
    const SectionHeader& resources = headers.sections[resourceSection];
    Layout layout;
    layout.resourceSection = resourceSection;
    layout.newVirtualSize = static_cast<std::uint32_t>(newSectionBytes);
    const std::uint64_t newRaw = AlignUp(newSectionBytes, headers.fileAlignment);
    if (newRaw > 0xffffffffu - resources.rawOffset) Refuse("the file would pass 4 GiB");
    layout.newRawSize = static_cast<std::uint32_t>(newRaw);
    layout.oldRawEnd = std::uint64_t{resources.rawOffset} + resources.rawSize;
    layout.rawShift = static_cast<std::int64_t>(newRaw) - resources.rawSize;
    layout.addressShift = PlanAddressShift(headers, layout);

    const bool bytesFollow = layout.oldRawEnd < file.size();
    if (layout.rawShift != 0 && bytesFollow) {
        if (layout.rawShift % headers.fileAlignment != 0) Refuse("the resource section's raw size is not aligned");
        RequireNoDebugDataAfter(headers, file, layout.oldRawEnd);
    }
    return layout;
}

class HeaderPatcher {
public:
    explicit HeaderPatcher(std::vector<std::uint8_t>& image) : m_image(image) {}
    // Every address, offset and size a move changes is written here: one
    // that no longer fits the header's 32 bits (a section moved past 4 GiB,
    // an offset below 0) refuses the rewrite instead of wrapping round.
    void Put32(std::size_t offset, std::uint64_t value) {
        if (value > 0xFFFFFFFFu) Refuse("a moved address, offset or size does not fit in 32 bits");
        for (int i = 0; i < 4; ++i) m_image[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }

private:
    std::vector<std::uint8_t>& m_image;
};

std::uint64_t Shifted(std::uint64_t value, std::int64_t shift) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(value) + shift);
}

void PatchHeaders(const PeHeaders& headers, const Layout& layout, std::vector<std::uint8_t>& image) {
    HeaderPatcher patch(image);
    const SectionHeader& resources = headers.sections[layout.resourceSection];
    std::uint64_t imageEnd = 0;
    for (std::size_t i = 0; i < headers.sections.size(); ++i) {
        const SectionHeader& section = headers.sections[i];
        std::uint64_t address = section.virtualAddress;
        std::uint64_t span = section.MemorySpan();
        if (i == layout.resourceSection) {
            patch.Put32(section.headerOffset + 8, layout.newVirtualSize);
            patch.Put32(section.headerOffset + 16, layout.newRawSize);
            span = layout.newVirtualSize;
        } else {
            if (section.virtualAddress > resources.virtualAddress) {
                address = Shifted(address, layout.addressShift);
                patch.Put32(section.headerOffset + 12, address);
            }
            if (section.rawSize != 0 && section.rawOffset >= layout.oldRawEnd) {
                patch.Put32(section.headerOffset + 20, Shifted(section.rawOffset, layout.rawShift));
            }
        }
        imageEnd = std::max(imageEnd, address + span);
    }
    patch.Put32(headers.sizeOfImageOffset, AlignUp(imageEnd, headers.sectionAlignment));
    const std::int64_t initializedData = static_cast<std::int64_t>(headers.sizeOfInitializedData) + layout.rawShift;
    patch.Put32(headers.sizeOfInitializedDataOffset, static_cast<std::uint64_t>(std::max<std::int64_t>(0, initializedData)));

    patch.Put32(headers.directoriesOffset + 8 * kResourceDirectory + 4, layout.newVirtualSize);
    const DataDirectory relocations = headers.Directory(kBaseRelocationDirectory);
    if (relocations.rva > resources.virtualAddress) {
        patch.Put32(headers.directoriesOffset + 8 * kBaseRelocationDirectory, Shifted(relocations.rva, layout.addressShift));
    }
    const DataDirectory certificate = headers.Directory(kCertificateDirectory);
    if (certificate.rva != 0 && certificate.rva >= layout.oldRawEnd) {
        patch.Put32(headers.directoriesOffset + 8 * kCertificateDirectory, Shifted(certificate.rva, layout.rawShift));
    }
    if (headers.pointerToSymbolTable != 0 && headers.pointerToSymbolTable >= layout.oldRawEnd) {
        patch.Put32(headers.pointerToSymbolTableOffset, Shifted(headers.pointerToSymbolTable, layout.rawShift));
    }
    if (headers.checkSum != 0) {
        patch.Put32(headers.checkSumOffset, 0);
        patch.Put32(headers.checkSumOffset, ComputePeChecksum(image.data(), image.size(), headers.checkSumOffset));
    }
}

bool SameEntries(const std::vector<ResourceEntry>& left, const std::vector<ResourceEntry>& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](const ResourceEntry& a, const ResourceEntry& b) {
                          return a.key == b.key && a.bytes == b.bytes && a.codePage == b.codePage;
                      });
}

}  // namespace

std::vector<std::uint8_t> RewriteResources(const std::uint8_t* image, std::size_t imageBytes,
                                           const std::vector<ResourceChange>& changes) {
    const PeHeaders headers = ParsePeHeaders(image, imageBytes);
    const std::vector<ResourceEntry> entries =
        ApplyResourceChanges(ReadResources(headers, image, imageBytes), changes);
    const std::size_t resourceSection = FindResourceSection(headers);
    const SectionHeader& resources = headers.sections[resourceSection];
    const std::vector<std::uint8_t> section = BuildResourceSection(entries, resources.virtualAddress);
    const ByteView file(image, imageBytes, ImageErrorKind::CannotRewrite);
    const Layout layout = PlanLayout(headers, file, resourceSection, section.size());

    std::vector<std::uint8_t> result(image, image + resources.rawOffset);
    result.insert(result.end(), section.begin(), section.end());
    result.resize(result.size() + (layout.newRawSize - section.size()), 0);
    result.insert(result.end(), image + layout.oldRawEnd, image + imageBytes);
    PatchHeaders(headers, layout, result);

    if (!SameEntries(ReadResources(result.data(), result.size()), entries)) {
        Refuse("the rewritten image does not read back as intended");
    }
    return result;
}
