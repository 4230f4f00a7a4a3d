// Rewriting resources: the note's entries put and deleted, everything else
// kept, the headers updated, and layouts that cannot change refused.
#include "store/image_rewriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto/legacy_format.h"
#include "note/note_entries.h"
#include "pe_fixture.h"
#include "store/image_error.h"
#include "store/pe_checksum.h"
#include "store/resource_reader.h"
#include "store/resource_section_writer.h"

namespace {

using fixture::Bytes;
using fixture::Read32;

constexpr std::size_t kText = 0, kData = 1, kResources = 2, kRelocations = 3;

struct SectionFields {
    std::uint32_t virtualSize, address, rawSize, rawOffset;
};

SectionFields Section(const std::vector<std::uint8_t>& image, bool pe32Plus, std::size_t index) {
    const std::uint32_t header = fixture::SectionHeaderOffset(pe32Plus, index);
    return {Read32(image, header + 8), Read32(image, header + 12), Read32(image, header + 16),
            Read32(image, header + 20)};
}

std::vector<std::uint8_t> RawBytes(const std::vector<std::uint8_t>& image, bool pe32Plus, std::size_t index) {
    const SectionFields fields = Section(image, pe32Plus, index);
    return std::vector<std::uint8_t>(image.begin() + fields.rawOffset,
                                     image.begin() + fields.rawOffset + fields.rawSize);
}

std::vector<ResourceEntry> Read(const std::vector<std::uint8_t>& image) {
    return ReadResources(image.data(), image.size());
}

std::vector<std::uint8_t> Rewrite(const std::vector<std::uint8_t>& image, const std::vector<ResourceChange>& changes) {
    return RewriteResources(image.data(), image.size(), changes);
}

std::vector<ResourceEntry> WithoutPackets(std::vector<ResourceEntry> entries) {
    std::vector<ResourceEntry> kept;
    for (ResourceEntry& entry : entries) {
        if (entry.key.type != ResourceId::Name("PACKET")) kept.push_back(std::move(entry));
    }
    return kept;
}

void ExpectSameEntries(const std::vector<ResourceEntry>& actual, const std::vector<ResourceEntry>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].key, expected[i].key) << expected[i].key.Describe();
        EXPECT_EQ(actual[i].bytes, expected[i].bytes) << expected[i].key.Describe();
        EXPECT_EQ(actual[i].codePage, expected[i].codePage) << expected[i].key.Describe();
    }
}

std::vector<std::uint8_t> Pattern(std::size_t length, unsigned seed) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed) >> 3);
    return bytes;
}

std::vector<ResourceChange> SamplePackets(std::size_t dataBytes) {
    return PutNoteEntries(LegacyEntries({Pattern(64, 1), Pattern(dataBytes, 2), Bytes("SM4")}));
}

class Rewriter : public testing::TestWithParam<bool> {
protected:
    bool Plus() const { return GetParam(); }
    std::vector<std::uint8_t> Original() const {
        return fixture::Build(fixture::SampleImage(Plus(), fixture::SampleEntries()));
    }
};

TEST_P(Rewriter, PutPacketsReadBackExactlyBesideEveryOtherEntry) {
    const std::vector<std::uint8_t> written = Rewrite(Original(), SamplePackets(48));
    const std::vector<ResourceEntry> entries = Read(written);
    ExpectSameEntries(WithoutPackets(entries), fixture::SampleEntries());
    ASSERT_NE(FindResource(entries, NoteEntryKey("HMAC")), nullptr);
    EXPECT_EQ(FindResource(entries, NoteEntryKey("HMAC"))->bytes, Pattern(64, 1));
    EXPECT_EQ(FindResource(entries, NoteEntryKey("DATA"))->bytes, Pattern(48, 2));
    EXPECT_EQ(FindResource(entries, NoteEntryKey("TYPE"))->bytes, Bytes("SM4"));
}

