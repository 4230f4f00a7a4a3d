// Earlier versions kept beside a modern note: what a save keeps, moves and
// seals afresh, within which limits, and what its check of the written
// versions catches.
#include "crypto/note_history.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "crypto/legacy_format.h"

namespace {

// Cheap to derive, so that every case can seal and open.
constexpr Argon2idCost kTestCost = {1, 8, 1};

using Entries = std::map<std::string, std::vector<unsigned char>>;

StoredEntries Lookup(const Entries& entries) {
    return [&entries](std::string_view name) {
        const auto found = entries.find(std::string(name));
        return found == entries.end() ? StoredEntry{}
                                      : StoredEntry{true, found->second.data(), found->second.size()};
    };
}

std::unique_ptr<HeldKey> Key(const std::string& password) { return MakeModernHeldKey(password, kTestCost); }

std::vector<unsigned char> Seal(const HeldKey& key, const std::string& text, std::uint64_t saveTime = 7) {
    return SealModernEntry(*ModernKeyOf(key), saveTime, text);
}

// A note whose text is texts[0], with texts[1..] as its versions NOTE1...
Entries NoteWithVersions(const HeldKey& key, const std::vector<std::string>& texts) {
    Entries entries;
    for (std::size_t i = 0; i < texts.size(); ++i)
        entries[i == 0 ? std::string(kModernNoteEntry) : KeptVersionName(i)] = Seal(key, texts[i], 100 + i);
    return entries;
}

// The file a save writes: the new note and the versions kept.
Entries Written(const HeldKey& key, const std::string& text, const std::vector<KeptVersion>& kept) {
    Entries written{{kModernNoteEntry, Seal(key, text)}};
    for (const KeptVersion& version : kept) written[version.entry.name] = version.entry.bytes;
    return written;
}

std::vector<std::string> TextsOf(const std::vector<KeptVersion>& kept) {
    std::vector<std::string> texts;
    for (const KeptVersion& version : kept) texts.emplace_back(version.text.View());
    return texts;
}

TEST(NoteHistory, NamesOnlyTheTwentyVersionEntries) {
    EXPECT_TRUE(IsKeptVersionName("NOTE1"));
    EXPECT_TRUE(IsKeptVersionName("NOTE20"));
    for (const char* other : {"NOTE", "NOTE0", "NOTE01", "NOTE21", "NOTEX", "NOTE1X", "NOTE100", "HMAC"})
        EXPECT_FALSE(IsKeptVersionName(other)) << other;
}

TEST(NoteHistory, UnderTheSameKeyMovesEntriesAndTheReplacedNoteBecomesTheNewest) {
    const std::unique_ptr<HeldKey> key = Key("pw");
    const Entries replaced = NoteWithVersions(*key, {"third", "second", "first"});
    const std::vector<KeptVersion> kept = KeepVersions(Lookup(replaced), key.get(), *key, "fourth");
    ASSERT_EQ(TextsOf(kept), (std::vector<std::string>{"third", "second", "first"}));
    EXPECT_EQ(kept[0].entry.name, "NOTE1");
    EXPECT_EQ(kept[0].source, "NOTE");
    EXPECT_EQ(kept[0].entry.bytes, replaced.at("NOTE"));
    EXPECT_EQ(kept[2].source, "NOTE2");
    EXPECT_EQ(kept[2].entry.bytes, replaced.at("NOTE2"));
    EXPECT_EQ(FindKeptVersionFault(Lookup(Written(*key, "fourth", kept)), kept, Lookup(replaced), *key), "");
}

TEST(NoteHistory, KeepsNoTextTwice) {
    const std::unique_ptr<HeldKey> key = Key("pw");
    // The replaced text is already the newest version, or it is the new text.
    const Entries again = NoteWithVersions(*key, {"same", "same", "older"});
    EXPECT_EQ(TextsOf(KeepVersions(Lookup(again), key.get(), *key, "new")),
              (std::vector<std::string>{"same", "older"}));
    const Entries unchanged = NoteWithVersions(*key, {"same", "older"});
    EXPECT_EQ(TextsOf(KeepVersions(Lookup(unchanged), key.get(), *key, "same")),
              (std::vector<std::string>{"older"}));
}

TEST(NoteHistory, ANewKeySealsEveryVersionAfreshWithItsOwnSaveTime) {
    const std::unique_ptr<HeldKey> oldKey = Key("old");
    const std::unique_ptr<HeldKey> newKey = Key("new");
    const Entries replaced = NoteWithVersions(*oldKey, {"b", "a"});
    const std::vector<KeptVersion> kept = KeepVersions(Lookup(replaced), oldKey.get(), *newKey, "c");
    ASSERT_EQ(TextsOf(kept), (std::vector<std::string>{"b", "a"}));
    const std::uint64_t times[] = {100, 101};
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const StoredEntry entry{true, kept[i].entry.bytes.data(), kept[i].entry.bytes.size()};
        EXPECT_TRUE(kept[i].source.empty());
        EXPECT_FALSE(OpenKeptVersion(entry, *oldKey)) << "a version still opens with the old password";
        const std::optional<ModernOpening> opened = OpenKeptVersion(entry, *newKey);
        ASSERT_TRUE(opened);
        EXPECT_EQ(opened->saveTime, times[i]);
    }
    EXPECT_EQ(FindKeptVersionFault(Lookup(Written(*newKey, "c", kept)), kept, Lookup(replaced), *newKey), "");
}

