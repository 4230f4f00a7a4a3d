// Reading resource directories: an image laid out by hand, hostile and
// truncated images, and (when the Windows build is at hand) the real program.
#include "store/resource_reader.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <functional>
#include <new>
#include <string>
#include <vector>

#include "pe_fixture.h"
#include "store/image_error.h"

namespace {

using fixture::Bytes;

constexpr std::uint32_t kHandSectionFile = 0x600;  // file offset of the hand-made section's bytes

ImageErrorKind KindOfFailure(const std::vector<std::uint8_t>& image) {
    try {
        ReadResources(image.data(), image.size());
    } catch (const ImageError& error) {
        return error.kind();
    }
    ADD_FAILURE() << "the image was read";
    return ImageErrorKind::CannotRewrite;
}

class HandAssembled : public testing::TestWithParam<bool> {};

TEST_P(HandAssembled, ListsEveryEntryWithItsKeyBytesAndCodePage) {
    const std::vector<std::uint8_t> image = fixture::HandAssembledImage(GetParam());
    const std::vector<ResourceEntry> entries = ReadResources(image.data(), image.size());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].key, (ResourceKey{ResourceId::Name("PACKET"), ResourceId::Name("DATA"), 0}));
    EXPECT_EQ(entries[0].bytes, Bytes("abc"));
    EXPECT_EQ(entries[0].codePage, 0u);
    EXPECT_EQ(entries[1].key, (ResourceKey{ResourceId::Number(16), ResourceId::Number(1), 0x409}));
    EXPECT_EQ(entries[1].bytes, Bytes("hello"));
    EXPECT_EQ(entries[1].codePage, 1252u);
    EXPECT_NE(FindResource(entries, entries[1].key), nullptr);
    EXPECT_EQ(FindResource(entries, {ResourceId::Name("PACKET"), ResourceId::Name("DATA"), 1}), nullptr);
}

TEST_P(HandAssembled, EveryShorterFileIsRefused) {
    const std::vector<std::uint8_t> image = fixture::HandAssembledImage(GetParam());
    for (std::size_t length = 0; length < image.size(); ++length) {
        const std::vector<std::uint8_t> truncated(image.begin(), image.begin() + length);
        EXPECT_THROW(ReadResources(truncated.data(), truncated.size()), ImageError) << length;
    }
}

// Wine's resource update leaves data in the section's last page past its
// virtual size; the loader maps whole pages of raw data, so it is read.
TEST_P(HandAssembled, ReadsDataInTheLastPagePastTheVirtualSize) {
    std::vector<std::uint8_t> image = fixture::HandAssembledImage(GetParam());
    const std::vector<ResourceEntry> whole = ReadResources(image.data(), image.size());
    fixture::Put32(image, fixture::SectionHeaderOffset(GetParam(), 1) + 8, 0x10);
    const std::vector<ResourceEntry> entries = ReadResources(image.data(), image.size());
    ASSERT_EQ(entries.size(), whole.size());
    for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].bytes, whole[i].bytes);
}

