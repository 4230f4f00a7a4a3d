// The embedded document's resources: read from the running image, written
// into an image file that is not running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The full path of the running executable, as the system reports it.
std::string OwnImagePath();

// Bytes of a resource of the running image; they stay valid until the
// process ends. Null bytes mean the resource is absent or unreadable.
struct ImageResource {
    const unsigned char* bytes = nullptr;
    DWORD size = 0;
};

// True when the running image has the resource PACKET/name.
bool HasOwnPacket(LPCSTR name);
ImageResource LoadOwnPacket(LPCSTR name);

// The three entries of an embedded document, in the order they are written.
struct PacketSet {
    std::vector<unsigned char> hmac;
    std::vector<unsigned char> data;
    std::vector<unsigned char> type;
};

// Writes HMAC, DATA and TYPE into the image file in one committed batch,
// replacing any earlier document and keeping every other resource.
bool WritePackets(const std::string& imagePath, const PacketSet& packets);
// Removes all three entries in one committed batch.
bool DeletePackets(const std::string& imagePath);
