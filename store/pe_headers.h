// The headers of a PE32 or PE32+ image file: where its sections lie in the
// file and in memory, its data directories, and the file offsets of the
// header fields that a resource rewrite changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct SectionHeader {
    std::string name;  // up to 8 bytes, without the padding zeros
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
    std::uint32_t characteristics = 0;
    std::size_t headerOffset = 0;  // file offset of this section's 40-byte header

    // Bytes of the section that the file holds and the loader maps: the raw
    // data up to the virtual size rounded up to whole pages of
    // sectionAlignment, for the loader maps pages (Wine's resource update
    // leaves data in the last page past the virtual size); a virtual size of
    // 0 (old linkers) means the raw size.
    std::uint32_t MappedFileBytes(std::uint32_t sectionAlignment) const;
    // Bytes the section spans in memory: its virtual size, or for a virtual
    // size of 0 its raw size.
    std::uint64_t MemorySpan() const { return virtualSize != 0 ? virtualSize : rawSize; }
    bool Contains(std::uint32_t rva) const { return rva >= virtualAddress && rva - virtualAddress < MemorySpan(); }
};

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

// Indexes into the data directories used here.
constexpr std::size_t kCertificateDirectory = 4;  // its "rva" is a file offset
constexpr std::size_t kResourceDirectory = 2;
constexpr std::size_t kBaseRelocationDirectory = 5;
constexpr std::size_t kDebugDirectory = 6;

constexpr std::uint32_t kSectionDiscardable = 0x02000000;

struct PeHeaders {
    bool isPe32Plus = false;
    std::uint32_t fileAlignment = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::uint32_t sizeOfInitializedData = 0;
    std::uint32_t checkSum = 0;
    std::uint32_t addressOfEntryPoint = 0;
    std::uint32_t pointerToSymbolTable = 0;
    std::vector<DataDirectory> directories;  // as many as the image declares, at most 16
    std::vector<SectionHeader> sections;     // in section table order

    // File offsets of the fields a rewrite updates.
    std::size_t pointerToSymbolTableOffset = 0;
    std::size_t sizeOfInitializedDataOffset = 0;
    std::size_t sizeOfImageOffset = 0;
    std::size_t checkSumOffset = 0;
    std::size_t directoriesOffset = 0;  // the first data directory's 8 bytes

    // The file offset of [rva, rva + length) when one section's mapped file
    // bytes hold all of it.
    std::optional<std::uint64_t> FileOffsetOf(std::uint32_t rva, std::uint32_t length) const;
    // The index of the section whose memory range holds rva.
    std::optional<std::size_t> SectionAt(std::uint32_t rva) const;
    DataDirectory Directory(std::size_t index) const;
};

// Parses the DOS, COFF and optional headers and the section table. Throws
// ImageError (not a PE file) for anything that is not a well-formed PE32 or
// PE32+ image, including a file cut short inside a section's raw data.
PeHeaders ParsePeHeaders(const std::uint8_t* image, std::size_t imageBytes);