INSTANTIATE_TEST_SUITE_P(Formats, HandAssembled, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Pe32Plus" : "Pe32"; });

TEST(ResourceReader, RefusesWhatIsNoPeImage) {
    std::vector<std::uint8_t> image = fixture::HandAssembledImage(false);
    EXPECT_EQ(KindOfFailure({}), ImageErrorKind::NotPortableExecutable);
    EXPECT_EQ(KindOfFailure(Bytes("\x7f" "ELF and more bytes than a header needs, more bytes than a header needs")),
              ImageErrorKind::NotPortableExecutable);
    std::vector<std::uint8_t> noSignature = image;
    noSignature[fixture::kPeOffset + 1] = 'X';
    EXPECT_EQ(KindOfFailure(noSignature), ImageErrorKind::NotPortableExecutable);
    std::vector<std::uint8_t> farSignature = image;
    fixture::Put32(farSignature, 0x3c, 0xfffffff0u);
    EXPECT_EQ(KindOfFailure(farSignature), ImageErrorKind::NotPortableExecutable);
    std::vector<std::uint8_t> unknownMagic = image;
    fixture::Put16(unknownMagic, fixture::kOptionalOffset, 0x107);
    EXPECT_EQ(KindOfFailure(unknownMagic), ImageErrorKind::NotPortableExecutable);
}

TEST(ResourceReader, RefusesAnImageWithoutResources) {
    fixture::Image image;
    image.sections.push_back({".text", std::vector<std::uint8_t>(16, 0xc3), fixture::kCodeCharacteristics});
    const std::vector<std::uint8_t> bytes = fixture::Build(image);
    EXPECT_EQ(KindOfFailure(bytes), ImageErrorKind::NoResourceSection);
}

// One field of the hand-made section changed: each makes the directory
// one that cannot be trusted.
struct Damage {
    const char* name;
    std::uint32_t sectionOffset;
    std::uint32_t value;
};

class DamagedDirectory : public testing::TestWithParam<Damage> {};

TEST_P(DamagedDirectory, IsRefusedAsDamaged) {
    std::vector<std::uint8_t> image = fixture::HandAssembledImage(false);
    fixture::Put32(image, kHandSectionFile + GetParam().sectionOffset, GetParam().value);
    EXPECT_EQ(KindOfFailure(image), ImageErrorKind::DamagedResources);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DamagedDirectory,
    testing::Values(Damage{"TypeTableOutsideTheSection", 0x14, 0x80000000u | 0x5000},
                    Damage{"TableEntriesPastTheSection", 0x0c, 0xffff0000u},
                    Damage{"TypeLeadsBackToTheRoot", 0x14, 0x80000000u},
                    Damage{"TwoTypesShareANameTable", 0x1c, 0x80000000u | 0x20},
                    Damage{"LanguageLeadsToATable", 0x4c, 0x80000000u | 0x38},
                    Damage{"TypeLeadsToAData", 0x14, 0x90},
                    Damage{"LanguageGivenAsName", 0x48, 0x80000000u | 0xa0},
                    Damage{"TwoLanguagesShareARecord", 0x7c, 0x90},
                    Damage{"NameOutsideTheSection", 0x10, 0x80000000u | 0x200},
                    Damage{"NameLongerThanTheSection", 0xa0, 0x0000ffffu},
                    Damage{"DataBeforeEverySection", 0x90, 0x10},
                    Damage{"DataPastTheSection", 0x90, fixture::kHandResourceAddress + 0x200},
                    Damage{"HugeDataSize", 0x94, 0xfffffff0u},
                    Damage{"OverlappingData", 0x90, fixture::kHandResourceAddress + 0xc2}),
    [](const testing::TestParamInfo<Damage>& info) { return info.param.name; });

TEST(ResourceReader, RefusesADirectoryOutsideEverySection) {
    std::vector<std::uint8_t> image = fixture::HandAssembledImage(false);
    fixture::Put32(image, fixture::DirectoryOffset(false, 2), 0x9000);
    EXPECT_EQ(KindOfFailure(image), ImageErrorKind::DamagedResources);
}

// One type and one name of 65,535 units each, shared by 10,000 language
// entries with empty data of their own: a 370 KiB file whose entries, each
// copying both strings, would need 2.6 GB. It is refused once the copies
// outgrow the file, after a few dozen entries.
TEST(ResourceReader, RefusesSharedLongNamesThatEveryEntryWouldCopy) {
    constexpr std::uint32_t kUnits = 0xFFFF;
    constexpr std::uint32_t kLanguages = 10000;
    constexpr std::uint32_t kName = 0x30;                       // the one string, after both tables
    constexpr std::uint32_t kLanguageTable = kName + 2 + 2 * kUnits + 2;
    constexpr std::uint32_t kDataEntries = kLanguageTable + 16 + 8 * kLanguages;
    std::vector<std::uint8_t> section(kDataEntries + 16 * kLanguages, 0);
    fixture::Put16(section, 0x0c, 1);  // root: one named entry
    fixture::Put32(section, 0x10, 0x80000000u | kName);
    fixture::Put32(section, 0x14, 0x80000000u | 0x18);
    fixture::Put16(section, 0x18 + 0x0c, 1);  // names: one named entry, the same string
    fixture::Put32(section, 0x18 + 0x10, 0x80000000u | kName);
    fixture::Put32(section, 0x18 + 0x14, 0x80000000u | kLanguageTable);
    fixture::Put16(section, kName, kUnits);
    for (std::uint32_t i = 0; i < kUnits; ++i) fixture::Put16(section, kName + 2 + 2 * i, 'A' + i % 26);
    fixture::Put16(section, kLanguageTable + 0x0e, kLanguages);
    for (std::uint32_t i = 0; i < kLanguages; ++i) {
        fixture::Put32(section, kLanguageTable + 16 + 8 * i, i);
        fixture::Put32(section, kLanguageTable + 16 + 8 * i + 4, kDataEntries + 16 * i);
    }
    fixture::Image image;
    image.sections = {{".text", std::vector<std::uint8_t>(16, 0xC3), fixture::kCodeCharacteristics},
                      {".rsrc", section, fixture::kResourceCharacteristics}};
    image.resourceSection = 1;
    const std::uint32_t address = fixture::SectionAddress(image, 1);
    for (std::uint32_t i = 0; i < kLanguages; ++i) fixture::Put32(image.sections[1].bytes, kDataEntries + 16 * i, address);
    const std::vector<std::uint8_t> file = fixture::Build(image);
    try {
        ReadResources(file.data(), file.size());
        ADD_FAILURE() << "the directory was read";
    } catch (const ImageError& error) {
        EXPECT_EQ(ImageErrorKind::DamagedResources, error.kind());
        EXPECT_NE(std::string::npos, std::string(error.what()).find("names too long")) << error.what();
    } catch (const std::bad_alloc&) {
        ADD_FAILURE() << "the reader ran out of memory";
    }
#ifndef _WIN32
    // The process's peak, the file and this test's own work included.
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 256L * 1024) << "peak resident kilobytes";
#endif
}

TEST(ResourceReader, RefusesTwoEntriesWithOneKey) {
    std::vector<std::uint8_t> image = fixture::HandAssembledImage(false);
    // #16/#1/0x409 becomes a second PACKET/DATA/0 with its own data.
    fixture::Put32(image, kHandSectionFile + 0x18, 0x80000000u | 0xa0);
    fixture::Put32(image, kHandSectionFile + 0x60, 0x80000000u | 0xae);
    fixture::Put32(image, kHandSectionFile + 0x78, 0);
    fixture::Put16(image, kHandSectionFile + 0x0c, 2);
    fixture::Put16(image, kHandSectionFile + 0x0e, 0);
    EXPECT_EQ(KindOfFailure(image), ImageErrorKind::DamagedResources);
}

}  // namespace
