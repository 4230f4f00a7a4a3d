// The modern note format: its stored layout, what it opens and what it
// refuses, and that a refused header costs no derivation.
#include "crypto/modern_format.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

namespace {

// Cheap to derive, so that every case can seal and open.
constexpr Argon2idCost kTestCost = {1, 8, 1};
const std::string kPassword = "密码 пароль 🔑";
const std::string kText = "첫 줄 😀\r\n第二行 – ∑";

std::vector<unsigned char> SealedEntry(const std::string& text = kText, const Argon2idCost& cost = kTestCost) {
    const std::optional<ModernKey> key = MakeModernKey(kPassword, cost);
    EXPECT_TRUE(key);
    return SealModernEntry(*key, 0x01D9A0B0C0D0E0F1ULL, text);
}

StoredEntries NoteEntries(const std::vector<unsigned char>& entry) {
    return [&entry](std::string_view name) {
        return name == kModernNoteEntry ? StoredEntry{true, entry.data(), entry.size()} : StoredEntry{};
    };
}

// What the program makes of an entry at start-up.
enum class Outcome { Opened, WrongPassword, Refused };

Outcome OutcomeOf(const std::vector<unsigned char>& entry, const std::string& password = kPassword) {
    const StoredEntries entries = NoteEntries(entry);
    const bool refused = !ModernFormat().Faults(entries).empty();
    const NoteFormat::Opening opening = ModernFormat().OpenOwnNote(entries, password);
    if (refused) {
        EXPECT_FALSE(opening.wrongPassword) << "a refused header was derived from";
        return Outcome::Refused;
    }
    return opening.wrongPassword ? Outcome::WrongPassword : Outcome::Opened;
}

TEST(ModernFormat, KeepsTextAndSaveTimeExactly) {
    for (const std::string& text : {kText, std::string()}) {
        const std::vector<unsigned char> entry = SealedEntry(text);
        EXPECT_EQ(entry.size(), kModernMinimumEntryBytes + text.size());
        ModernHeader header;
        ASSERT_EQ(ParseModernHeader(entry.data(), entry.size(), header), ModernHeaderFault::None);
        const std::optional<ModernKey> key = DeriveModernKey(kPassword, header);
        ASSERT_TRUE(key);
        const std::optional<ModernOpening> opening = OpenModernEntry(key->key, entry.data(), entry.size());
        ASSERT_TRUE(opening);
        EXPECT_EQ(opening->saveTime, 0x01D9A0B0C0D0E0F1ULL);
        EXPECT_EQ(opening->text.View(), text);
    }
}

TEST(ModernFormat, SealsAtTheWrittenCostWithFreshSaltAndNonce) {
    const std::optional<SealedNote> first = ModernFormat().Seal(DefaultNoteChoice(), kText, kPassword);
    const std::optional<SealedNote> second = ModernFormat().Seal(DefaultNoteChoice(), kText, kPassword);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->size(), 1u);
    EXPECT_EQ(first->front().name, "NOTE");
    const std::vector<unsigned char>& bytes = first->front().bytes;
    const unsigned char expected[24] = {'S', 'C', 'N', 'O', 'T', 'E', 1, 0, 1, 1, 0, 0,
                                        3,   0,   0,   0,   0,   0,   1, 0, 1, 0, 0, 0};
    ASSERT_GE(bytes.size(), sizeof expected);
    EXPECT_EQ(std::memcmp(bytes.data(), expected, sizeof expected), 0);
    const std::vector<unsigned char>& other = second->front().bytes;
    EXPECT_NE(std::memcmp(bytes.data() + 24, other.data() + 24, 16), 0) << "salt repeated";
    EXPECT_NE(std::memcmp(bytes.data() + 40, other.data() + 40, 24), 0) << "nonce repeated";

    const StoredEntries entries = EntriesOf(*first);
    EXPECT_TRUE(ModernFormat().PasswordMatches(entries, kPassword));
    EXPECT_FALSE(ModernFormat().PasswordMatches(entries, kPassword + " "));
    EXPECT_EQ(ModernFormat().Open(DefaultNoteChoice(), entries, kPassword).View(), kText);
    EXPECT_FALSE(ModernFormat().Seal(DefaultNoteChoice(), kText, ""));
}

TEST(ModernFormat, TheKeyANoteOpensWithSealsUnderItsSaltWithoutDerivingAgain) {
    const std::vector<unsigned char> entry = SealedEntry();
    NoteFormat::Opening opened = ModernFormat().OpenOwnNote(NoteEntries(entry), kPassword);
    ASSERT_NE(opened.key, nullptr);
    EXPECT_TRUE(ModernFormat().KeyMatches(*opened.key, kPassword));
    EXPECT_FALSE(ModernFormat().KeyMatches(*opened.key, kPassword + " "));
    const std::optional<SealedNote> resealed = ModernFormat().SealWith(DefaultNoteChoice(), "again", *opened.key);
    ASSERT_TRUE(resealed);
    const std::vector<unsigned char>& bytes = resealed->front().bytes;
    EXPECT_EQ(std::memcmp(bytes.data(), entry.data(), 40), 0) << "header up to the salt kept";
    EXPECT_NE(std::memcmp(bytes.data() + 40, entry.data() + 40, 24), 0) << "nonce repeated";
    EXPECT_EQ(ModernFormat().OpenOwnNote(EntriesOf(*resealed), kPassword).text.View(), "again");
    EXPECT_EQ(ModernFormat().OpenWith(DefaultNoteChoice(), EntriesOf(*resealed), *opened.key).View(), "again");
    EXPECT_EQ(ModernFormat().OpenOwnNote(NoteEntries(entry), "not it").key, nullptr);
}

