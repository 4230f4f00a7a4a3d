#include "crypto/legacy_format.h"

#include <cstring>
#include <memory>

#include "crypto/key_material.h"

namespace {

// The legacy format derives everything from the password at every seal, so
// its key is the password itself and the verifier it is checked against.
class LegacyKey final : public HeldKey {
public:
    LegacyKey(const NoteFormat& format, std::string_view password, const unsigned char* verifier,
              std::size_t verifierBytes)
        : HeldKey(format), password(password), verifier(verifier, verifier + verifierBytes) {}
    ~LegacyKey() override { WipeVector(verifier); }

    SecretString password;
    std::vector<unsigned char> verifier;  // as stored: a shorter one is compared over its length
};

class Legacy final : public NoteFormat {
public:
    TextEncoding Encoding() const override { return TextEncoding::LegacyCodePage; }

    const std::vector<std::string>& EntryNames() const override {
        static const std::vector<std::string> names = {kVerifierEntry, kSealedTextEntry, kCipherEntry};
        return names;
    }

    std::vector<std::string> Faults(const StoredEntries& entries) const override {
        std::vector<std::string> faults;
        if (const StoredEntry hmac = entries(kVerifierEntry); hmac.found && hmac.size != kVerifierBytes)
            faults.push_back("HMAC holds " + std::to_string(hmac.size) + " bytes, not 64");
        if (const StoredEntry data = entries(kSealedTextEntry); data.found && (data.size == 0 || data.size % 16 != 0))
            faults.push_back("DATA holds " + std::to_string(data.size) + " bytes, not a positive multiple of 16");
        if (entries(kCipherEntry).found && ChoiceOf(entries) == nullptr)
            faults.push_back("TYPE names no known cipher");
        return faults;
    }

    const NoteChoice* ChoiceOf(const StoredEntries& entries) const override {
        const StoredEntry type = entries(kCipherEntry);
        return type.bytes == nullptr ? nullptr : LegacyChoiceFromType(type.bytes, type.size);
    }

    std::optional<SealedNote> Seal(const NoteChoice& choice, std::string_view text,
                                   std::string_view password) const override {
        std::optional<SealedDocument> sealed = SealDocument(text, password, choice.identifier);
        if (!sealed)
            return std::nullopt;
        return LegacyEntries(*sealed);
    }

    bool PasswordMatches(const StoredEntries& entries, std::string_view password) const override {
        const StoredEntry hmac = entries(kVerifierEntry);
        return hmac.bytes != nullptr && hmac.size == kVerifierBytes &&
               PasswordMatchesVerifier(password, hmac.bytes, hmac.size);
    }

    SecretString Open(const NoteChoice& choice, const StoredEntries& entries,
                      std::string_view password) const override {
        const StoredEntry data = entries(kSealedTextEntry);
        if (data.bytes == nullptr)
            return SecretString();
        std::string text = UnsealDocumentData(data.bytes, data.size, password, choice.identifier);
        SecretString secret(text);
        WipeString(text);
        return secret;
    }

    std::unique_ptr<HeldKey> MakeKey(std::string_view password) const override {
        if (password.empty())
            return nullptr;
        unsigned char verifier[kVerifierBytes];
        WipeOnExit wipeVerifier(verifier, sizeof verifier);
        DeriveVerifier(password, verifier);
        return std::make_unique<LegacyKey>(*this, password, verifier, sizeof verifier);
    }

    std::optional<SealedNote> SealWith(const NoteChoice& choice, std::string_view text,
                                       const HeldKey& key) const override {
        const LegacyKey* legacy = Own(key);
        return legacy == nullptr ? std::nullopt : Seal(choice, text, legacy->password.View());
    }

    SecretString OpenWith(const NoteChoice& choice, const StoredEntries& entries,
                          const HeldKey& key) const override {
        const LegacyKey* legacy = Own(key);
        return legacy == nullptr ? SecretString() : Open(choice, entries, legacy->password.View());
    }

    bool KeyMatches(const HeldKey& key, std::string_view password) const override {
        const LegacyKey* legacy = Own(key);
        return legacy != nullptr && PasswordMatchesVerifier(password, legacy->verifier.data(), legacy->verifier.size());
    }

    Opening OpenOwnNote(const StoredEntries& entries, std::string_view password) const override {
        Opening opening;
        const StoredEntry hmac = entries(kVerifierEntry);
        // An unreadable or empty verifier is not checked, and selects no
        // cipher: the note then opens empty.
        if (hmac.bytes == nullptr || hmac.size == 0 || entries(kCipherEntry).bytes == nullptr)
            return opening;
        opening.choice = ChoiceOf(entries);
        // The start-up compares over the stored length, as the verifier
        // check does.
        if (!PasswordMatchesVerifier(password, hmac.bytes, hmac.size)) {
            opening.wrongPassword = true;
            return opening;
        }
        opening.key = std::make_unique<LegacyKey>(*this, password, hmac.bytes, hmac.size);
        if (opening.choice != nullptr)
            opening.text = Open(*opening.choice, entries, password);
        return opening;
    }

private:
    const LegacyKey* Own(const HeldKey& key) const {
        return &key.Format() == this ? static_cast<const LegacyKey*>(&key) : nullptr;
    }
};

}  // namespace

const NoteFormat& LegacyFormat() {
    static const Legacy format;
    return format;
}

SealedNote LegacyEntries(const SealedDocument& sealed) {
    return {{kVerifierEntry, sealed.hmac}, {kSealedTextEntry, sealed.data}, {kCipherEntry, sealed.type}};
}

const NoteChoice* LegacyChoiceFromType(const unsigned char* type, std::size_t typeBytes) {
    if (typeBytes == 0)
        return nullptr;
    const void* zero = std::memchr(type, 0, typeBytes);
    const std::size_t textBytes =
        zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - type) : typeBytes;
    const std::string_view text(reinterpret_cast<const char*>(type), textBytes);
    for (const NoteChoice& choice : NoteChoices()) {
        if (choice.format == &LegacyFormat() && text.substr(0, std::strlen(choice.identifier)) == choice.identifier)
            return &choice;
    }
    return nullptr;
}
