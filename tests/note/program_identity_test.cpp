// The program identity: unchanged by every way a note is written into an
// image or taken out, changed by anything else.
#include "note/program_identity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "crypto/legacy_format.h"
#include "note/note_entries.h"
#include "store/image_rewriter.h"
#include "tests/store/pe_fixture.h"

namespace {

constexpr std::uint32_t kIcon = 3;
constexpr std::uint32_t kVersion = 16;

std::string IdentityOf(const std::vector<std::uint8_t>& image) { return ProgramIdentity(image.data(), image.size()); }

std::vector<ResourceEntry> ProgramEntries() {
    std::vector<ResourceEntry> entries = fixture::SampleEntries();
    entries.push_back({{ResourceId::Number(kIcon), ResourceId::Number(1), 0x804}, std::vector<std::uint8_t>(64, 0x11), 0});
    entries.push_back({{ResourceId::Number(kVersion), ResourceId::Number(1), 0x804}, fixture::Bytes("version 1.0"), 0});
    std::sort(entries.begin(), entries.end(),
              [](const ResourceEntry& left, const ResourceEntry& right) { return left.key < right.key; });
    return entries;
}

std::vector<std::uint8_t> Program(bool pe32Plus, const std::vector<ResourceEntry>& entries = ProgramEntries()) {
    return fixture::Build(fixture::SampleImage(pe32Plus, entries));
}

class Identity : public testing::TestWithParam<bool> {};

TEST_P(Identity, IsTheSameWhicheverWriterPutsANoteInOrTakesItOut) {
    const std::vector<std::uint8_t> built = Program(GetParam());
    const std::string identity = IdentityOf(built);
    EXPECT_EQ(64u, identity.size());

    // Large enough to move the relocation section to new pages and offsets.
    const std::vector<std::uint8_t> data(0x5000, 0x42);
    const std::vector<std::uint8_t> locked = RewriteResources(
        built.data(), built.size(), PutNoteEntries(LegacyEntries({std::vector<std::uint8_t>(64, 7), data, {'S', 'M', '4'}})));
    ASSERT_NE(fixture::Read32(locked, fixture::SectionHeaderOffset(GetParam(), 3) + 12),
              fixture::Read32(built, fixture::SectionHeaderOffset(GetParam(), 3) + 12));
    EXPECT_EQ(identity, IdentityOf(locked));
    EXPECT_EQ(identity, IdentityOf(RewriteResources(locked.data(), locked.size(), fixture::DeleteNoteEntries())));

    // Another writer's layout of the same resources and note.
    std::vector<ResourceEntry> withNote = ProgramEntries();
    withNote.push_back({NoteEntryKey("NOTE"), data, 0});
    std::sort(withNote.begin(), withNote.end(),
              [](const ResourceEntry& left, const ResourceEntry& right) { return left.key < right.key; });
    EXPECT_EQ(identity, IdentityOf(Program(GetParam(), withNote)));
}

TEST_P(Identity, ChangesWithAnythingButTheNote) {
    const bool pe32Plus = GetParam();
    const std::string identity = IdentityOf(Program(pe32Plus));
    const auto withResource = [&](std::uint32_t type, std::size_t byte) {
        std::vector<ResourceEntry> entries = ProgramEntries();
        for (ResourceEntry& entry : entries) {
            if (entry.key.type == ResourceId::Number(type)) entry.bytes[byte] ^= 1;
        }
        return Program(pe32Plus, entries);
    };
    const auto withByte = [&](std::size_t offset) {
        std::vector<std::uint8_t> image = Program(pe32Plus);
        image[offset] ^= 1;
        return image;
    };
    const auto rawOffset = [&](std::size_t section) {
        return fixture::Read32(Program(pe32Plus), fixture::SectionHeaderOffset(pe32Plus, section) + 20);
    };
    std::vector<ResourceEntry> relabelled = ProgramEntries();
    relabelled.front().key.language ^= 1;

    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> changed = {
        {"a byte of code", withByte(rawOffset(0) + 0x123)},
        {"a relocation", withByte(rawOffset(3) + 8)},
        {"where the relocations begin", withByte(fixture::DirectoryOffset(pe32Plus, 5))},
        {"an icon pixel", withResource(kIcon, 40)},
        {"the version", withResource(kVersion, 8)},
        {"a resource's language", Program(pe32Plus, relabelled)},
        {"the subsystem", withByte(fixture::kOptionalOffset + 68)},
    };
    for (const auto& [what, image] : changed) EXPECT_NE(identity, IdentityOf(image)) << what;
}

INSTANTIATE_TEST_SUITE_P(Images, Identity, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Pe32Plus" : "Pe32"; });

}  // namespace
