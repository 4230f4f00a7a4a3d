// What a save asks of the files it works on: their size, the room left
// beside them, whether two hold the same bytes, which file a path reaches.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "framework/unique_handle.h"

// Opens a file for reading while others may still read, write or delete it.
Casement::CHandle OpenForSharedReading(const std::wstring& path);

// The size of a file in bytes; -1 when it cannot be read.
long long FileSize(const std::wstring& path);

// True when the folder's volume has room for bytes more with a margin to
// spare: every save that writes a file of a known size asks this first.
bool HasRoomToWrite(const std::wstring& folder, unsigned long long bytes);

// True when both files can be read and hold the same bytes.
bool FilesAreIdentical(const std::wstring& first, const std::wstring& second);

// What tells one file from every other on the machine: the serial number of
// its volume and its index there, the same whichever path or name reaches
// it, and kept by a rename.
using FileIdentity = std::array<unsigned char, 12>;
// The identity of the file at path; none when the file cannot be opened or
// the system gives no identity.
std::optional<FileIdentity> ReadFileIdentity(const std::wstring& path);

// The SHA-256 digest of bytes in lower-case hexadecimal digits, which fit
// in any name the system gives objects and files.
std::wstring HexDigest(const void* bytes, std::size_t length);
