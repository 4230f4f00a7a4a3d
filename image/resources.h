// The note's entries: read from the running image, written with the system's
// resource update into an image file that is not running, and read back from
// the file as data, so that what a save checks is what the companion checks.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "crypto/note_format.h"
#include "note/note_image.h"

// The note entries of the running image, read as the program's own
// resources; their bytes stay valid until the process ends.
StoredEntries OwnNoteEntries();

// The image file as data; nothing when it cannot be read or its resources
// cannot be parsed.
std::optional<NoteImage> ReadNoteImage(const std::wstring& imagePath);
// The same, read once and given only when it is byte for byte the file at
// source, as a copy of source must be.
std::optional<NoteImage> ReadNoteImageCopiedFrom(const std::wstring& imagePath, const std::wstring& source);

// The program identity of the image file (64 hexadecimal digits); nothing
// when the file cannot be read or is not a program.
std::optional<std::string> ReadProgramIdentity(const std::wstring& imagePath);

// How many earlier versions of the note the program file (the file a link
// or short name that started the program reaches) keeps; 0 when it cannot
// be read. Nothing is decrypted.
std::size_t CountOwnKeptVersions();

// Writes the sealed note's entries into the image file, which original is
// as read last, in one committed batch, replacing any earlier note and
// keeping every other resource, then reads the file back. Gives the file as
// read back once it has passed the rewritten-entries check against
// original; nothing when a step fails or the check does not pass.
std::optional<NoteImage> WritePackets(const std::wstring& imagePath, const NoteImage& original,
                                      const SealedNote& packets);
// The same for an image file not read yet.
std::optional<NoteImage> WritePackets(const std::wstring& imagePath, const SealedNote& packets);
// Removes every note entry the same way, checked the same way.
std::optional<NoteImage> DeletePackets(const std::wstring& imagePath, const NoteImage& original);
