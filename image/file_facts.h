// What a save asks of the files it works on: their size, the room left
// beside them, whether two hold the same bytes.
#pragma once

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
