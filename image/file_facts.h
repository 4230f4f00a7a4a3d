// What a save asks of the files it works on: which file a path reaches,
// their size, the room left beside them, whether two hold the same bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/unique_handle.h"

// Opens a file for reading while others may still read, write or delete it.
Casement::CHandle OpenForSharedReading(const std::wstring& path);

// What the system says of the file a path reaches, links followed.
struct ReachedFile {
    // Its final path: every link followed, every name long. Empty where the
    // system cannot name it.
    std::wstring path;
    // The serial number of its volume and its index there: the same for
    // every name of the file, and for no other file.
    unsigned long volume = 0;
    unsigned long long index = 0;
    // How many names (hard links) it has.
    unsigned long names = 0;

    bool IsSameFile(const ReachedFile& other) const { return volume == other.volume && index == other.index; }
};
// Nothing when path reaches no file the system can tell apart.
std::optional<ReachedFile> FileReachedBy(const std::wstring& path);
// The program file a save replaces: the file the running program was
// started from, whatever link or short name started it. Nothing when it
// cannot be found and named.
std::optional<ReachedFile> OwnProgramFile();

// The size of a file in bytes; -1 when it cannot be read.
long long FileSize(const std::wstring& path);

// True when the folder's volume has room for bytes more with a margin to
// spare: every save that writes a file of a known size asks this first.
bool HasRoomToWrite(const std::wstring& folder, unsigned long long bytes);

// True when both files can be read and hold the same bytes.
bool FilesAreIdentical(const std::wstring& first, const std::wstring& second);
// True when the file can be read and holds exactly bytes.
bool FileHolds(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

// What tells one file from every other on the machine: the serial number of
// its volume and its index there, the same whichever path or name reaches
// it, and kept by a rename.
using FileIdentity = std::array<unsigned char, 12>;
// The identity of the file path reaches, links followed; none when the file
// cannot be opened or the system gives no identity.
std::optional<FileIdentity> ReadFileIdentity(const std::wstring& path);

// The SHA-256 digest of bytes in lower-case hexadecimal digits, which fit
// in any name the system gives objects and files.
std::wstring HexDigest(const void* bytes, std::size_t length);
