// A save of a note together with the earlier versions it keeps: what is
// written in one resource update, and the check of the file written.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "crypto/note_format.h"
#include "crypto/note_history.h"
#include "note/note_image.h"

struct NoteSave {
    SealedNote sealed;              // the note's entries, then the versions'
    std::vector<KeptVersion> kept;  // the versions among them
};

// The text sealed as choice seals it under key, with the versions kept from
// the note in replaced, which replacedKey opens (null when no key of it is
// held: then none is kept). Nothing when the text cannot be sealed.
std::optional<NoteSave> SealKeepingVersions(const NoteImage& replaced, const NoteChoice& choice,
                                            std::string_view text, const HeldKey& key, const HeldKey* replacedKey);

// Throws NoteError unless the versions written are those save meant, each
// opening under key to its text and each moved one as it was in replaced.
void CheckKeptVersions(const NoteImage& replaced, const NoteImage& written, const NoteSave& save,
                       const HeldKey& key);

// The number of version entries an image holds, and how many of them
// (damaged, or under another key) do not open under key.
struct VersionCount {
    std::size_t present = 0;
    std::size_t unreadable = 0;
};
VersionCount CountKeptVersions(const NoteImage& image, const HeldKey* key);
