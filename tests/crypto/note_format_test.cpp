// The table of note choices, and the legacy format reached through it as
// every caller reaches a format: by entry names, with the entries' holder
// hidden behind a look-up.
#include "crypto/note_format.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "crypto/legacy_format.h"
#include "crypto/modern_format.h"

namespace {

// Entries held in memory, as a program file or the running program holds them.
struct Held {
    std::map<std::string, std::vector<unsigned char>> entries;
    std::set<std::string> unreadable;

    StoredEntries Lookup() const {
        return [this](std::string_view name) {
            const std::string key(name);
            if (unreadable.count(key) != 0) return StoredEntry{true, nullptr, 0};
            const auto found = entries.find(key);
            return found == entries.end() ? StoredEntry{} : StoredEntry{true, found->second.data(), found->second.size()};
        };
    }
};

Held HeldNote(const SealedNote& sealed) {
    Held held;
    for (const NoteEntry& entry : sealed) held.entries[entry.name] = entry.bytes;
    return held;
}

TEST(NoteChoices, NamesLeadBackToTheirRowAndLookUpsAreExact) {
    std::set<std::string> identifiers;
    for (const NoteChoice& choice : NoteChoices()) {
        EXPECT_EQ(FindNoteChoice(choice.identifier), &choice);
        EXPECT_EQ(NoteChoiceFromDisplayName(choice.displayName), &choice);
        EXPECT_TRUE(identifiers.insert(choice.identifier).second) << choice.identifier;
    }
    for (const char* nearMiss : {"aes", "Aes", "AES ", " AES", "AES-256-CBC", "Camellia", "SM", "", "DES"})
        EXPECT_EQ(FindNoteChoice(nearMiss), nullptr) << '"' << nearMiss << '"';
    for (const char* nearMiss : {"aes-256-cbc", "AES-256-CBC ", "CAMELLIA-256-CBC", "AES", "SM4-128", ""})
        EXPECT_EQ(NoteChoiceFromDisplayName(nearMiss), nullptr) << '"' << nearMiss << '"';
}

TEST(NoteChoices, TheDefaultAndTheListsComeFromTheTable) {
    EXPECT_EQ(&DefaultNoteChoice(), &NoteChoices().front());
    EXPECT_STREQ(DefaultNoteChoice().identifier, "AES");
    const auto identifier = [](const NoteChoice& choice) { return std::string(choice.identifier); };
    EXPECT_EQ(ListNoteChoices(identifier, ", ", " or "), "AES, CAMELLIA, SM4, SEED or XCHACHA20");
    const auto shortName = [](const NoteChoice& choice) { return std::string(choice.shortName); };
    EXPECT_EQ(ListNoteChoices(shortName, "、", "、"), "AES、Camellia、SM4、SEED、XChaCha20-Poly1305");
}

TEST(NoteChoices, EveryEntryNameBelongsToAFormatAndNoneTwice) {
    std::set<std::string> names;
    for (const std::string& name : AllNoteEntryNames()) EXPECT_TRUE(names.insert(name).second) << name;
    EXPECT_EQ(names, (std::set<std::string>{"HMAC", "DATA", "TYPE", "NOTE"}));
}

class ThroughTheFormat : public testing::TestWithParam<NoteChoice> {};

TEST_P(ThroughTheFormat, SealedEntriesOpenToTheTextWithThePasswordOnly) {
    const NoteChoice& choice = GetParam();
    const NoteFormat& format = *choice.format;
    const std::optional<SealedNote> sealed = format.Seal(choice, "a note\r\nof two lines", "pass");
    ASSERT_TRUE(sealed.has_value());
    const Held held = HeldNote(*sealed);
    ASSERT_EQ(held.entries.size(), format.EntryNames().size());
    const StoredEntries entries = held.Lookup();
    EXPECT_EQ(StoredFormat(entries), &format);
    EXPECT_EQ(format.ChoiceOf(entries), FindNoteChoice(choice.identifier));
    EXPECT_TRUE(format.Faults(entries).empty());
    EXPECT_TRUE(format.PasswordMatches(entries, "pass"));
    EXPECT_FALSE(format.PasswordMatches(entries, "Pass"));
    EXPECT_EQ(format.Open(choice, entries, "pass").View(), "a note\r\nof two lines");
    EXPECT_FALSE(format.Seal(choice, "text", "").has_value()) << "no readable note without a password";
}

TEST_P(ThroughTheFormat, AHeldKeySealsOpensAndKnowsItsPassword) {
    const NoteChoice& choice = GetParam();
    const NoteFormat& format = *choice.format;
    EXPECT_EQ(format.MakeKey(""), nullptr);
    const std::unique_ptr<HeldKey> key = format.MakeKey("pass");
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(format.KeyMatches(*key, "pass"));
    EXPECT_FALSE(format.KeyMatches(*key, "pas"));
    const std::optional<SealedNote> sealed = format.SealWith(choice, "held", *key);
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(format.Open(choice, EntriesOf(*sealed), "pass").View(), "held");
    EXPECT_EQ(format.OpenWith(choice, EntriesOf(*sealed), *key).View(), "held");

    const NoteFormat& other = &format == &ModernFormat() ? LegacyFormat() : ModernFormat();
    const std::unique_ptr<HeldKey> otherFormats = other.MakeKey("pass");
    ASSERT_NE(otherFormats, nullptr);
    EXPECT_FALSE(format.KeyMatches(*otherFormats, "pass"));
    EXPECT_FALSE(format.SealWith(choice, "held", *otherFormats).has_value());
}

INSTANTIATE_TEST_SUITE_P(Choices, ThroughTheFormat, testing::ValuesIn(NoteChoices()),
                         [](const testing::TestParamInfo<NoteChoice>& info) { return info.param.identifier; });

TEST(LegacyFormat, NamesWhatKeepsPresentEntriesFromOpening) {
    const NoteFormat& format = LegacyFormat();
    Held held = HeldNote(*format.Seal(*FindNoteChoice("SM4"), "text", "pass"));
    held.entries["HMAC"].resize(63);
    held.entries["DATA"].resize(15);
    held.entries["TYPE"] = {'D', 'E', 'S'};
    EXPECT_EQ(format.Faults(held.Lookup()),
              (std::vector<std::string>{"HMAC holds 63 bytes, not 64",
                                        "DATA holds 15 bytes, not a positive multiple of 16",
                                        "TYPE names no known cipher"}));
    EXPECT_FALSE(format.PasswordMatches(held.Lookup(), "pass"));

    // Missing entries are not faults of the format's own; unreadable ones
    // select nothing and match no password.
    Held partial;
    partial.unreadable = {"HMAC", "TYPE"};
    EXPECT_EQ(StoredFormat(partial.Lookup()), &format);
    EXPECT_EQ(format.ChoiceOf(partial.Lookup()), nullptr);
    EXPECT_FALSE(format.PasswordMatches(partial.Lookup(), ""));
    EXPECT_EQ(StoredFormat(Held().Lookup()), nullptr);
}

TEST(LegacyFormat, OpensTheProgramsOwnNoteAsLenientlyAsTheStartUpDoes) {
    const NoteFormat& format = LegacyFormat();
    const Held whole = HeldNote(*format.Seal(*FindNoteChoice("SEED"), "text", "pass"));
    NoteFormat::Opening opened = format.OpenOwnNote(whole.Lookup(), "pass");
    EXPECT_FALSE(opened.wrongPassword);
    EXPECT_EQ(opened.choice, FindNoteChoice("SEED"));
    EXPECT_EQ(opened.text.View(), "text");
    ASSERT_NE(opened.key, nullptr);
    EXPECT_TRUE(format.KeyMatches(*opened.key, "pass"));
    EXPECT_FALSE(format.KeyMatches(*opened.key, "other"));
    EXPECT_TRUE(format.OpenOwnNote(whole.Lookup(), "other").wrongPassword);

    // A verifier cut short is compared over what it holds, then and later.
    Held shortVerifier = whole;
    shortVerifier.entries["HMAC"].resize(16);
    opened = format.OpenOwnNote(shortVerifier.Lookup(), "pass");
    EXPECT_EQ(opened.text.View(), "text");
    ASSERT_NE(opened.key, nullptr);
    EXPECT_FALSE(format.KeyMatches(*opened.key, "other"));
    EXPECT_TRUE(format.OpenOwnNote(shortVerifier.Lookup(), "other").wrongPassword);

    // An empty verifier or an unreadable type checks nothing and opens empty.
    for (const char* spoiled : {"empty HMAC", "unreadable TYPE"}) {
        Held held = whole;
        if (spoiled[0] == 'e')
            held.entries["HMAC"].clear();
        else
            held.unreadable = {"TYPE"};
        opened = format.OpenOwnNote(held.Lookup(), "other");
        EXPECT_FALSE(opened.wrongPassword) << spoiled;
        EXPECT_EQ(opened.choice, nullptr) << spoiled;
        EXPECT_EQ(opened.text.View(), "") << spoiled;
        EXPECT_EQ(opened.key, nullptr) << spoiled;
    }
}

struct TypeCase {
    const char* name;
    std::string bytes;
    const char* identifier;  // null: none selected
};

class CipherFromType : public testing::TestWithParam<TypeCase> {};

TEST_P(CipherFromType, SelectsByPrefixUpToAZeroByte) {
    const TypeCase& c = GetParam();
    // An exactly sized copy, so reading past the resource bytes would be seen.
    const std::vector<unsigned char> type(c.bytes.begin(), c.bytes.end());
    const NoteChoice* choice = LegacyChoiceFromType(type.data(), type.size());
    if (c.identifier == nullptr)
        EXPECT_EQ(choice, nullptr);
    else
        EXPECT_EQ(choice, FindNoteChoice(c.identifier));
}

INSTANTIATE_TEST_SUITE_P(
    TypeBytes, CipherFromType,
    testing::Values(TypeCase{"Aes", "AES", "AES"}, TypeCase{"Camellia", "CAMELLIA", "CAMELLIA"},
                    TypeCase{"Sm4", "SM4", "SM4"}, TypeCase{"Seed", "SEED", "SEED"},
                    TypeCase{"AesWithTerminator", std::string("AES\0", 4), "AES"},
                    TypeCase{"AesFollowedByBytes", "AES-256-CBC", "AES"},
                    TypeCase{"SeedFollowedByBytes", "SEEDxyz", "SEED"}, TypeCase{"LowerCase", "seed", nullptr},
                    TypeCase{"ByteInFront", " SM4", nullptr}, TypeCase{"IdentifierLater", "xxCAMELLIA", nullptr},
                    TypeCase{"Truncated", "CAMELLI", nullptr},
                    TypeCase{"ZeroInsideIdentifier",
                             std::string("SM\0"
                                         "4",
                                         4),
                             nullptr},
                    TypeCase{"Empty", "", nullptr}, TypeCase{"DisplayName", "Camellia-256-CBC", nullptr}),
    [](const testing::TestParamInfo<TypeCase>& info) { return info.param.name; });

}  // namespace