TEST(NoteHistory, KeepsNoneWithoutBothModernKeys) {
    const std::unique_ptr<HeldKey> key = Key("pw");
    const Entries replaced = NoteWithVersions(*key, {"b", "a"});
    const std::unique_ptr<HeldKey> legacy = LegacyFormat().MakeKey("pw");
    ASSERT_TRUE(legacy);
    EXPECT_TRUE(KeepVersions(Lookup(replaced), key.get(), *legacy, "c").empty());
    EXPECT_TRUE(KeepVersions(Lookup(replaced), nullptr, *key, "c").empty());
    // Versions under a password no longer held are never carried on.
    EXPECT_TRUE(KeepVersions(Lookup(replaced), Key("other").get(), *key, "c").empty());
}

TEST(NoteHistory, TheOldestGoFirstBeyondTwentyOrThirtyTwoMebibytes) {
    const std::unique_ptr<HeldKey> key = Key("pw");
    std::vector<std::string> texts;
    for (int i = 21; i >= 0; --i) texts.push_back("v" + std::to_string(i));
    Entries replaced = NoteWithVersions(*key, texts);
    // Entries past NOTE20 are not versions, and are not kept as such.
    replaced["NOTE21"] = Seal(*key, "v0");
    const std::vector<KeptVersion> kept = KeepVersions(Lookup(replaced), key.get(), *key, "new");
    ASSERT_EQ(kept.size(), kKeptVersionLimit);
    EXPECT_EQ(kept.front().text.View(), "v21");
    EXPECT_EQ(kept.back().text.View(), "v2");

    const std::string large(12u << 20, 'x');
    const Entries big = NoteWithVersions(*key, {large + "3", large + "2", large + "1"});
    const std::vector<KeptVersion> fitting = KeepVersions(Lookup(big), key.get(), *key, "new");
    ASSERT_EQ(fitting.size(), 2u);
    EXPECT_EQ(fitting[1].text.View(), large + "2");
}

TEST(NoteHistory, DamagedVersionsAreDroppedAndGapsClosed) {
    const std::unique_ptr<HeldKey> key = Key("pw");
    Entries replaced = NoteWithVersions(*key, {"d", "c", "b", "a"});
    replaced["NOTE2"].back() ^= 1;
    replaced.erase("NOTE1");
    replaced["NOTEX"] = Seal(*key, "x");
    const std::vector<StoredVersion> listed = ListKeptVersions(Lookup(replaced));
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0].number, 2u);
    EXPECT_EQ(listed[1].number, 3u);
    EXPECT_FALSE(OpenKeptVersion(listed[0].entry, *key));

    const std::vector<KeptVersion> kept = KeepVersions(Lookup(replaced), key.get(), *key, "e");
    ASSERT_EQ(TextsOf(kept), (std::vector<std::string>{"d", "a"}));
    EXPECT_EQ(kept[1].entry.name, "NOTE2");
    EXPECT_EQ(kept[1].source, "NOTE3");
}

TEST(NoteHistory, TheCheckCatchesAVersionWrittenWrongMissingOrExtra) {
    const std::unique_ptr<HeldKey> key = Key("pw");
    const Entries replaced = NoteWithVersions(*key, {"b", "a"});
    const std::vector<KeptVersion> kept = KeepVersions(Lookup(replaced), key.get(), *key, "c");
    ASSERT_EQ(kept.size(), 2u);
    const Entries good = Written(*key, "c", kept);

    Entries changed = good;
    changed["NOTE2"][70] ^= 1;
    Entries missing = good;
    missing.erase("NOTE1");
    Entries extra = good;
    extra["NOTE3"] = Seal(*key, "z");
    for (const Entries* written : {&changed, &missing, &extra})
        EXPECT_NE(FindKeptVersionFault(Lookup(*written), kept, Lookup(replaced), *key), "");

    // What was meant to be moved must still be its source: a resealed copy
    // of the same text is not.
    Entries resealedSource = replaced;
    resealedSource["NOTE1"] = Seal(*key, "a", 101);
    EXPECT_NE(FindKeptVersionFault(Lookup(good), kept, Lookup(resealedSource), *key), "");
    // And each must open under the key the note was sealed with.
    EXPECT_NE(FindKeptVersionFault(Lookup(good), kept, Lookup(replaced), *Key("other")), "");
}

}  // namespace
