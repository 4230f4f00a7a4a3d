#include "image/file_facts.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

// The free space a volume reports is a snapshot that other programs share,
// and files take whole clusters plus the file system's own records. The
// resources of a copy are rewritten through a mapping, where a disk that
// fills up faults the process instead of failing a call, and an overwrite in
// place cut short leaves a broken program: either loses the note. Refusing a
// save on a disk with less than a MiB to spare loses nothing (the user is
// told the disk is full), so the margin is generous rather than tight.
constexpr unsigned long long kRoomToSpareBytes = 1 << 20;

}  // namespace

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