TEST_P(Rewriter, ReplacingAndDeletingLeaveTheOtherEntriesAsTheyWere) {
    const std::vector<std::uint8_t> first = Rewrite(Original(), SamplePackets(48));
    const std::vector<std::uint8_t> second =
        Rewrite(first, PutNoteEntries(LegacyEntries({Pattern(64, 3), Pattern(16, 4), Bytes("CAMELLIA")})));
    EXPECT_EQ(FindResource(Read(second), NoteEntryKey("DATA"))->bytes, Pattern(16, 4));
    EXPECT_EQ(FindResource(Read(second), NoteEntryKey("TYPE"))->bytes, Bytes("CAMELLIA"));
    EXPECT_EQ(Read(second).size(), fixture::SampleEntries().size() + 3);

    const std::vector<std::uint8_t> cleared = Rewrite(second, fixture::DeleteNoteEntries());
    ExpectSameEntries(Read(cleared), fixture::SampleEntries());
    // Deleting what is absent changes no entry.
    ExpectSameEntries(Read(Rewrite(cleared, fixture::DeleteNoteEntries())), fixture::SampleEntries());
}

TEST_P(Rewriter, GrowingMovesTheRelocationsAndKeepsEveryOtherByte) {
    const std::vector<std::uint8_t> original = Original();
    const std::vector<std::uint8_t> grown = Rewrite(original, SamplePackets(100000));
    const SectionFields before = Section(original, Plus(), kResources);
    const SectionFields after = Section(grown, Plus(), kResources);

    EXPECT_EQ(after.address, before.address);
    EXPECT_EQ(after.rawOffset, before.rawOffset);
    EXPECT_GT(after.virtualSize, 100000u);
    EXPECT_EQ(after.rawSize % fixture::kFileAlignment, 0u);
    EXPECT_GE(after.rawSize, after.virtualSize);
    EXPECT_EQ(Read32(grown, fixture::DirectoryOffset(Plus(), 2)), after.address);
    EXPECT_EQ(Read32(grown, fixture::DirectoryOffset(Plus(), 2) + 4), after.virtualSize);

    // The relocations follow the resources to the next free page and file block, unchanged.
    const SectionFields relocations = Section(grown, Plus(), kRelocations);
    EXPECT_EQ(relocations.address, after.address + (after.virtualSize + 0xfff) / 0x1000 * 0x1000);
    EXPECT_EQ(relocations.rawOffset, after.rawOffset + after.rawSize);
    EXPECT_EQ(Read32(grown, fixture::DirectoryOffset(Plus(), 5)), relocations.address);
    EXPECT_EQ(RawBytes(grown, Plus(), kRelocations), RawBytes(original, Plus(), kRelocations));
    EXPECT_EQ(Read32(grown, fixture::kOptionalOffset + 56),
              relocations.address + 0x1000);  // SizeOfImage: the relocations' one page
    EXPECT_EQ(Read32(grown, fixture::kOptionalOffset + 8) - Read32(original, fixture::kOptionalOffset + 8),
              after.rawSize - before.rawSize);  // SizeOfInitializedData

    // Code, data and the bytes after the last section are untouched.
    EXPECT_EQ(RawBytes(grown, Plus(), kText), RawBytes(original, Plus(), kText));
    EXPECT_EQ(RawBytes(grown, Plus(), kData), RawBytes(original, Plus(), kData));
    const std::string trailing = "trailing bytes after every section";
    EXPECT_EQ(std::string(grown.end() - trailing.size(), grown.end()), trailing);
    EXPECT_EQ(grown.size() - original.size(), after.rawSize - before.rawSize);
    EXPECT_EQ(Read32(grown, fixture::kOptionalOffset + 64),
              ComputePeChecksum(grown.data(), grown.size(), fixture::kOptionalOffset + 64));
}

TEST_P(Rewriter, DeletingWhatAGrowthAddedGivesBackTheSameLayout) {
    const std::vector<std::uint8_t> original = Rewrite(Original(), {});
    const std::vector<std::uint8_t> cleared = Rewrite(Rewrite(original, SamplePackets(100000)), fixture::DeleteNoteEntries());
    EXPECT_EQ(cleared, original);
}

