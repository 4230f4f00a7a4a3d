#include "note/note_image.h"

#include <algorithm>

#include "crypto/cipher_table.h"
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

const ResourceEntry* NoteImage::Packet(const char* name) const {
    for (const ResourceEntry& entry : m_resources) {
        if (entry.key.type == ResourceId::Name(kNoteType) && entry.key.name == ResourceId::Name(name)) return &entry;
    }
    return nullptr;
}

bool NoteImage::HasNote() const {
    return std::all_of(kNoteEntryNames.begin(), kNoteEntryNames.end(),
                       [&](const char* name) { return Packet(name) != nullptr; });
}

bool NoteImage::HasAnyNoteEntry() const {
    return std::any_of(kNoteEntryNames.begin(), kNoteEntryNames.end(),
                       [&](const char* name) { return Packet(name) != nullptr; });
}

std::string_view NoteImage::CipherIdentifier() const {
    const ResourceEntry* type = Packet(kCipherEntry);
    if (type == nullptr) return {};
    return CipherIdentifierFromType(type->bytes.data(), type->bytes.size());
}

std::vector<std::string> NoteImage::Faults() const {
    std::vector<std::string> faults;
    for (const char* name : kNoteEntryNames) {
        if (Packet(name) == nullptr) faults.push_back(std::string("no ") + name + " entry");
    }
    if (const ResourceEntry* hmac = Packet(kVerifierEntry); hmac != nullptr && hmac->bytes.size() != 64)
        faults.push_back("HMAC holds " + std::to_string(hmac->bytes.size()) + " bytes, not 64");
    if (const ResourceEntry* data = Packet(kSealedTextEntry);
        data != nullptr && (data->bytes.empty() || data->bytes.size() % 16 != 0))
        faults.push_back("DATA holds " + std::to_string(data->bytes.size()) + " bytes, not a positive multiple of 16");
    if (Packet(kCipherEntry) != nullptr && CipherIdentifier().empty()) faults.push_back("TYPE names no known cipher");
    return faults;
}

void NoteImage::RequireWholeNote() const {
    if (!HasAnyNoteEntry()) throw NoteError("the file holds no note");
    const std::vector<std::string> faults = Faults();
    if (!faults.empty()) throw NoteError("the note is damaged: " + faults.front());
}

bool NoteImage::PasswordMatches(std::string_view password) const {
    const ResourceEntry* hmac = Packet(kVerifierEntry);
    return hmac != nullptr && hmac->bytes.size() == 64 &&
           PasswordMatchesVerifier(password, hmac->bytes.data(), hmac->bytes.size());
}

SecretString NoteImage::Unseal(std::string_view password) const {
    const ResourceEntry* data = Packet(kSealedTextEntry);
    std::string text = UnsealDocumentData(data->bytes.data(), data->bytes.size(), password, CipherIdentifier());
    SecretString secret(text);
    WipeString(text);
    return secret;
}

std::vector<std::uint8_t> NoteImage::WithNote(const SealedDocument& sealed) const {
    std::vector<ResourceChange> changes = RemoveNoteEntries(m_resources);
    for (ResourceChange& put : PutNoteEntries(sealed)) changes.push_back(std::move(put));
    return RewriteResources(m_image.data(), m_image.size(), changes);
}

std::vector<std::uint8_t> NoteImage::WithoutNote() const {
    return RewriteResources(m_image.data(), m_image.size(), RemoveNoteEntries(m_resources));
}

void CheckRewrittenEntries(const NoteImage& original, const NoteImage& rewritten, const SealedDocument* sealed) {
    const std::vector<ResourceEntry> before = OtherResources(original.resources());
    const std::vector<ResourceEntry> after = OtherResources(rewritten.resources());
    if (before.size() != after.size()) throw NoteError("the written file lost or gained resources");
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!(before[i].key == after[i].key) || before[i].bytes != after[i].bytes)
            throw NoteError("the written file changed resource " + before[i].key.Describe());
    }

    if (sealed == nullptr) {
        if (rewritten.HasAnyNoteEntry()) throw NoteError("the written file still holds a note entry");
        return;
    }
    std::size_t noteEntries = 0;
    for (const ResourceEntry& entry : rewritten.resources()) noteEntries += IsNoteEntry(entry.key) ? 1 : 0;
    if (noteEntries != kNoteEntryNames.size()) throw NoteError("the written file holds a second copy of a note entry");
    for (const SealedEntry& expected : SealedEntries(*sealed)) {
        const ResourceEntry* entry = rewritten.Packet(expected.name);
        if (entry == nullptr || entry->key.language != 0 || entry->bytes != *expected.bytes)
            throw NoteError(std::string("the written file's ") + expected.name + " entry is not the one sealed");
    }
}

void CheckNoteOpens(const NoteImage& image, std::string_view text, std::string_view password) {
    if (!image.HasNote() || !image.PasswordMatches(password) || image.Unseal(password).View() != text)
        throw NoteError("the written note does not unseal to the text");
}

void CheckRewrittenImage(const NoteImage& original, const std::vector<std::uint8_t>& written,
                         const SealedDocument* sealed, std::string_view text, std::string_view password) {
    const NoteImage rewritten(written);
    CheckRewrittenEntries(original, rewritten, sealed);
    if (sealed != nullptr) CheckNoteOpens(rewritten, text, password);
}