TEST(ModernFormat, EveryChangedByteIsRefusedOrFailsTheTag) {
    const std::vector<unsigned char> entry = SealedEntry();
    ASSERT_EQ(OutcomeOf(entry), Outcome::Opened);
    EXPECT_EQ(OutcomeOf(entry, kPassword.substr(1)), Outcome::WrongPassword);
    for (std::size_t offset = 0; offset < entry.size(); ++offset) {
        std::vector<unsigned char> changed = entry;
        changed[offset] ^= 0x80;
        // Passes and lanes leave their range at any high bit; memory (8 KiB)
        // only in its upper two bytes, below that it is a different cost.
        const bool refused = offset < 16 || (offset >= 18 && offset < 24);
        EXPECT_EQ(OutcomeOf(changed), refused ? Outcome::Refused : Outcome::WrongPassword) << "byte " << offset;
    }
}

TEST(ModernFormat, RefusesEachHeaderFaultByName) {
    const std::vector<unsigned char> entry = SealedEntry();
    struct Case {
        std::size_t offset;
        std::uint32_t value;
        ModernHeaderFault fault;
    };
    const Case cases[] = {
        {0, 's', ModernHeaderFault::Magic},          {6, 2, ModernHeaderFault::Version},
        {7, 1, ModernHeaderFault::Flags},            {8, 2, ModernHeaderFault::KeyDerivation},
        {9, 0, ModernHeaderFault::Encryption},       {11, 1, ModernHeaderFault::Reserved},
        {12, 0, ModernHeaderFault::Passes},          {12, 33, ModernHeaderFault::Passes},
        {16, 7, ModernHeaderFault::Memory},          {16, 1048577, ModernHeaderFault::Memory},
        {16, 0xFFFFFFFF, ModernHeaderFault::Memory}, {20, 0, ModernHeaderFault::Lanes},
        {20, 2, ModernHeaderFault::Lanes},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> changed = entry;
        if (c.offset >= 12) {
            for (int i = 0; i < 4; ++i) changed[c.offset + i] = static_cast<unsigned char>(c.value >> (8 * i));
        } else {
            changed[c.offset] = static_cast<unsigned char>(c.value);
        }
        ModernHeader header;
        EXPECT_EQ(ParseModernHeader(changed.data(), changed.size(), header), c.fault) << "offset " << c.offset;
    }
    // The bounds themselves are readable.
    for (const Argon2idCost cost : {Argon2idCost{32, 8, 1}, Argon2idCost{1, 1048576, 1}}) {
        std::vector<unsigned char> changed = entry;
        ModernHeader header;
        ASSERT_EQ(ParseModernHeader(changed.data(), changed.size(), header), ModernHeaderFault::None);
        header.cost = cost;
        BuildModernHeader(header, changed.data());
        EXPECT_EQ(ParseModernHeader(changed.data(), changed.size(), header), ModernHeaderFault::None);
    }
}

TEST(ModernFormat, RefusesTruncatedEntries) {
    const std::vector<unsigned char> empty = SealedEntry(std::string());
    ASSERT_EQ(OutcomeOf(empty), Outcome::Opened);
    for (std::size_t length = 0; length < empty.size(); ++length)
        EXPECT_EQ(OutcomeOf({empty.begin(), empty.begin() + length}), Outcome::Refused) << "length " << length;
    const std::vector<unsigned char> entry = SealedEntry();
    EXPECT_EQ(OutcomeOf({entry.begin(), entry.end() - 1}), Outcome::WrongPassword);
}

TEST(ModernFormat, HostileCostIsRefusedBeforeAnyDerivation) {
    std::vector<unsigned char> entry = SealedEntry();
    ModernHeader header;
    ASSERT_EQ(ParseModernHeader(entry.data(), entry.size(), header), ModernHeaderFault::None);
    const auto start = std::chrono::steady_clock::now();
    for (const Argon2idCost cost : {Argon2idCost{0xFFFFFFFF, 1048576, 1}, Argon2idCost{3, 0xFFFFFFFF, 1},
                                    Argon2idCost{33, 8, 1}, Argon2idCost{1, 8, 0xFFFFFF}}) {
        header.cost = cost;
        BuildModernHeader(header, entry.data());
        EXPECT_EQ(OutcomeOf(entry), Outcome::Refused);
        EXPECT_EQ(MakeModernHeldKey("password", cost), nullptr) << "nor is a key made at such a cost";
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

}  // namespace
