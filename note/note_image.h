// The note a program image carries, read and rewritten as data: the
// "PACKET" entries of its resource directory that its format stores it as.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "note/note_entries.h"
#include "store/resource_entry.h"

// A note that is missing, incomplete or damaged where a command needs a whole one.
class NoteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class NoteImage {
public:
    // Parses the image's resources; throws ImageError when it cannot.
    explicit NoteImage(std::vector<std::uint8_t> image);

    const std::vector<std::uint8_t>& bytes() const { return m_image; }
    const std::vector<ResourceEntry>& resources() const { return m_resources; }

    // The entry of type "PACKET" with this name, in any language, as the
    // program finds it; null when absent.
    const ResourceEntry* Packet(const std::string& name) const;
    // The note's entries, for its format to read; only those of the format
    // the image is narrowed to, if it is.
    StoredEntries Entries() const;
    // The formats whose entries are present, in the order of the choices:
    // more than one only in a file something else wrote.
    std::vector<const NoteFormat*> StoredFormats() const;
    // The image as format alone sees it: any other format's entries are not
    // there for the questions below, though a rewrite still removes them.
    NoteImage Only(const NoteFormat& format) const;
    // The format of the entries present (the default one when none is).
    const NoteFormat& Format() const;
    // Every entry of its format is there.
    bool HasNote() const;
    // At least one note entry is there.
    bool HasAnyNoteEntry() const;
    // The choice the note was sealed with, or null.
    const NoteChoice* Choice() const;
    // What keeps the note from being read: a missing entry, then what its
    // format finds wrong with those present. Empty for a whole note.
    std::vector<std::string> Faults() const;

    // Throws NoteError unless the note is whole.
    void RequireWholeNote() const;
    bool PasswordMatches(std::string_view password) const;
    // The text the note holds, unsealed with password (already checked).
    SecretString Unseal(std::string_view password) const;

    // The image with sealed as its note, replacing the note it had.
    std::vector<std::uint8_t> WithNote(const SealedNote& sealed) const;
    // The image without a note.
    std::vector<std::uint8_t> WithoutNote() const;

private:
    std::vector<std::uint8_t> m_image;
    std::vector<ResourceEntry> m_resources;
    const NoteFormat* m_only = nullptr;
};

// Checks a rewritten image as it was read back: every resource other than
// the note's entries byte for byte as in original, and the note's entries
// exactly sealed's in language 0 or, without sealed, no note entry at all.
// Throws NoteError naming the first difference.
void CheckRewrittenEntries(const NoteImage& original, const NoteImage& rewritten, const SealedNote* sealed);
// Checks that the image's note takes password and unseals to text; throws
// NoteError when it does not.
void CheckNoteOpens(const NoteImage& image, std::string_view text, std::string_view password);
// The same for a note sealed as choice seals it under key: the image's note
// must be whole, of that choice, and open under key to text.
void CheckNoteOpens(const NoteImage& image, std::string_view text, const NoteChoice& choice, const HeldKey& key);

// Both checks on an image read back from disk, the second only with a note.
// Whatever writes a note, the editor or the companion, accepts what passes
// these and nothing else.
void CheckRewrittenImage(const NoteImage& original, const std::vector<std::uint8_t>& written,
                         const SealedNote* sealed, std::string_view text, std::string_view password);
