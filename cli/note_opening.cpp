#include "cli/note_opening.h"

#include <cstdio>

#include "crypto/modern_format.h"

namespace {

// The NOTE entry of a modern note, parsed; nothing for anything else.
const ResourceEntry* ModernEntry(const NoteImage& image, ModernHeader& header) {
    if (&image.Format() != &ModernFormat()) return nullptr;
    const ResourceEntry* entry = image.Packet(kModernNoteEntry);
    if (entry == nullptr ||
        ParseModernHeader(entry->bytes.data(), entry->bytes.size(), header) != ModernHeaderFault::None)
        return nullptr;
    return entry;
}

}  // namespace

std::optional<OpenedNote> OpenNote(const NoteImage& image, std::string_view password) {
    ModernHeader header;
    const ResourceEntry* entry = ModernEntry(image, header);
    if (entry == nullptr) {
        if (!image.PasswordMatches(password)) return std::nullopt;
        return OpenedNote{image.Unseal(password), std::nullopt, nullptr};
    }
    // No verifier: the tag is the check, so the text comes from the same
    // derivation.
    std::optional<ModernKey> key = DeriveModernKey(password, header);
    std::optional<ModernOpening> opening =
        key ? OpenModernEntry(key->key, entry->bytes.data(), entry->bytes.size()) : std::nullopt;
    if (!opening) return std::nullopt;
    return OpenedNote{std::move(opening->text), opening->saveTime, HoldModernKey(std::move(*key))};
}

std::optional<Argon2idCost> StoredModernCost(const NoteImage& image) {
    ModernHeader header;
    if (ModernEntry(image, header) == nullptr) return std::nullopt;
    return header.cost;
}

std::string DescribeSaveTime(std::uint64_t fileTime) {
    // FILETIME counts 100 ns units from 1601-01-01. The civil date is
    // reckoned in 400-year eras of the Gregorian calendar from 0000-03-01,
    // so that each year's leap day is its last day.
    const std::uint64_t seconds = fileTime / 10000000;
    const std::uint64_t secondOfDay = seconds % 86400;
    const std::uint64_t days = seconds / 86400 + 584694;  // days from 0000-03-01 to 1601-01-01
    const std::uint64_t era = days / 146097;
    const std::uint64_t dayOfEra = days % 146097;
    const std::uint64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::uint64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const unsigned day = static_cast<unsigned>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const unsigned month = static_cast<unsigned>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const std::uint64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[48];
    std::snprintf(text, sizeof text, "%04llu-%02u-%02u %02u:%02u:%02u UTC", static_cast<unsigned long long>(year),
                  month, day, static_cast<unsigned>(secondOfDay / 3600), static_cast<unsigned>(secondOfDay / 60 % 60),
                  static_cast<unsigned>(secondOfDay % 60));
    return text;
}
