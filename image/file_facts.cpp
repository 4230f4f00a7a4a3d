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
    LARGE_INTEGER sizeA = {}, sizeB = {};
    if (!a.IsValid() || !b.IsValid() || !GetFileSizeEx(a.GetHandle(), &sizeA) ||
        !GetFileSizeEx(b.GetHandle(), &sizeB) || sizeA.QuadPart != sizeB.QuadPart)
        return false;
    constexpr DWORD kChunk = 1 << 20;
    std::vector<char> bufferA(kChunk), bufferB(kChunk);
    for (LONGLONG left = sizeA.QuadPart; left > 0;) {
        const DWORD wanted = left < kChunk ? static_cast<DWORD>(left) : kChunk;
        DWORD readA = 0, readB = 0;
        if (!ReadFile(a.GetHandle(), bufferA.data(), wanted, &readA, nullptr) ||
            !ReadFile(b.GetHandle(), bufferB.data(), wanted, &readB, nullptr) || readA != wanted || readB != wanted ||
            std::memcmp(bufferA.data(), bufferB.data(), wanted) != 0)
            return false;
        left -= wanted;
    }
    return true;
}

bool FileHolds(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    const Casement::CHandle file = OpenForSharedReading(path);
    LARGE_INTEGER size = {};
    if (!file.IsValid() || !GetFileSizeEx(file.GetHandle(), &size) ||
        static_cast<unsigned long long>(size.QuadPart) != bytes.size())
        return false;
    constexpr std::size_t kChunk = 1 << 20;
    std::vector<std::uint8_t> buffer(std::min(kChunk, bytes.size()));
    for (std::size_t at = 0; at < bytes.size();) {
        const DWORD wanted = static_cast<DWORD>(std::min(kChunk, bytes.size() - at));
        DWORD read = 0;
        if (!ReadFile(file.GetHandle(), buffer.data(), wanted, &read, nullptr) || read != wanted ||
            std::memcmp(buffer.data(), bytes.data() + at, wanted) != 0)
            return false;
        at += wanted;
    }
    return true;
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
