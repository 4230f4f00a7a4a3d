#include "image/checked_image.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "crypto/note_format.h"
#include "crypto/wipe.h"
#include "framework/unique_handle.h"
#include "image/paths.h"
#include "image/resources.h"

namespace {

// Opens a file for reading while others may still read, write or delete it.
Casement::CHandle OpenForReading(const std::wstring& path) {
    return Casement::CHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// The resources are written through a mapping of the file, and a disk that
// fills up meanwhile faults the writing process instead of failing the call.
// So they are written only where the volume has room for the whole image
// once more, besides the new entries.
bool HasRoomToRewrite(const std::wstring& image, std::size_t newBytes) {
    constexpr unsigned long long kSlack = 64 * 1024;
    const long long size = FileSize(image);
    return size >= 0 && HasRoomFor(FolderOf(image), static_cast<unsigned long long>(size) + newBytes + kSlack);
}

void Report(const SaveProgress& progress, int percent) {
    if (progress)
        progress(percent);
}

// Gives the image its note and checks what the file then holds.
bool WriteNote(const std::wstring& image, const ImageNote& note, const SaveProgress& progress) {
    switch (note.kind) {
    case ImageNote::Kind::Unchanged:
        return true;
    case ImageNote::Kind::Removed:
        return HasRoomToRewrite(image, 0) && DeletePackets(image).has_value();
    case ImageNote::Kind::Sealed:
        break;
    }
    const NoteChoice* choice = FindNoteChoice(note.cipher);
    const std::optional<SealedNote> sealed =
        choice != nullptr ? choice->format->Seal(*choice, note.text, note.password) : std::nullopt;
    if (!sealed)
        return false;
    Report(progress, 40);
    std::size_t sealedBytes = 0;
    for (const NoteEntry& entry : *sealed)
        sealedBytes += entry.bytes.size();
    if (!HasRoomToRewrite(image, sealedBytes))
        return false;
    const std::optional<NoteImage> written = WritePackets(image, *sealed);
    if (!written)
        return false;
    Report(progress, 70);
    try {
        CheckNoteOpens(*written, note.text, note.password);
        return true;
    } catch (const NoteError&) {
        return false;
    }
}

}  // namespace

long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool HasRoomFor(const std::wstring& folder, unsigned long long bytes) {
    ULARGE_INTEGER available = {};
    return GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr) && available.QuadPart >= bytes;
}

bool FilesAreIdentical(const std::wstring& first, const std::wstring& second) {
    const Casement::CHandle a = OpenForReading(first);
    const Casement::CHandle b = OpenForReading(second);
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

std::wstring WriteCheckedImage(const std::wstring& folder, const ImageNote& note, const SaveProgress& progress) {
    const std::wstring image = NewFileIn(folder);
    return !image.empty() && WriteCheckedImageInto(image, note, progress) ? image : std::wstring();
}

bool WriteCheckedImageInto(const std::wstring& path, const ImageNote& note, const SaveProgress& progress) {
    const std::wstring self = OwnImagePath();
    const bool copied =
        !self.empty() && CopyFileW(self.c_str(), path.c_str(), FALSE) && FilesAreIdentical(self, path);
    if (copied)
        Report(progress, 20);
    if (copied && WriteNote(path, note, progress)) {
        Report(progress, 100);
        return true;
    }
    DeleteFileW(path.c_str());
    return false;
}

bool SaveCheckedImageAs(const std::wstring& target, const ImageNote& note, const SaveProgress& progress) {
    // The running program cannot be replaced while it runs.
    if (IsOwnImagePath(target))
        return false;
    const std::wstring staged = WriteCheckedImage(FolderOf(target), note, progress);
    if (staged.empty())
        return false;
    if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(staged.c_str());
    return false;
}
