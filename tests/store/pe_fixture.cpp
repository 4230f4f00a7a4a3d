#include "pe_fixture.h"

#include <algorithm>

#include "note/note_entries.h"
#include "store/resource_section_writer.h"

namespace fixture {

namespace {

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

constexpr std::uint32_t kHeadersBytes = 0x400;

}  // namespace

std::uint16_t Read16(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

std::uint32_t Read32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    return Read16(bytes, offset) | (std::uint32_t{Read16(bytes, offset + 2)} << 16);
}

void Put16(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    Put16(bytes, offset, value & 0xffff);
    Put16(bytes, offset + 2, value >> 16);
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::uint32_t OptionalHeaderBytes(bool pe32Plus) {
    return (pe32Plus ? 112 : 96) + 16 * 8;
}

std::uint32_t SectionHeaderOffset(bool pe32Plus, std::size_t index) {
    return kOptionalOffset + OptionalHeaderBytes(pe32Plus) + 40 * static_cast<std::uint32_t>(index);
}

std::uint32_t DirectoryOffset(bool pe32Plus, std::size_t index) {
    return kOptionalOffset + (pe32Plus ? 112 : 96) + 8 * static_cast<std::uint32_t>(index);
}

std::uint32_t SectionAddress(const Image& image, std::size_t index) {
    std::uint32_t address = image.firstAddress;
    for (std::size_t i = 0; i < index; ++i) {
        address += AlignUp(static_cast<std::uint32_t>(std::max<std::size_t>(1, image.sections[i].bytes.size())),
                           kSectionAlignment);
    }
    return address;
}

std::vector<std::uint8_t> Build(const Image& image) {
    const bool plus = image.pe32Plus;
    std::vector<std::uint8_t> file(kHeadersBytes, 0);
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3c, kPeOffset);
    file[kPeOffset] = 'P';
    file[kPeOffset + 1] = 'E';
    Put16(file, kCoffOffset, plus ? 0x8664 : 0x14c);
    Put16(file, kCoffOffset + 2, static_cast<std::uint32_t>(image.sections.size()));
    Put16(file, kCoffOffset + 16, OptionalHeaderBytes(plus));
    Put16(file, kCoffOffset + 18, 0x0102);
    Put16(file, kOptionalOffset, plus ? 0x20b : 0x10b);
    Put32(file, kOptionalOffset + 16, image.firstAddress);  // entry point: start of .text
    Put32(file, kOptionalOffset + 32, kSectionAlignment);
    Put32(file, kOptionalOffset + 36, kFileAlignment);
    Put32(file, kOptionalOffset + 60, kHeadersBytes);
    Put32(file, kOptionalOffset + 64, image.checkSum);
    Put16(file, kOptionalOffset + 68, 2);
    Put32(file, kOptionalOffset + (plus ? 108 : 92), 16);

    std::uint32_t initializedData = 0;
    std::uint32_t imageEnd = image.firstAddress;
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const Section& section = image.sections[i];
        const std::uint32_t size = static_cast<std::uint32_t>(section.bytes.size());
        const std::uint32_t address = SectionAddress(image, i);
        const std::uint32_t rawSize = AlignUp(size, kFileAlignment);
        const std::uint32_t header = SectionHeaderOffset(plus, i);
        std::copy(section.name.begin(), section.name.end(), file.begin() + header);
        Put32(file, header + 8, size);
        Put32(file, header + 12, address);
        Put32(file, header + 16, rawSize);
        Put32(file, header + 20, static_cast<std::uint32_t>(file.size()));
        Put32(file, header + 36, section.characteristics);
        file.insert(file.end(), section.bytes.begin(), section.bytes.end());
        file.resize(file.size() + rawSize - size, 0);
        if (section.characteristics & 0x40) initializedData += rawSize;
        imageEnd = address + AlignUp(std::max<std::uint32_t>(1, size), kSectionAlignment);
        if (static_cast<int>(i) == image.resourceSection) {
            Put32(file, DirectoryOffset(plus, 2), address);
            Put32(file, DirectoryOffset(plus, 2) + 4, size);
        }
        if (static_cast<int>(i) == image.relocationSection) {
            Put32(file, DirectoryOffset(plus, 5), address);
            Put32(file, DirectoryOffset(plus, 5) + 4, size);
        }
    }
    Put32(file, kOptionalOffset + 8, initializedData);
    Put32(file, kOptionalOffset + 56, imageEnd);
    file.insert(file.end(), image.trailingBytes.begin(), image.trailingBytes.end());
    return file;
}

