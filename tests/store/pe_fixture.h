// Small PE32 and PE32+ images for the store's tests, assembled field by
// field from the format's layout, independently of the store's own parser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/resource_changes.h"
#include "store/resource_entry.h"

namespace fixture {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kPeOffset = 0x40;
constexpr std::uint32_t kCoffOffset = kPeOffset + 4;
constexpr std::uint32_t kOptionalOffset = kCoffOffset + 20;
constexpr std::uint32_t kCodeCharacteristics = 0x60000020;
constexpr std::uint32_t kDataCharacteristics = 0xC0000040;
constexpr std::uint32_t kResourceCharacteristics = 0x40000040;
constexpr std::uint32_t kRelocationCharacteristics = 0x42000040;  // discardable

struct Section {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::uint32_t characteristics = kDataCharacteristics;
};

// Sections are laid out in order from firstAddress, each on its own
// pages and file blocks; directoryOf names the data directories that begin
// (and span the whole of) a section.
struct Image {
    bool pe32Plus = false;
    std::uint32_t firstAddress = kSectionAlignment;
    std::vector<Section> sections;
    int resourceSection = -1;
    int relocationSection = -1;
    std::uint32_t checkSum = 0;
    std::vector<std::uint8_t> trailingBytes;  // after the last section, as a debugger's or signer's data
};

std::vector<std::uint8_t> Build(const Image& image);

// The address a section gets from Build, from the sizes of those before it.
std::uint32_t SectionAddress(const Image& image, std::size_t index);

std::uint32_t OptionalHeaderBytes(bool pe32Plus);
std::uint32_t SectionHeaderOffset(bool pe32Plus, std::size_t index);
std::uint32_t DirectoryOffset(bool pe32Plus, std::size_t index);

std::uint16_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t offset);
std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t offset);
void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);
void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value);

std::vector<std::uint8_t> Bytes(const std::string& text);

// Deletes the three note entries in language 0, whether present or not.
std::vector<ResourceChange> DeleteNoteEntries();

// A resource section laid out by hand, for an image whose section is at
// kHandResourceAddress: "PACKET"/"DATA"/0 = "abc" and #16/#1/0x409 = "hello"
// (code page 1252), with the strings and data records in an order of their own.
constexpr std::uint32_t kHandResourceAddress = 0x2000;
std::vector<std::uint8_t> HandAssembledResourceSection();
// A PE32 (or PE32+) image: .text at 0x1000, that section at 0x2000.
std::vector<std::uint8_t> HandAssembledImage(bool pe32Plus);

// Entries of several kinds: numbered and named types and names, non-ASCII
// names, several languages, an empty entry, code pages.
std::vector<ResourceEntry> SampleEntries();

// .text, .rsrc holding entries, .reloc (discardable, with the base
// relocations), a checksum and trailing bytes.
Image SampleImage(bool pe32Plus, const std::vector<ResourceEntry>& entries);

}  // namespace fixture
