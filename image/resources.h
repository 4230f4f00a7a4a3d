// The embedded document's resources: read from the running image, written
// into an image file that is not running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "crypto/document.h"

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

// Writes HMAC, DATA and TYPE into the image file in one committed batch,
// replacing any earlier document and keeping every other resource, then
// reads the file back. False when a resource of the file cannot be read or
// written, or when the file does not then hold exactly its other resources
// (same type, name, language and bytes) and these three entries.
bool WritePackets(const std::wstring& imagePath, const SealedDocument& packets);
// Removes all three entries the same way, checked the same way.
bool DeletePackets(const std::wstring& imagePath);
// The document's entries as the image file holds them (an absent one is
// empty); false when its resources cannot be read.
bool ReadPackets(const std::wstring& imagePath, SealedDocument& packets);
