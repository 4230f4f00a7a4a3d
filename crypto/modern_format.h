// The modern note format: one entry, "NOTE", holding a 64-byte header (magic,
// version, flags, algorithm identifiers, Argon2id cost, salt, nonce) and the
// XChaCha20-Poly1305 ciphertext of the save time and the UTF-8 text, with the
// whole header as associated data. The key is Argon2id over the password.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/note_format.h"
#include "crypto/sodium_primitives.h"

inline constexpr char kModernNoteEntry[] = "NOTE";

inline constexpr std::size_t kModernHeaderBytes = 64;
inline constexpr std::size_t kModernSaltBytes = 16;
inline constexpr std::size_t kSaveTimeBytes = 8;
inline constexpr std::size_t kModernMinimumEntryBytes = kModernHeaderBytes + kSaveTimeBytes + kAeadTagBytes;

// The cost a key is made with, and the bounds a stored note may ask for.
inline constexpr Argon2idCost kModernWrittenCost = {3, 65536, 1};
inline constexpr std::uint32_t kModernMaxPasses = 32;
inline constexpr std::uint32_t kModernMinMemoryKiB = 8;
inline constexpr std::uint32_t kModernMaxMemoryKiB = 1048576;

// What a header is refused for, checked before anything is allocated or
// derived.
enum class ModernHeaderFault {
    None,
    Truncated,  // shorter than header, save time and tag
    Magic,
    Version,
    Flags,
    KeyDerivation,
    Encryption,
    Reserved,
    Passes,
    Memory,
    Lanes,
};
// A short English description of a fault, for diagnostics.
const char* DescribeModernHeaderFault(ModernHeaderFault fault);

// The fault of a cost outside the bounds a stored note may ask for, or None.
ModernHeaderFault CheckModernCost(const Argon2idCost& cost);

struct ModernHeader {
    Argon2idCost cost;
    unsigned char salt[kModernSaltBytes];
    unsigned char nonce[kAeadNonceBytes];
};

void BuildModernHeader(const ModernHeader& header, unsigned char bytes[kModernHeaderBytes]);
// The fault of a stored entry (its whole length is checked), or None with
// header filled in.
ModernHeaderFault ParseModernHeader(const unsigned char* entry, std::size_t entryBytes, ModernHeader& header);

// A key for password with a fresh salt at the written cost, or with the salt
// and cost of a stored header.
struct ModernKey {
    SecretKey key;
    Argon2idCost cost;
    unsigned char salt[kModernSaltBytes];
};
std::optional<ModernKey> MakeModernKey(std::string_view password, const Argon2idCost& cost = kModernWrittenCost);
std::optional<ModernKey> DeriveModernKey(std::string_view password, const ModernHeader& header);

// The entry's bytes for a text (UTF-8) saved at saveTime (a Windows
// FILETIME: 100 ns units since 1601, UTC), under a fresh nonce.
std::vector<unsigned char> SealModernEntry(const ModernKey& key, std::uint64_t saveTime, std::string_view text);

struct ModernOpening {
    std::uint64_t saveTime = 0;
    SecretString text;
};
// The save time and text of an entry whose header parsed; nothing when the
// tag does not verify under key (a wrong password).
std::optional<ModernOpening> OpenModernEntry(const SecretKey& key, const unsigned char* entry,
                                             std::size_t entryBytes);

// The current time as a FILETIME.
std::uint64_t CurrentFileTime();

// "XChaCha20-Poly1305, Argon2id t=3, m=64 MiB, p=1" for a cost: what a
// header says about a note without its password. Memory that is not whole
// MiB is given in KiB.
std::string DescribeModernProtection(const Argon2idCost& cost);

// The format as a NoteFormat: text and password in UTF-8. The choice it
// answers to is the row of NoteChoices() whose format it is.
const NoteFormat& ModernFormat();

// A key of ModernFormat() for password at cost, with a fresh salt, for a
// note written at a cost other than the usual one. Null for an empty
// password or a cost outside the bounds a note is read with.
std::unique_ptr<HeldKey> MakeModernHeldKey(std::string_view password, const Argon2idCost& cost);
// A derived key held as ModernFormat() holds its keys.
std::unique_ptr<HeldKey> HoldModernKey(ModernKey key);
// The modern key a held key carries; null for another format's key.
const ModernKey* ModernKeyOf(const HeldKey& key);
