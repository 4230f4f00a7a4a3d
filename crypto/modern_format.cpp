#include "crypto/modern_format.h"

#include <chrono>
#include <cstring>
#include <utility>

namespace {

constexpr unsigned char kMagic[6] = {'S', 'C', 'N', 'O', 'T', 'E'};
constexpr unsigned char kVersion = 1;
constexpr unsigned char kArgon2id13 = 1;
constexpr unsigned char kXChaCha20Poly1305 = 1;

void Store32(std::uint32_t value, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t Load32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

void Store64(std::uint64_t value, unsigned char* bytes) {
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint64_t Load64(const unsigned char* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

}  // namespace

const char* DescribeModernHeaderFault(ModernHeaderFault fault) {
    switch (fault) {
    case ModernHeaderFault::None: return "none";
    case ModernHeaderFault::Truncated: return "shorter than a header, a save time and a tag";
    case ModernHeaderFault::Magic: return "no SCNOTE mark";
    case ModernHeaderFault::Version: return "an unknown format version";
    case ModernHeaderFault::Flags: return "unknown flags";
    case ModernHeaderFault::KeyDerivation: return "an unknown key derivation";
    case ModernHeaderFault::Encryption: return "an unknown encryption";
    case ModernHeaderFault::Reserved: return "reserved bytes that are not zero";
    case ModernHeaderFault::Passes: return "Argon2id passes out of range";
    case ModernHeaderFault::Memory: return "Argon2id memory out of range";
    case ModernHeaderFault::Lanes: return "Argon2id lanes other than 1";
    }
    return "unknown";
}

void BuildModernHeader(const ModernHeader& header, unsigned char bytes[kModernHeaderBytes]) {
    std::memcpy(bytes, kMagic, sizeof kMagic);
    bytes[6] = kVersion;
    bytes[7] = 0;
    bytes[8] = kArgon2id13;
    bytes[9] = kXChaCha20Poly1305;
    bytes[10] = bytes[11] = 0;
    Store32(header.cost.passes, bytes + 12);
    Store32(header.cost.memoryKiB, bytes + 16);
    Store32(header.cost.lanes, bytes + 20);
    std::memcpy(bytes + 24, header.salt, kModernSaltBytes);
    std::memcpy(bytes + 40, header.nonce, kAeadNonceBytes);
}

ModernHeaderFault CheckModernCost(const Argon2idCost& cost) {
    if (cost.passes < 1 || cost.passes > kModernMaxPasses)
        return ModernHeaderFault::Passes;
    if (cost.memoryKiB < kModernMinMemoryKiB || cost.memoryKiB > kModernMaxMemoryKiB)
        return ModernHeaderFault::Memory;
    if (cost.lanes != 1)
        return ModernHeaderFault::Lanes;
    return ModernHeaderFault::None;
}

std::string DescribeModernProtection(const Argon2idCost& cost) {
    const std::string memory = cost.memoryKiB % 1024 == 0 ? std::to_string(cost.memoryKiB / 1024) + " MiB"
                                                          : std::to_string(cost.memoryKiB) + " KiB";
    return "XChaCha20-Poly1305, Argon2id t=" + std::to_string(cost.passes) + ", m=" + memory +
           ", p=" + std::to_string(cost.lanes);
}

ModernHeaderFault ParseModernHeader(const unsigned char* entry, std::size_t entryBytes, ModernHeader& header) {
    if (entryBytes < kModernMinimumEntryBytes)
        return ModernHeaderFault::Truncated;
    if (std::memcmp(entry, kMagic, sizeof kMagic) != 0)
        return ModernHeaderFault::Magic;
    if (entry[6] != kVersion)
        return ModernHeaderFault::Version;
    if (entry[7] != 0)
        return ModernHeaderFault::Flags;
    if (entry[8] != kArgon2id13)
        return ModernHeaderFault::KeyDerivation;
    if (entry[9] != kXChaCha20Poly1305)
        return ModernHeaderFault::Encryption;
    if (entry[10] != 0 || entry[11] != 0)
        return ModernHeaderFault::Reserved;
    header.cost = {Load32(entry + 12), Load32(entry + 16), Load32(entry + 20)};
    const ModernHeaderFault costFault = CheckModernCost(header.cost);
    if (costFault != ModernHeaderFault::None)
        return costFault;
    std::memcpy(header.salt, entry + 24, kModernSaltBytes);
    std::memcpy(header.nonce, entry + 40, kAeadNonceBytes);
    return ModernHeaderFault::None;
}

namespace {

std::optional<ModernKey> Derive(std::string_view password, const Argon2idCost& cost,
                                const unsigned char salt[kModernSaltBytes]) {
    std::optional<SecretKey> key = DeriveArgon2idKey(password, salt, kModernSaltBytes, cost);
    if (!key)
        return std::nullopt;
    ModernKey modern{std::move(*key), cost, {}};
    std::memcpy(modern.salt, salt, kModernSaltBytes);
    return modern;
}

}  // namespace

std::optional<ModernKey> MakeModernKey(std::string_view password, const Argon2idCost& cost) {
    unsigned char salt[kModernSaltBytes];
    RandomBytes(salt, sizeof salt);
    return Derive(password, cost, salt);
}

std::optional<ModernKey> DeriveModernKey(std::string_view password, const ModernHeader& header) {
    return Derive(password, header.cost, header.salt);
}

std::vector<unsigned char> SealModernEntry(const ModernKey& key, std::uint64_t saveTime, std::string_view text) {
    ModernHeader header{key.cost, {}, {}};
    std::memcpy(header.salt, key.salt, kModernSaltBytes);
    RandomBytes(header.nonce, kAeadNonceBytes);
    std::vector<unsigned char> entry(kModernHeaderBytes);
    BuildModernHeader(header, entry.data());

    std::vector<unsigned char> plaintext(kSaveTimeBytes + text.size());
    Store64(saveTime, plaintext.data());
    std::memcpy(plaintext.data() + kSaveTimeBytes, text.data(), text.size());
    std::vector<unsigned char> sealed =
        AeadSeal(key.key, header.nonce, entry.data(), kModernHeaderBytes, plaintext.data(), plaintext.size());
    WipeVector(plaintext);
    entry.insert(entry.end(), sealed.begin(), sealed.end());
    return entry;
}

std::optional<ModernOpening> OpenModernEntry(const SecretKey& key, const unsigned char* entry,
                                             std::size_t entryBytes) {
    ModernHeader header;
    if (ParseModernHeader(entry, entryBytes, header) != ModernHeaderFault::None)
        return std::nullopt;
    const std::size_t sealedBytes = entryBytes - kModernHeaderBytes;
    // The plaintext lives only in allocations that are wiped when released.
    SecretString plaintext = SecretString::OfLength(sealedBytes - kAeadTagBytes);
    if (!AeadOpen(key, header.nonce, entry, kModernHeaderBytes, entry + kModernHeaderBytes, sealedBytes,
                  reinterpret_cast<unsigned char*>(plaintext.data())))
        return std::nullopt;
    ModernOpening opening;
    opening.saveTime = Load64(reinterpret_cast<const unsigned char*>(plaintext.data()));
    opening.text = SecretString(plaintext.View().substr(kSaveTimeBytes));
    return opening;
}

std::uint64_t CurrentFileTime() {
    // FILETIME counts from 1601-01-01; the system clock from 1970-01-01.
    constexpr std::uint64_t kEpochDifference100ns = 116444736000000000ULL;
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(
        sinceEpoch);
    return kEpochDifference100ns + static_cast<std::uint64_t>(ticks.count());
}

namespace {

// The derived key with the salt and cost it was derived with: saves reuse
// them under a fresh nonce, and a password is checked by deriving again.
class ModernHeldKey final : public HeldKey {
public:
    ModernHeldKey(const NoteFormat& format, ModernKey key) : HeldKey(format), key(std::move(key)) {}

    ModernKey key;
};

class Modern final : public NoteFormat {
public:
    TextEncoding Encoding() const override { return TextEncoding::Utf8; }

    const std::vector<std::string>& EntryNames() const override {
        static const std::vector<std::string> names = {kModernNoteEntry};
        return names;
    }

    std::vector<std::string> Faults(const StoredEntries& entries) const override {
        const StoredEntry note = entries(kModernNoteEntry);
        if (!note.found)
            return {};
        ModernHeader header;
        const ModernHeaderFault fault = ParseModernHeader(note.bytes, note.bytes ? note.size : 0, header);
        if (fault == ModernHeaderFault::None)
            return {};
        return {std::string("the note's format is not one this program knows (NOTE has ") +
                DescribeModernHeaderFault(fault) + ")"};
    }

    const NoteChoice* ChoiceOf(const StoredEntries& entries) const override {
        if (!Faults(entries).empty() || !entries(kModernNoteEntry).found)
            return nullptr;
        for (const NoteChoice& choice : NoteChoices()) {
            if (choice.format == this)
                return &choice;
        }
        return nullptr;
    }

    std::optional<SealedNote> Seal(const NoteChoice&, std::string_view text,
                                   std::string_view password) const override {
        if (password.empty())
            return std::nullopt;
        std::optional<ModernKey> key = MakeModernKey(password);
        if (!key)
            return std::nullopt;
        return SealedNote{{kModernNoteEntry, SealModernEntry(*key, CurrentFileTime(), text)}};
    }

    bool PasswordMatches(const StoredEntries& entries, std::string_view password) const override {
        return OpenWith(entries, password).has_value();
    }

    SecretString Open(const NoteChoice&, const StoredEntries& entries, std::string_view password) const override {
        std::optional<ModernOpening> opening = OpenWith(entries, password);
        return opening ? std::move(opening->text) : SecretString();
    }

    std::unique_ptr<HeldKey> MakeKey(std::string_view password) const override {
        return MakeModernHeldKey(password, kModernWrittenCost);
    }

    std::optional<SealedNote> SealWith(const NoteChoice&, std::string_view text,
                                       const HeldKey& key) const override {
        const ModernHeldKey* modern = Own(key);
        if (modern == nullptr)
            return std::nullopt;
        return SealedNote{{kModernNoteEntry, SealModernEntry(modern->key, CurrentFileTime(), text)}};
    }

    SecretString OpenWith(const NoteChoice&, const StoredEntries& entries, const HeldKey& key) const override {
        const ModernHeldKey* modern = Own(key);
        const StoredEntry note = entries(kModernNoteEntry);
        if (modern == nullptr || note.bytes == nullptr)
            return SecretString();
        std::optional<ModernOpening> opening = OpenModernEntry(modern->key.key, note.bytes, note.size);
        return opening ? std::move(opening->text) : SecretString();
    }

    bool KeyMatches(const HeldKey& key, std::string_view password) const override {
        const ModernHeldKey* modern = Own(key);
        if (modern == nullptr || password.empty())
            return false;
        std::optional<SecretKey> derived =
            DeriveArgon2idKey(password, modern->key.salt, kModernSaltBytes, modern->key.cost);
        return derived && KeysEqual(*derived, modern->key.key);
    }

    // A note whose header is refused opens as nothing at all (no choice, no
    // wrong password); callers check Faults() first. There is no verifier:
    // every check of a password is a derivation.
    Opening OpenOwnNote(const StoredEntries& entries, std::string_view password) const override {
        Opening opening;
        const StoredEntry note = entries(kModernNoteEntry);
        ModernHeader header;
        if (note.bytes == nullptr || ParseModernHeader(note.bytes, note.size, header) != ModernHeaderFault::None)
            return opening;
        opening.choice = ChoiceOf(entries);
        std::optional<ModernKey> key = DeriveModernKey(password, header);
        std::optional<ModernOpening> opened =
            key ? OpenModernEntry(key->key, note.bytes, note.size) : std::nullopt;
        if (!opened) {
            opening.wrongPassword = true;
        } else {
            opening.text = std::move(opened->text);
            opening.key = std::make_unique<ModernHeldKey>(*this, std::move(*key));
        }
        return opening;
    }

private:
    const ModernHeldKey* Own(const HeldKey& key) const {
        return &key.Format() == this ? static_cast<const ModernHeldKey*>(&key) : nullptr;
    }

    static std::optional<ModernOpening> OpenWith(const StoredEntries& entries, std::string_view password) {
        const StoredEntry note = entries(kModernNoteEntry);
        ModernHeader header;
        if (note.bytes == nullptr || ParseModernHeader(note.bytes, note.size, header) != ModernHeaderFault::None)
            return std::nullopt;
        std::optional<ModernKey> key = DeriveModernKey(password, header);
        if (!key)
            return std::nullopt;
        return OpenModernEntry(key->key, note.bytes, note.size);
    }
};

}  // namespace

const NoteFormat& ModernFormat() {
    static const Modern format;
    return format;
}

std::unique_ptr<HeldKey> MakeModernHeldKey(std::string_view password, const Argon2idCost& cost) {
    if (password.empty() || CheckModernCost(cost) != ModernHeaderFault::None)
        return nullptr;
    std::optional<ModernKey> key = MakeModernKey(password, cost);
    return key ? std::make_unique<ModernHeldKey>(ModernFormat(), std::move(*key)) : nullptr;
}

const ModernKey* ModernKeyOf(const HeldKey& key) {
    return &key.Format() == &ModernFormat() ? &static_cast<const ModernHeldKey&>(key).key : nullptr;
}

std::unique_ptr<HeldKey> HoldModernKey(ModernKey key) {
    return std::make_unique<ModernHeldKey>(ModernFormat(), std::move(key));
}
