#include "note/note_image.h"

#include <algorithm>

#include "crypto/note_history.h"
#include "store/image_rewriter.h"
#include "store/resource_reader.h"

namespace {

std::vector<ResourceEntry> OtherResources(const std::vector<ResourceEntry>& resources) {
    std::vector<ResourceEntry> others;
    for (const ResourceEntry& entry : resources) {
        if (!IsNoteEntry(entry.key)) others.push_back(entry);
    }
    return others;
}

}  // namespace

NoteImage::NoteImage(std::vector<std::uint8_t> image)
    : m_image(std::move(image)), m_resources(ReadResources(m_image.data(), m_image.size())) {}

const ResourceEntry* NoteImage::Packet(const std::string& name) const {
    for (const ResourceEntry& entry : m_resources) {
        if (entry.key.type == ResourceId::Name(kNoteType) && entry.key.name == ResourceId::Name(name.c_str()))
            return &entry;
    }
    return nullptr;
}

StoredEntries NoteImage::Entries() const {
    return [this](std::string_view name) {
        const std::string key(name);
        if (m_only != nullptr) {
            const std::vector<std::string>& names = m_only->EntryNames();
            // Kept versions belong to the note whatever its format; only a
            // modern one ever reads them.
            if (std::find(names.begin(), names.end(), key) == names.end() && !IsKeptVersionName(key))
                return StoredEntry{};
        }
        const ResourceEntry* entry = Packet(key);
        return entry == nullptr ? StoredEntry{} : StoredEntry{true, entry->bytes.data(), entry->bytes.size()};
    };
}

std::vector<const NoteFormat*> NoteImage::StoredFormats() const {
    // Every format's entries count here, also in an image narrowed to one.
    return ::StoredFormats([this](std::string_view name) { return StoredEntry{Packet(std::string(name)) != nullptr}; });
}

NoteImage NoteImage::Only(const NoteFormat& format) const {
    NoteImage narrowed(*this);
    narrowed.m_only = &format;
    return narrowed;
}

const NoteFormat& NoteImage::Format() const {
    const NoteFormat* format = StoredFormat(Entries());
    return format != nullptr ? *format : DefaultNoteFormat();
}

bool NoteImage::HasNote() const { return IsWholeSet(Entries()); }

bool NoteImage::HasAnyNoteEntry() const { return StoredFormat(Entries()) != nullptr; }

const NoteChoice* NoteImage::Choice() const { return Format().ChoiceOf(Entries()); }

std::vector<std::string> NoteImage::Faults() const {
    std::vector<std::string> faults;
    for (const std::string& name : Format().EntryNames()) {
        if (Packet(name) == nullptr) faults.push_back("no " + name + " entry");
    }
    for (std::string& fault : Format().Faults(Entries())) faults.push_back(std::move(fault));
    return faults;
}

void NoteImage::RequireWholeNote() const {
    if (!HasAnyNoteEntry()) throw NoteError("the file holds no note");
    const std::vector<std::string> faults = Faults();
    if (!faults.empty()) throw NoteError("the note cannot be read: " + faults.front());
}

bool NoteImage::PasswordMatches(std::string_view password) const { return Format().PasswordMatches(Entries(), password); }

SecretString NoteImage::Unseal(std::string_view password) const {
    const NoteChoice* choice = Choice();
    return choice == nullptr ? SecretString() : Format().Open(*choice, Entries(), password);
}

std::vector<std::uint8_t> NoteImage::WithNote(const SealedNote& sealed) const {
    std::vector<ResourceChange> changes = RemoveNoteEntries(m_resources);
    for (ResourceChange& put : PutNoteEntries(sealed)) changes.push_back(std::move(put));
    return RewriteResources(m_image.data(), m_image.size(), changes);
}

std::vector<std::uint8_t> NoteImage::WithoutNote() const {
    return RewriteResources(m_image.data(), m_image.size(), RemoveNoteEntries(m_resources));
}

void CheckRewrittenEntries(const NoteImage& original, const NoteImage& rewritten, const SealedNote* sealed) {
    const std::vector<ResourceEntry> before = OtherResources(original.resources());
    const std::vector<ResourceEntry> after = OtherResources(rewritten.resources());
    if (before.size() != after.size()) throw NoteError("the written file lost or gained resources");
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!(before[i].key == after[i].key) || before[i].bytes != after[i].bytes)
            throw NoteError("the written file changed resource " + before[i].key.Describe());
    }

    std::size_t noteEntries = 0;
    for (const ResourceEntry& entry : rewritten.resources()) noteEntries += IsNoteEntry(entry.key) ? 1 : 0;
    if (sealed == nullptr) {
        if (noteEntries != 0) throw NoteError("the written file still holds a note entry");
        return;
    }
    if (noteEntries != sealed->size()) throw NoteError("the written file holds a second copy of a note entry");
    for (const NoteEntry& expected : *sealed) {
        const ResourceEntry* entry = rewritten.Packet(expected.name);
        if (entry == nullptr || entry->key.language != 0 || entry->bytes != expected.bytes)
            throw NoteError("the written file's " + expected.name + " entry is not the one sealed");
    }
}

void CheckNoteOpens(const NoteImage& image, std::string_view text, std::string_view password) {
    if (!image.HasNote() || !image.PasswordMatches(password) || image.Unseal(password).View() != text)
        throw NoteError("the written note does not unseal to the text");
}

void CheckNoteOpens(const NoteImage& image, std::string_view text, const NoteChoice& choice, const HeldKey& key) {
    if (!image.HasNote() || image.Choice() != &choice || &key.Format() != choice.format ||
        choice.format->OpenWith(choice, image.Entries(), key).View() != text)
        throw NoteError("the written note does not open to the text under its key");
}

void CheckRewrittenImage(const NoteImage& original, const std::vector<std::uint8_t>& written,
                         const SealedNote* sealed, std::string_view text, std::string_view password) {
    const NoteImage rewritten(written);
    CheckRewrittenEntries(original, rewritten, sealed);
    if (sealed != nullptr) CheckNoteOpens(rewritten, text, password);
}
