// The formats a note is stored in and the choices a user has among them.
// A format seals a note's text under a password into named entries (each
// kept as a "PACKET" resource of that name) and opens them again; what holds
// the entries (a program file read as data, the running program's own
// resources, memory) only hands them over by name. Each choice is one row
// the user picks from: a format and what it is sealed with.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/cipher_suite.h"
#include "crypto/wipe.h"

// The code page the legacy format keeps a note's text and password in: the
// one that Simplified Chinese Windows uses for its ANSI texts.
inline constexpr unsigned kLegacyNoteCodePage = 936;

// How a format stores the characters of the text and the password.
enum class TextEncoding {
    LegacyCodePage,  // kLegacyNoteCodePage bytes; a character it cannot hold is lost
    Utf8,            // every character, as UTF-8
};

// Every password field takes at most this many characters, whatever the format.
inline constexpr std::size_t kPasswordCharacterLimit = 512;

// One entry of a sealed note: its name and the bytes stored under it.
struct NoteEntry {
    std::string name;
    std::vector<unsigned char> bytes;
};
using SealedNote = std::vector<NoteEntry>;

// An entry as its holder has it: absent, present but unreadable (no bytes),
// or its bytes, valid while the holder lives.
struct StoredEntry {
    bool found = false;
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};
// The stored entry of this name.
using StoredEntries = std::function<StoredEntry(std::string_view name)>;

struct NoteChoice;
class NoteFormat;

// A key a format keeps for a note while the program runs, so that saves and
// the lock need not derive it again and an unlock can be checked against it.
// Only the format that made it can use it; what it holds is the format's own
// (wiped when released).
class HeldKey {
public:
    explicit HeldKey(const NoteFormat& format) : m_format(&format) {}
    virtual ~HeldKey() = default;
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;

    const NoteFormat& Format() const { return *m_format; }

private:
    const NoteFormat* m_format;
};

class NoteFormat {
public:
    virtual ~NoteFormat() = default;

    virtual TextEncoding Encoding() const = 0;
    // The entries a note of this format is stored as.
    virtual const std::vector<std::string>& EntryNames() const = 0;
    // What keeps present entries from being opened: a wrong size, an unknown
    // choice. Missing entries are not among them. Empty for a whole note.
    virtual std::vector<std::string> Faults(const StoredEntries& entries) const = 0;
    // The choice the entries were sealed with; null when they select none.
    virtual const NoteChoice* ChoiceOf(const StoredEntries& entries) const = 0;

    // The text (bytes in Encoding(), without a zero byte) sealed under
    // password; nothing when the password is empty, so that no readable note
    // is ever written.
    virtual std::optional<SealedNote> Seal(const NoteChoice& choice, std::string_view text,
                                           std::string_view password) const = 0;
    virtual bool PasswordMatches(const StoredEntries& entries, std::string_view password) const = 0;
    // The text of a whole note whose password matched.
    virtual SecretString Open(const NoteChoice& choice, const StoredEntries& entries,
                              std::string_view password) const = 0;

    // A key for password, with a fresh salt where the format salts: for a
    // new note, a password change or a change of format. Null for an empty
    // password or when no key can be made.
    virtual std::unique_ptr<HeldKey> MakeKey(std::string_view password) const = 0;
    // The text sealed under a key this format made; nothing for another's.
    virtual std::optional<SealedNote> SealWith(const NoteChoice& choice, std::string_view text,
                                               const HeldKey& key) const = 0;
    // The text of entries sealed under key; empty when they do not open.
    virtual SecretString OpenWith(const NoteChoice& choice, const StoredEntries& entries,
                                  const HeldKey& key) const = 0;
    // Whether password is the one key was made from, compared in constant
    // time; false for another format's key.
    virtual bool KeyMatches(const HeldKey& key, std::string_view password) const = 0;

    // What the program makes of the note it carries when it starts with
    // password: it opens what it can read, more leniently than a note is
    // checked before it is relied on elsewhere.
    struct Opening {
        bool wrongPassword = false;
        const NoteChoice* choice = nullptr;  // the choice the entries select, if any
        SecretString text;
        // The key the note opened with, for later saves and unlock checks;
        // null when no password was checked.
        std::unique_ptr<HeldKey> key;
    };
    virtual Opening OpenOwnNote(const StoredEntries& entries, std::string_view password) const = 0;
};

struct NoteChoice {
    const char* identifier;   // stored with the note and named on the command line; upper-case ASCII
    const char* displayName;  // as the new-password dialog lists it
    const char* shortName;    // as the About box names it
    const NoteFormat* format;
    Cipher cipher;  // what the legacy format seals with; formats without a choice of cipher ignore it
};

// Every choice, in the order the new-password dialog lists them.
const std::vector<NoteChoice>& NoteChoices();
// The choice a new note gets unless the user picks another.
const NoteChoice& DefaultNoteChoice();
// The choice with exactly this identifier or display name; null for none.
const NoteChoice* FindNoteChoice(std::string_view identifier);
const NoteChoice* NoteChoiceFromDisplayName(std::string_view displayName);
// Every choice named by name, in table order, for a text: the last two
// joined by lastSeparator and the others by separator.
std::string ListNoteChoices(const std::function<std::string(const NoteChoice&)>& name, std::string_view separator,
                            std::string_view lastSeparator);

// The formats whose entries are (some of them) present, in the order of the
// choices: more than one only in a file something else wrote.
std::vector<const NoteFormat*> StoredFormats(const StoredEntries& entries);
// The first of them; null when none is.
const NoteFormat* StoredFormat(const StoredEntries& entries);
// True when every entry of the format of the entries present is there.
bool IsWholeSet(const StoredEntries& entries);
// A sealed note's entries looked up by name, while sealed lives.
StoredEntries EntriesOf(const SealedNote& sealed);
// The names of every entry any format stores a note as.
const std::vector<std::string>& AllNoteEntryNames();
// The format a new note is written in when nothing says otherwise.
const NoteFormat& DefaultNoteFormat();
