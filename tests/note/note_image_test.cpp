// The check both the editor and the companion run on an image they have
// rewritten: each way a rewrite can go wrong is refused, with its reason.
#include "note/note_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "crypto/legacy_format.h"
#include "store/resource_reader.h"
#include "tests/store/pe_fixture.h"

namespace {

constexpr char kText[] = "a note under test";
constexpr char kPassword[] = "pass";

std::vector<std::uint8_t> ImageWith(std::vector<ResourceEntry> entries) {
    std::sort(entries.begin(), entries.end(),
              [](const ResourceEntry& left, const ResourceEntry& right) { return left.key < right.key; });
    return fixture::Build(fixture::SampleImage(false, entries));
}

// A rewrite as it should be, then spoiled by change (given its entries).
struct Spoiled {
    const char* name;
    std::function<void(std::vector<ResourceEntry>&)> change;
    const char* reason;  // part of the refusal's message; null when it must pass
};

void PrintTo(const Spoiled& spoiled, std::ostream* out) { *out << spoiled.name; }

class RewrittenImage : public testing::TestWithParam<Spoiled> {
protected:
    RewrittenImage() : m_original(ImageWith(fixture::SampleEntries())), m_sealed(LegacyEntries(*SealDocument(kText, kPassword, "SM4"))) {}

    std::vector<ResourceEntry> GoodRewrite() const {
        return ReadResources(m_original.WithNote(m_sealed).data(), m_original.WithNote(m_sealed).size());
    }

    NoteImage m_original;
    SealedNote m_sealed;
};

TEST_P(RewrittenImage, IsAcceptedOnlyWhenWhole) {
    std::vector<ResourceEntry> entries = GoodRewrite();
    GetParam().change(entries);
    const std::vector<std::uint8_t> written = ImageWith(entries);
    if (GetParam().reason == nullptr) {
        EXPECT_NO_THROW(CheckRewrittenImage(m_original, written, &m_sealed, kText, kPassword));
        return;
    }
    try {
        CheckRewrittenImage(m_original, written, &m_sealed, kText, kPassword);
        ADD_FAILURE() << "accepted";
    } catch (const NoteError& error) {
        EXPECT_NE(std::string::npos, std::string(error.what()).find(GetParam().reason)) << error.what();
    }
}

ResourceEntry& Entry(std::vector<ResourceEntry>& entries, const char* name) {
    for (ResourceEntry& entry : entries) {
        if (entry.key == NoteEntryKey(name)) return entry;
    }
    throw std::logic_error("no entry");
}

const Spoiled kSpoiled[] = {
    {"Whole", [](std::vector<ResourceEntry>&) {}, nullptr},
    {"OtherResourceChanged", [](std::vector<ResourceEntry>& e) { e.front().bytes.push_back(1); }, "changed resource"},
    {"OtherResourceLost", [](std::vector<ResourceEntry>& e) { e.erase(e.begin()); }, "lost or gained"},
    {"OlderNoteLeftInAnotherLanguage",
     [](std::vector<ResourceEntry>& e) {
         ResourceEntry old = Entry(e, "DATA");
         old.key.language = 0x804;
         e.push_back(old);
     },
     "second copy"},
    {"EntryInAnotherLanguage", [](std::vector<ResourceEntry>& e) { Entry(e, "TYPE").key.language = 0x409; },
     "TYPE entry is not the one sealed"},
    {"EntryCutShort", [](std::vector<ResourceEntry>& e) { Entry(e, "DATA").bytes.resize(16); },
     "DATA entry is not the one sealed"},
    {"SealedUnderAnotherPassword",
     [](std::vector<ResourceEntry>& e) {
         const SealedDocument other = *SealDocument(kText, "other", "SM4");
         Entry(e, "HMAC").bytes = other.hmac;
         Entry(e, "DATA").bytes = other.data;
     },
     "HMAC entry is not the one sealed"},
};

INSTANTIATE_TEST_SUITE_P(Check, RewrittenImage, testing::ValuesIn(kSpoiled),
                         [](const testing::TestParamInfo<Spoiled>& info) { return std::string(info.param.name); });

TEST(RewrittenImageCheck, TheEntriesAloneDoNotProveTheNoteOpens) {
    const NoteImage original(ImageWith(fixture::SampleEntries()));
    const SealedNote sealed = LegacyEntries(*SealDocument("other text", kPassword, "AES"));
    const NoteImage rewritten(original.WithNote(sealed));
    EXPECT_NO_THROW(CheckRewrittenEntries(original, rewritten, &sealed));
    EXPECT_THROW(CheckNoteOpens(rewritten, kText, kPassword), NoteError);
    EXPECT_THROW(CheckNoteOpens(rewritten, "other text", "wrong"), NoteError);
    EXPECT_NO_THROW(CheckNoteOpens(rewritten, "other text", kPassword));
}

// A note checked under the key it was sealed with: another key, another
// choice or another text fails the check.
TEST(RewrittenImageCheck, AKeyedNoteOpensOnlyUnderItsKeyAsItsChoice) {
    const NoteChoice& modern = *FindNoteChoice("XCHACHA20");
    const std::unique_ptr<HeldKey> key = modern.format->MakeKey(kPassword);
    const std::unique_ptr<HeldKey> other = modern.format->MakeKey(kPassword);
    ASSERT_TRUE(key && other);
    const NoteImage original(ImageWith(fixture::SampleEntries()));
    const NoteImage rewritten(original.WithNote(*modern.format->SealWith(modern, u8"한국어 😀", *key)));
    EXPECT_NO_THROW(CheckNoteOpens(rewritten, u8"한국어 😀", modern, *key));
    EXPECT_THROW(CheckNoteOpens(rewritten, u8"한국어", modern, *key), NoteError);
    EXPECT_THROW(CheckNoteOpens(rewritten, u8"한국어 😀", modern, *other), NoteError);
    EXPECT_THROW(CheckNoteOpens(rewritten, u8"한국어 😀", *FindNoteChoice("AES"), *key), NoteError);
}

TEST(RewrittenImageCheck, ARemovedNoteLeavesNoEntryInAnyLanguage) {
    const NoteImage original(ImageWith(fixture::SampleEntries()));
    EXPECT_NO_THROW(CheckRewrittenImage(original, original.WithoutNote(), nullptr, {}, {}));

    std::vector<ResourceEntry> entries = fixture::SampleEntries();
    entries.push_back({{ResourceId::Name("PACKET"), ResourceId::Name("HMAC"), 0x804}, std::vector<std::uint8_t>(64, 1), 0});
    EXPECT_THROW(CheckRewrittenImage(original, ImageWith(entries), nullptr, {}, {}), NoteError);
}

}  // namespace
