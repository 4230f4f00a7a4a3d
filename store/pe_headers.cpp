#include "store/pe_headers.h"

#include "store/byte_view.h"
#include "store/image_error.h"

namespace {

constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::uint16_t kPe32PlusMagic = 0x20b;
constexpr std::size_t kSectionHeaderBytes = 40;
constexpr std::size_t kMaxDirectories = 16;
// The format's own limit on the number of sections.
constexpr std::uint16_t kMaxSections = 96;

[[noreturn]] void Refuse(const std::string& detail) {
    throw ImageError(ImageErrorKind::NotPortableExecutable, detail);
}

// Field offsets inside the optional header; PE32+ widens the image base and
// the four stack and heap sizes to 64 bits, which moves what follows them.
struct OptionalHeaderLayout {
    std::size_t numberOfDirectories;
    std::size_t directories;
};

OptionalHeaderLayout LayoutFor(bool isPe32Plus) {
    return isPe32Plus ? OptionalHeaderLayout{108, 112} : OptionalHeaderLayout{92, 96};
}

SectionHeader ReadSectionHeader(const ByteView& file, std::size_t offset) {
    SectionHeader section;
    file.Require(offset, kSectionHeaderBytes, "section table");
    for (std::size_t i = 0; i < 8 && file.data()[offset + i] != 0; ++i) {
        section.name += static_cast<char>(file.data()[offset + i]);
    }
    section.virtualSize = file.Read32(offset + 8, "section table");
    section.virtualAddress = file.Read32(offset + 12, "section table");
    section.rawSize = file.Read32(offset + 16, "section table");
    section.rawOffset = file.Read32(offset + 20, "section table");
    section.characteristics = file.Read32(offset + 36, "section table");
    section.headerOffset = offset;
    if (section.rawSize != 0 && !file.Contains(section.rawOffset, section.rawSize)) {
        Refuse("section '" + section.name + "' runs past the end of the file (" +
               std::to_string(file.size()) + " bytes); the file is truncated");
    }
    return section;
}

}  // namespace

std::uint32_t SectionHeader::MappedFileBytes(std::uint32_t sectionAlignment) const {
    if (virtualSize == 0) return rawSize;
    const std::uint64_t page = sectionAlignment != 0 ? sectionAlignment : 1;
    const std::uint64_t mapped = (std::uint64_t{virtualSize} + page - 1) / page * page;
    return mapped < rawSize ? static_cast<std::uint32_t>(mapped) : rawSize;
}

std::optional<std::uint64_t> PeHeaders::FileOffsetOf(std::uint32_t rva, std::uint32_t length) const {
    for (const SectionHeader& section : sections) {
        const std::uint64_t start = section.virtualAddress;
        const std::uint64_t end = start + section.MappedFileBytes(sectionAlignment);
        if (rva >= start && std::uint64_t{rva} + length <= end) return std::uint64_t{section.rawOffset} + (rva - start);
    }
    return std::nullopt;
}

std::optional<std::size_t> PeHeaders::SectionAt(std::uint32_t rva) const {
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].Contains(rva)) return i;
    }
    return std::nullopt;
}

DataDirectory PeHeaders::Directory(std::size_t index) const {
    return index < directories.size() ? directories[index] : DataDirectory{};
}

PeHeaders ParsePeHeaders(const std::uint8_t* image, std::size_t imageBytes) {
    const ByteView file(image, imageBytes, ImageErrorKind::NotPortableExecutable);
    if (!file.Contains(0, 64) || image[0] != 'M' || image[1] != 'Z') Refuse("no MZ header");
    const std::uint32_t peOffset = file.Read32(0x3c, "PE header offset");
    if (!file.Contains(peOffset, 24) || image[peOffset] != 'P' || image[peOffset + 1] != 'E' ||
        image[peOffset + 2] != 0 || image[peOffset + 3] != 0) {
        Refuse("no PE signature where the MZ header points");
    }

    PeHeaders headers;
    const std::size_t fileHeader = peOffset + 4;
    const std::uint16_t numberOfSections = file.Read16(fileHeader + 2, "COFF header");
    headers.pointerToSymbolTableOffset = fileHeader + 8;
    headers.pointerToSymbolTable = file.Read32(fileHeader + 8, "COFF header");
    const std::uint16_t optionalHeaderBytes = file.Read16(fileHeader + 16, "COFF header");
    if (numberOfSections == 0 || numberOfSections > kMaxSections) {
        Refuse(std::to_string(numberOfSections) + " sections");
    }

    const std::size_t optional = fileHeader + 20;
    const std::uint16_t magic = file.Read16(optional, "optional header");
    if (magic != kPe32Magic && magic != kPe32PlusMagic) Refuse("unknown optional header magic");
    headers.isPe32Plus = magic == kPe32PlusMagic;
    const OptionalHeaderLayout layout = LayoutFor(headers.isPe32Plus);
    if (optionalHeaderBytes < layout.directories) Refuse("optional header too short");
    file.Require(optional, optionalHeaderBytes, "optional header");

    headers.sizeOfInitializedDataOffset = optional + 8;
    headers.sizeOfInitializedData = file.Read32(optional + 8, "optional header");
    headers.addressOfEntryPoint = file.Read32(optional + 16, "optional header");
    headers.sectionAlignment = file.Read32(optional + 32, "optional header");
    headers.fileAlignment = file.Read32(optional + 36, "optional header");
    headers.sizeOfImageOffset = optional + 56;
    headers.sizeOfHeaders = file.Read32(optional + 60, "optional header");
    headers.checkSumOffset = optional + 64;
    headers.checkSum = file.Read32(optional + 64, "optional header");

    const std::uint32_t declared = file.Read32(optional + layout.numberOfDirectories, "optional header");
    const std::size_t room = (optionalHeaderBytes - layout.directories) / 8;
    if (declared > room) Refuse("more data directories than the optional header holds");
    headers.directoriesOffset = optional + layout.directories;
    for (std::size_t i = 0; i < declared && i < kMaxDirectories; ++i) {
        const std::size_t entry = headers.directoriesOffset + 8 * i;
        headers.directories.push_back({file.Read32(entry, "data directory"), file.Read32(entry + 4, "data directory")});
    }

    const std::size_t sectionTable = optional + optionalHeaderBytes;
    for (std::size_t i = 0; i < numberOfSections; ++i) {
        headers.sections.push_back(ReadSectionHeader(file, sectionTable + i * kSectionHeaderBytes));
    }
    return headers;
}
