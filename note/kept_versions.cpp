#include "note/kept_versions.h"

std::optional<NoteSave> SealKeepingVersions(const NoteImage& replaced, const NoteChoice& choice,
                                            std::string_view text, const HeldKey& key, const HeldKey* replacedKey) {
    std::optional<SealedNote> sealed = choice.format->SealWith(choice, text, key);
    if (!sealed)
        return std::nullopt;
    NoteSave save{std::move(*sealed), KeepVersions(replaced.Entries(), replacedKey, key, text)};
    for (const KeptVersion& version : save.kept)
        save.sealed.push_back(version.entry);
    return save;
}

void CheckKeptVersions(const NoteImage& replaced, const NoteImage& written, const NoteSave& save,
                       const HeldKey& key) {
    const std::string fault = FindKeptVersionFault(written.Entries(), save.kept, replaced.Entries(), key);
    if (!fault.empty())
        throw NoteError(fault);
}

VersionCount CountKeptVersions(const NoteImage& image, const HeldKey* key) {
    VersionCount count;
    for (const StoredVersion& version : ListKeptVersions(image.Entries())) {
        ++count.present;
        if (key == nullptr || !OpenKeptVersion(version.entry, *key))
            ++count.unreadable;
    }
    return count;
}
