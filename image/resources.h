// The note's entries: read from the running image, written with the system's
// resource update into an image file that is not running, and read back from
// the file as data, so that what a save checks is what the companion checks.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "crypto/legacy_format.h"
#include "note/note_image.h"

// Bytes of a resource of the running image; they stay valid until the
// process ends. Null bytes mean the resource is absent or unreadable.
struct ImageResource {
    bool found = false;  // the image has the entry, readable or not
    const unsigned char* bytes = nullptr;
    DWORD size = 0;
};

// The embedded document of the running image: its three entries.
struct OwnDocument {
    ImageResource hmac;
    ImageResource data;
    ImageResource type;
    // A partial set of entries counts as no document at all.
    bool IsComplete() const { return hmac.found && data.found && type.found; }
};
OwnDocument LoadOwnDocument();

// The image file as data; nothing when it cannot be read or its resources
// cannot be parsed.
std::optional<NoteImage> ReadNoteImage(const std::wstring& imagePath);

// Writes the sealed note's entries into the image file in one committed
// batch, replacing any earlier note and keeping every other resource, then reads
// the file back. Gives the file as read back once it has passed the
// rewritten-entries check against the file as it was; nothing when a step
// fails or the check does not pass.
std::optional<NoteImage> WritePackets(const std::wstring& imagePath, const SealedNote& packets);
// Removes every note entry the same way, checked the same way.
std::optional<NoteImage> DeletePackets(const std::wstring& imagePath);