std::vector<std::uint8_t> HandAssembledResourceSection() {
    constexpr std::uint32_t kSubdirectory = 0x80000000u;
    constexpr std::uint32_t kNamed = 0x80000000u;
    std::vector<std::uint8_t> s(0xd3, 0);
    // Type table: one named type, one numbered.
    Put16(s, 0x0c, 1);
    Put16(s, 0x0e, 1);
    Put32(s, 0x10, kNamed | 0xa0);  // "PACKET"
    Put32(s, 0x14, kSubdirectory | 0x20);
    Put32(s, 0x18, 16);
    Put32(s, 0x1c, kSubdirectory | 0x50);
    // PACKET's name table: "DATA".
    Put16(s, 0x2c, 1);
    Put32(s, 0x30, kNamed | 0xae);
    Put32(s, 0x34, kSubdirectory | 0x38);
    // PACKET/DATA's language table: language 0, data record at 0x90.
    Put16(s, 0x46, 1);
    Put32(s, 0x48, 0);
    Put32(s, 0x4c, 0x90);
    // #16's name table: #1.
    Put16(s, 0x5e, 1);
    Put32(s, 0x60, 1);
    Put32(s, 0x64, kSubdirectory | 0x68);
    // #16/#1's language table: 0x409, data record at 0x80.
    Put16(s, 0x76, 1);
    Put32(s, 0x78, 0x409);
    Put32(s, 0x7c, 0x80);
    // Data records: "hello" at 0xc0 in code page 1252, then "abc" at 0xd0.
    Put32(s, 0x80, kHandResourceAddress + 0xc0);
    Put32(s, 0x84, 5);
    Put32(s, 0x88, 1252);
    Put32(s, 0x90, kHandResourceAddress + 0xd0);
    Put32(s, 0x94, 3);
    // Names: counted UTF-16.
    const std::u16string packet = u"PACKET";
    Put16(s, 0xa0, 6);
    for (std::size_t i = 0; i < packet.size(); ++i) Put16(s, 0xa2 + 2 * i, packet[i]);
    const std::u16string data = u"DATA";
    Put16(s, 0xae, 4);
    for (std::size_t i = 0; i < data.size(); ++i) Put16(s, 0xb0 + 2 * i, data[i]);
    std::copy_n("hello", 5, s.begin() + 0xc0);
    std::copy_n("abc", 3, s.begin() + 0xd0);
    return s;
}

std::vector<std::uint8_t> HandAssembledImage(bool pe32Plus) {
    Image image;
    image.pe32Plus = pe32Plus;
    image.sections.push_back({".text", std::vector<std::uint8_t>(0x30, 0xc3), kCodeCharacteristics});
    image.sections.push_back({".rsrc", HandAssembledResourceSection(), kResourceCharacteristics});
    image.resourceSection = 1;
    return Build(image);
}

std::vector<ResourceEntry> SampleEntries() {
    const std::uint32_t chinese = 0x804;
    std::vector<ResourceEntry> entries = {
        {{ResourceId::Number(4), ResourceId::Number(41), chinese}, Bytes("menu template"), 0},
        {{ResourceId::Number(5), ResourceId::Number(42), chinese}, Bytes("dialog 42"), 0},
        {{ResourceId::Number(5), ResourceId::Number(129), chinese}, Bytes("dialog 129, longer"), 0},
        {{ResourceId::Number(5), ResourceId::Number(129), 0x409}, Bytes("dialog 129, English"), 1252},
        {{ResourceId::Number(6), ResourceId::Number(3), chinese}, {}, 0},
        {{ResourceId::Name("CUSTOM"), ResourceId::Name(u"\u7B14\u8BB0"), 0}, Bytes("named in Chinese"), 936},
        {{ResourceId::Name("CUSTOM"), ResourceId::Number(7), 0}, std::vector<std::uint8_t>(300, 0x5a), 0},
    };
    std::sort(entries.begin(), entries.end(),
              [](const ResourceEntry& left, const ResourceEntry& right) { return left.key < right.key; });
    return entries;
}

Image SampleImage(bool pe32Plus, const std::vector<ResourceEntry>& entries) {
    Image image;
    image.pe32Plus = pe32Plus;
    std::vector<std::uint8_t> code(0x900);
    for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 7 + 1);
    image.sections.push_back({".text", code, kCodeCharacteristics});
    image.sections.push_back({".data", Bytes("initialised data"), kDataCharacteristics});
    image.sections.push_back({".rsrc", {}, kResourceCharacteristics});
    image.resourceSection = 2;
    image.sections[2].bytes = BuildResourceSection(entries, SectionAddress(image, 2));
    std::vector<std::uint8_t> relocations(12, 0);
    Put32(relocations, 0, 0x1000);  // one block for the first page of .text
    Put32(relocations, 4, 12);
    Put16(relocations, 8, 0x3010);
    image.sections.push_back({".reloc", relocations, kRelocationCharacteristics});
    image.relocationSection = 3;
    image.checkSum = 1;  // any value but 0: the image has a checksum
    image.trailingBytes = Bytes("trailing bytes after every section");
    return image;
}

std::vector<ResourceChange> DeleteNoteEntries() {
    std::vector<ResourceChange> changes;
    for (const std::string& name : AllNoteEntryNames()) changes.push_back({NoteEntryKey(name), std::nullopt});
    return changes;
}

}  // namespace fixture