INSTANTIATE_TEST_SUITE_P(Formats, Rewriter, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Pe32Plus" : "Pe32"; });

// .rsrc followed in memory by a section the program uses by address.
fixture::Image ImageWithDataAfterResources() {
    fixture::Image image = fixture::SampleImage(false, fixture::SampleEntries());
    image.sections[kRelocations].characteristics = fixture::kDataCharacteristics;
    image.sections[kRelocations].name = ".late";
    image.relocationSection = -1;
    return image;
}

TEST(RewriterLimits, ResourcesGrowWithinTheirRoomBeforeASectionThatCannotMove) {
    const std::vector<std::uint8_t> original = fixture::Build(ImageWithDataAfterResources());
    const std::vector<std::uint8_t> grown = Rewrite(original, SamplePackets(1000));
    EXPECT_EQ(Section(grown, false, kRelocations).address, Section(original, false, kRelocations).address);
    EXPECT_EQ(RawBytes(grown, false, kRelocations), RawBytes(original, false, kRelocations));
    EXPECT_EQ(FindResource(Read(grown), NoteEntryKey("DATA"))->bytes, Pattern(1000, 2));
}

TEST(RewriterLimits, RefusesToOutgrowTheRoomBeforeASectionThatCannotMove) {
    const std::vector<std::uint8_t> original = fixture::Build(ImageWithDataAfterResources());
    try {
        Rewrite(original, SamplePackets(5000));
        FAIL() << "the rewrite was made";
    } catch (const ImageError& error) {
        EXPECT_EQ(error.kind(), ImageErrorKind::CannotRewrite);
        EXPECT_NE(std::string(error.what()).find(".late"), std::string::npos) << error.what();
    }
}

// Resources near the top of the address space with movable relocations
// after them: grown to end at exactly 4 GiB, they would move the
// relocations to address 0 and leave SizeOfImage wrapped round.
TEST(RewriterLimits, RefusesToMoveASectionToFourGiB) {
    fixture::Image image = fixture::SampleImage(false, fixture::SampleEntries());
    image.firstAddress = 0xFFF00000u;
    const std::uint32_t resources = fixture::SectionAddress(image, kResources);
    image.sections[kResources].bytes = BuildResourceSection(fixture::SampleEntries(), resources);
    const std::vector<std::uint8_t> original = fixture::Build(image);
    ASSERT_FALSE(Read(original).empty());
    EXPECT_NO_THROW(Rewrite(original, SamplePackets(1000))) << "growth within the address space";
    // Data that makes the section span up to the last page below 4 GiB.
    const std::size_t upToTheTop = 0x100000000ull - resources - 0x1000 + 0x400;
    try {
        Rewrite(original, SamplePackets(upToTheTop));
        FAIL() << "the rewrite was made";
    } catch (const ImageError& error) {
        EXPECT_EQ(error.kind(), ImageErrorKind::CannotRewrite);
        EXPECT_NE(std::string(error.what()).find("32 bits"), std::string::npos) << error.what();
    }
}

TEST(RewriterLimits, RefusesImagesItCannotRead) {
    fixture::Image noResources;
    noResources.sections.push_back({".text", std::vector<std::uint8_t>(16, 0xc3), fixture::kCodeCharacteristics});
    const std::vector<std::uint8_t> bare = fixture::Build(noResources);
    EXPECT_THROW(Rewrite(bare, SamplePackets(16)), ImageError);

    std::vector<std::uint8_t> damaged = fixture::HandAssembledImage(false);
    fixture::Put32(damaged, 0x600 + 0x94, 0xfffffff0u);
    EXPECT_THROW(Rewrite(damaged, fixture::DeleteNoteEntries()), ImageError);
}

// Headers that claim the resource section's first file bytes: rebuilding the
// section there would overwrite them.
TEST(RewriterLimits, RefusesAResourceSectionOverlappingTheHeaders) {
    std::vector<std::uint8_t> bytes = fixture::Build(fixture::SampleImage(false, fixture::SampleEntries()));
    const std::uint32_t resourcesRaw = Section(bytes, false, kResources).rawOffset;
    fixture::Put32(bytes, fixture::kOptionalOffset + 60, resourcesRaw + fixture::kFileAlignment);
    ASSERT_FALSE(Read(bytes).empty());
    EXPECT_THROW(Rewrite(bytes, SamplePackets(16)), ImageError);
}

TEST(RewriterLimits, RefusesAResourceSectionThatHoldsAnotherDirectory) {
    fixture::Image image = fixture::SampleImage(false, fixture::SampleEntries());
    image.relocationSection = kResources;
    const std::vector<std::uint8_t> bytes = fixture::Build(image);
    EXPECT_THROW(Rewrite(bytes, SamplePackets(16)), ImageError);
}

}  // namespace
