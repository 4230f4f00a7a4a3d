// The real program, as the MinGW builds link it: its resources read, its
// checksum recomputed, and the note's entries written into a copy and
// removed again, its identity kept throughout. Skipped when the Windows builds are not there (a native
// build comes first); SCRIBECRYPT_BUILD_ROOT names another build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "crypto/legacy_format.h"
#include "note/note_entries.h"
#include "note/program_identity.h"
#include "store/image_rewriter.h"
#include "store/pe_checksum.h"
#include "store/pe_headers.h"
#include "store/resource_reader.h"

namespace {

enum ResourceType : std::uint32_t { kMenu = 4, kDialog = 5, kStringTable = 6, kAccelerators = 9, kGroupIcon = 14 };

std::string ProgramPath(const std::string& build) {
    const char* root = std::getenv("SCRIBECRYPT_BUILD_ROOT");
    return std::string(root != nullptr ? root : SCRIBECRYPT_DEFAULT_BUILD_ROOT) + "/" + build + "/app/scribecrypt.exe";
}

bool HasEntry(const std::vector<ResourceEntry>& entries, std::uint32_t type, std::uint32_t name) {
    for (const ResourceEntry& entry : entries) {
        if (entry.key.type == ResourceId::Number(type) && entry.key.name == ResourceId::Number(name)) return true;
    }
    return false;
}

class ProgramImage : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        std::ifstream file(ProgramPath(GetParam()), std::ios::binary);
        if (!file) GTEST_SKIP() << ProgramPath(GetParam()) << " is not built";
        m_image.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    std::vector<std::uint8_t> m_image;
};

TEST_P(ProgramImage, ListsTheProgramsOwnResources) {
    const std::vector<ResourceEntry> entries = ReadResources(m_image.data(), m_image.size());
    EXPECT_TRUE(HasEntry(entries, kMenu, 41));
    EXPECT_TRUE(HasEntry(entries, kAccelerators, 41));
    EXPECT_TRUE(HasEntry(entries, kGroupIcon, 41));
    for (std::uint32_t dialog : {42u, 129u, 132u}) EXPECT_TRUE(HasEntry(entries, kDialog, dialog)) << dialog;
    bool hasStrings = false;
    for (const ResourceEntry& entry : entries) hasStrings |= entry.key.type == ResourceId::Number(kStringTable);
    EXPECT_TRUE(hasStrings);
}

TEST_P(ProgramImage, ChecksumAgreesWithTheLinkers) {
    const PeHeaders headers = ParsePeHeaders(m_image.data(), m_image.size());
    ASSERT_NE(headers.checkSum, 0u);
    EXPECT_EQ(ComputePeChecksum(m_image.data(), m_image.size(), headers.checkSumOffset), headers.checkSum);
}

TEST_P(ProgramImage, TakesALargeNoteAndGivesItBackKeepingEveryOtherResource) {
    const std::vector<ResourceEntry> original = ReadResources(m_image.data(), m_image.size());
    std::vector<std::uint8_t> data(1 << 20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    const std::vector<std::uint8_t> locked =
        RewriteResources(m_image.data(), m_image.size(), PutNoteEntries(LegacyEntries({std::vector<std::uint8_t>(64, 7), data, {'S', 'M', '4'}})));

    const std::vector<ResourceEntry> withNote = ReadResources(locked.data(), locked.size());
    ASSERT_EQ(withNote.size(), original.size() + 3);
    EXPECT_EQ(FindResource(withNote, NoteEntryKey("DATA"))->bytes, data);
    for (const ResourceEntry& entry : original) {
        const ResourceEntry* kept = FindResource(withNote, entry.key);
        ASSERT_NE(kept, nullptr) << entry.key.Describe();
        EXPECT_EQ(kept->bytes, entry.bytes) << entry.key.Describe();
    }
    const PeHeaders headers = ParsePeHeaders(locked.data(), locked.size());
    EXPECT_EQ(ComputePeChecksum(locked.data(), locked.size(), headers.checkSumOffset), headers.checkSum);

    const std::vector<std::uint8_t> cleared = RewriteResources(locked.data(), locked.size(), RemoveNoteEntries(withNote));
    const std::vector<ResourceEntry> withoutNote = ReadResources(cleared.data(), cleared.size());
    ASSERT_EQ(withoutNote.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(withoutNote[i].key, original[i].key);
        EXPECT_EQ(withoutNote[i].bytes, original[i].bytes);
    }
    EXPECT_EQ(cleared.size(), m_image.size());  // the section shrinks back to its blocks

    const std::string identity = ProgramIdentity(m_image.data(), m_image.size());
    EXPECT_EQ(identity, ProgramIdentity(locked.data(), locked.size()));
    EXPECT_EQ(identity, ProgramIdentity(cleared.data(), cleared.size()));
}

INSTANTIATE_TEST_SUITE_P(Builds, ProgramImage, testing::Values("win32", "win64"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
