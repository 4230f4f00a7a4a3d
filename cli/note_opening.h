// A whole note opened with its password, with what its format records
// beside the text: for a modern note the save time, sealed with the text,
// and the key's cost, which its header gives without a password.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "crypto/sodium_primitives.h"
#include "note/note_image.h"

struct OpenedNote {
    SecretString text;
    std::optional<std::uint64_t> saveTime;  // a FILETIME; the legacy format keeps none
    std::unique_ptr<HeldKey> key;           // the modern note's key, which opens its kept versions
};

// The note of an image whose note is whole, opened with one check of the
// password; nothing when the password is not the note's.
std::optional<OpenedNote> OpenNote(const NoteImage& image, std::string_view password);

// The cost of the image's modern note, from its header; nothing for a
// legacy note or a header that is refused.
std::optional<Argon2idCost> StoredModernCost(const NoteImage& image);

// A FILETIME as "2026-12-10 06:31:20 UTC".
std::string DescribeSaveTime(std::uint64_t fileTime);
