// The command line's file work: reading whole files and standard input,
// writing standard output, and replacing a file only with a copy that was
// written beside it, read back and checked.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file that cannot be read, or a target that could not be replaced; the
// message names the path and the system's reason.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The most the companion reads from a file or standard input: a program
// image's offsets and sizes and a note's entries are 32-bit, so nothing
// larger can be either.
constexpr std::uint64_t kMaxReadBytes = 0xFFFFFFFFu;

inline FileError TooLargeToRead(const std::string& name) {
    return FileError("cannot read " + name + ": it holds more than 4 GiB, more than a program file or a note can");
}

// Why a target is left alone rather than replaced.
inline FileError NotARegularFile(const std::string& file) {
    return FileError(file + " is not a regular file (a folder, device, pipe or socket): it is left alone");
}
inline FileError HasOtherNames(const std::string& file, unsigned long long names) {
    return FileError(file + " has " + std::to_string(names) +
                     " names (hard links); the others would keep the old file, so it is left alone");
}
inline FileError ReadOnlyForUser(const std::string& file) { return FileError(file + " is read-only for you: it is left alone"); }

// Paths are UTF-8 on every platform. Only a regular file is read: a device
// or a pipe could be read for ever.
std::vector<std::uint8_t> ReadRegularFile(const std::string& path);
std::vector<std::uint8_t> ReadStandardInput();
void WriteStandardOutput(std::string_view bytes);

// Both paths name one existing file (through links or other spellings).
bool IsSameFile(const std::string& first, const std::string& second);

// Puts bytes at target: writes them to a new file beside target, forces it
// to disk, reads it back and hands what was read to check, which throws to
// refuse it; then renames it over target. On any failure the staged file is
// removed and target stays as it was. A symbolic link is written through:
// the file it names is replaced (staged beside that file) and the link
// stays; natively only a link of the user's, in a folder nobody else may
// change, leading through no folder of another user's or one others may
// change, is followed, and the file is staged and renamed in a folder
// opened once. Anything but a regular file, a file with other hard links
// and a read-only file are refused and left alone. When permissionsFrom is empty
// the file is private to the user, whoever owned the one it replaces;
// otherwise a new target takes the permissions of permissionsFrom and an
// existing one keeps its own, and its owner. On Windows the new
// file has its folder's access list, or, when permissionsFrom is empty, one
// that lets only the user at it, also in place of an existing file's.
void ReplaceFileCheckingCopy(const std::string& target, const std::vector<std::uint8_t>& bytes,
                             const std::function<void(const std::vector<std::uint8_t>&)>& check,
                             const std::string& permissionsFrom);
