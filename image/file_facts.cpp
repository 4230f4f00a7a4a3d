#include "image/file_facts.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "crypto/mbedtls_suite.h"
#include "image/paths.h"

namespace {

// The free space a volume reports is a snapshot that other programs share,
// and files take whole clusters plus the file system's own records. The
// resources of a copy are rewritten through a mapping, where a disk that
// fills up faults the process instead of failing a call, and an overwrite in
// place cut short leaves a broken program: either loses the note. Refusing a
// save on a disk with less than a MiB to spare loses nothing (the user is
// told the disk is full), so the margin is generous rather than tight.
constexpr unsigned long long kRoomToSpareBytes = 1 << 20;

// The path the system gives for an open file, without the "\\?\" it puts
// before a drive letter or "UNC"; empty when it gives none.
std::wstring FinalPath(HANDLE file) {
    std::wstring path(MAX_PATH + 1, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.resize(length);
        length = GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    }
    if (length == 0 || length >= path.size())
        return std::wstring();
    path.resize(length);
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0)
        return L"\\\\" + path.substr(8);
    if (path.rfind(L"\\\\?\\", 0) == 0)
        return path.substr(4);
    return path;
}

// The file path reaches, links followed, with its final path when named.
// Only the attributes are read, and every other opener (the running image's
// loader, a save renaming the file, a copy) may go on. Opened without
// FILE_FLAG_OPEN_REPARSE_POINT, so that a link is followed.
std::optional<ReachedFile> Reach(const std::wstring& path, bool named) {
    const Casement::CHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!file.IsValid() || !GetFileInformationByHandle(file.GetHandle(), &info))
        return std::nullopt;
    return ReachedFile{named ? FinalPath(file.GetHandle()) : std::wstring(), info.dwVolumeSerialNumber,
                       (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                       info.nNumberOfLinks};
}

// The size of an open file; -1 when it is not open or its size cannot be told.
long long OpenFileSize(const Casement::CHandle& file) {
    LARGE_INTEGER size = {};
    return file.IsValid() && GetFileSizeEx(file.GetHandle(), &size) ? size.QuadPart : -1;
}

bool ReadExactly(const Casement::CHandle& file, std::uint8_t* into, DWORD bytes) {
    DWORD read = 0;
    return ReadFile(file.GetHandle(), into, bytes, &read, nullptr) && read == bytes;
}

// Reads size bytes of the open file in pieces of at most a MiB and hands
// each, with its offset, to matches; true when every piece was read whole
// and matched.
template <typename Matches>
bool EveryPieceMatches(const Casement::CHandle& file, unsigned long long size, Matches matches) {
    constexpr unsigned long long kPieceBytes = 1 << 20;
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(std::min(kPieceBytes, size)));
    for (unsigned long long at = 0; at < size;) {
        const DWORD length = static_cast<DWORD>(std::min(kPieceBytes, size - at));
        if (!ReadExactly(file, piece.data(), length) || !matches(piece.data(), at, length))
            return false;
        at += length;
    }
    return true;
}

}  // namespace

std::optional<ReachedFile> FileReachedBy(const std::wstring& path) { return Reach(path, true); }

std::optional<ReachedFile> OwnProgramFile() {
    const std::wstring self = OwnImagePath();
    std::optional<ReachedFile> file = self.empty() ? std::nullopt : FileReachedBy(self);
    if (file && file->path.empty())
        return std::nullopt;
    return file;
}

Casement::CHandle OpenForSharedReading(const std::wstring& path) {
    return Casement::CHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool HasRoomToWrite(const std::wstring& folder, unsigned long long bytes) {
    ULARGE_INTEGER available = {};
    return GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) &&
           available.QuadPart >= bytes && available.QuadPart - bytes >= kRoomToSpareBytes;
}

bool FilesAreIdentical(const std::wstring& first, const std::wstring& second) {
    const Casement::CHandle a = OpenForSharedReading(first);
    const Casement::CHandle b = OpenForSharedReading(second);
    const long long size = OpenFileSize(a);
    if (size < 0 || OpenFileSize(b) != size)
        return false;
    std::vector<std::uint8_t> other;
    return EveryPieceMatches(a, static_cast<unsigned long long>(size),
                             [&](const std::uint8_t* piece, unsigned long long, DWORD length) {
                                 other.resize(length);
                                 return ReadExactly(b, other.data(), length) &&
                                        std::memcmp(piece, other.data(), length) == 0;
                             });
}

bool FileHolds(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const Casement::CHandle file = OpenForSharedReading(path);
    const long long size = OpenFileSize(file);
    return size >= 0 && static_cast<unsigned long long>(size) == bytes.size() &&
           EveryPieceMatches(file, bytes.size(), [&](const std::uint8_t* piece, unsigned long long at, DWORD length) {
               return std::memcmp(piece, bytes.data() + at, length) == 0;
           });
}

std::optional<FileIdentity> ReadFileIdentity(const std::wstring& path) {
    // Every record of a save's files asks for identities; the final path,
    // which the system finds by walking the path, is not needed for them.
    const std::optional<ReachedFile> file = Reach(path, false);
    if (!file)
        return std::nullopt;
    const unsigned long long parts[3] = {file->volume, file->index >> 32, file->index & 0xFFFFFFFFu};
    FileIdentity identity = {};
    for (int part = 0; part < 3; ++part)
        for (int byte = 0; byte < 4; ++byte)
            identity[4 * part + byte] = static_cast<unsigned char>(parts[part] >> (8 * byte));
    return identity;
}

std::wstring HexDigest(const void* bytes, std::size_t length) {
    unsigned char digest[kSha256Bytes];
    Sha256(static_cast<const unsigned char*>(bytes), length, digest);
    std::wstring hex;
    for (const unsigned char byte : digest) {
        hex += L"0123456789abcdef"[byte >> 4];
        hex += L"0123456789abcdef"[byte & 15];
    }
    return hex;
}
