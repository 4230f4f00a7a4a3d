// The table of note choices and the look-ups in it.
#include "crypto/note_format.h"

#include <algorithm>

#include "crypto/legacy_format.h"
#include "crypto/modern_format.h"

const std::vector<NoteChoice>& NoteChoices() {
    static const std::vector<NoteChoice> choices = {
        {"AES", "AES-256-CBC", "AES", &LegacyFormat(), Cipher::Aes},
        {"CAMELLIA", "Camellia-256-CBC", "Camellia", &LegacyFormat(), Cipher::Camellia},
        {"SM4", "SM4-128-CBC", "SM4", &LegacyFormat(), Cipher::Sm4},
        {"SEED", "SEED-128-CBC", "SEED", &LegacyFormat(), Cipher::Seed},
        {"XCHACHA20", "XChaCha20-Poly1305 (Argon2id)", "XChaCha20-Poly1305", &ModernFormat(), Cipher::Aes},
    };
    return choices;
}

const NoteChoice& DefaultNoteChoice() { return NoteChoices().front(); }

const NoteFormat& DefaultNoteFormat() { return *DefaultNoteChoice().format; }

const NoteChoice* FindNoteChoice(std::string_view identifier) {
    for (const NoteChoice& choice : NoteChoices()) {
        if (identifier == choice.identifier)
            return &choice;
    }
    return nullptr;
}

const NoteChoice* NoteChoiceFromDisplayName(std::string_view displayName) {
    for (const NoteChoice& choice : NoteChoices()) {
        if (displayName == choice.displayName)
            return &choice;
    }
    return nullptr;
}

std::string ListNoteChoices(const std::function<std::string(const NoteChoice&)>& name, std::string_view separator,
                            std::string_view lastSeparator) {
    const std::vector<NoteChoice>& choices = NoteChoices();
    std::string list;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (i > 0)
            list += i + 1 == choices.size() ? lastSeparator : separator;
        list += name(choices[i]);
    }
    return list;
}

namespace {

// Each format once, in the order of the choices.
std::vector<const NoteFormat*> Formats() {
    std::vector<const NoteFormat*> formats;
    for (const NoteChoice& choice : NoteChoices()) {
        if (std::find(formats.begin(), formats.end(), choice.format) == formats.end())
            formats.push_back(choice.format);
    }
    return formats;
}

}  // namespace

std::vector<const NoteFormat*> StoredFormats(const StoredEntries& entries) {
    std::vector<const NoteFormat*> stored;
    for (const NoteFormat* format : Formats()) {
        const std::vector<std::string>& names = format->EntryNames();
        if (std::any_of(names.begin(), names.end(), [&](const std::string& name) { return entries(name).found; }))
            stored.push_back(format);
    }
    return stored;
}

const NoteFormat* StoredFormat(const StoredEntries& entries) {
    const std::vector<const NoteFormat*> stored = StoredFormats(entries);
    return stored.empty() ? nullptr : stored.front();
}

bool IsWholeSet(const StoredEntries& entries) {
    const NoteFormat* format = StoredFormat(entries);
    if (format == nullptr)
        return false;
    const std::vector<std::string>& names = format->EntryNames();
    return std::all_of(names.begin(), names.end(), [&](const std::string& name) { return entries(name).found; });
}

StoredEntries EntriesOf(const SealedNote& sealed) {
    return [&sealed](std::string_view name) {
        for (const NoteEntry& entry : sealed) {
            if (entry.name == name)
                return StoredEntry{true, entry.bytes.data(), entry.bytes.size()};
        }
        return StoredEntry{};
    };
}

const std::vector<std::string>& AllNoteEntryNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const NoteFormat* format : Formats())
            all.insert(all.end(), format->EntryNames().begin(), format->EntryNames().end());
        return all;
    }();
    return names;
}
