#include "image/checked_image.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <vector>

#include "crypto/document.h"
#include "crypto/wipe.h"
#include "framework/unique_handle.h"
#include "image/resources.h"

namespace {

// Opens a file for reading while others may still read, write or delete it.
Casement::CHandle OpenForReading(const std::string& path) {
    return Casement::CHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// The resources are written through a mapping of the file, and a disk that
// fills up meanwhile faults the writing process instead of failing the call.
// So they are written only where the volume has room for the whole image
// once more, besides the new entries.
bool HasRoomToRewrite(const std::string& image, std::size_t newBytes) {
    constexpr unsigned long long kSlack = 64 * 1024;
    const long long size = FileSize(image);
    return size >= 0 && HasRoomFor(FolderOf(image), static_cast<unsigned long long>(size) + newBytes + kSlack);
}

void Report(const SaveProgress& progress, int percent) {
    if (progress)
        progress(percent);
}

// Gives the image its note and checks what the file then holds.
bool WriteNote(const std::string& image, const ImageNote& note, const SaveProgress& progress) {
    switch (note.kind) {
    case ImageNote::Kind::Unchanged:
        return true;
    case ImageNote::Kind::Removed:
        return HasRoomToRewrite(image, 0) && DeletePackets(image);
    case ImageNote::Kind::Sealed:
        break;
    }
    const std::optional<SealedDocument> sealed = SealDocument(note.text, note.password, note.cipher);
    if (!sealed)
        return false;
    Report(progress, 40);
    if (!HasRoomToRewrite(image, sealed->hmac.size() + sealed->data.size() + sealed->type.size()) ||
        !WritePackets(image, *sealed))
        return false;
    Report(progress, 70);
    // WritePackets read the file back: it holds exactly these bytes, so they
    // are what the next start will unseal.
    const std::string_view storedCipher(reinterpret_cast<const char*>(sealed->type.data()), sealed->type.size());
    std::string unsealed = UnsealDocumentData(sealed->data.data(), sealed->data.size(), note.password, storedCipher);
    const bool opens = unsealed == note.text &&
                       PasswordMatchesVerifier(note.password, sealed->hmac.data(), sealed->hmac.size());
    WipeString(unsealed);
    return opens;
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool HasRoomFor(const std::string& folder, unsigned long long bytes) {
    ULARGE_INTEGER available = {};
    return GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr) && available.QuadPart >= bytes;
}

bool FilesAreIdentical(const std::string& first, const std::string& second) {
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

std::string NewFileIn(const std::string& folder) {
    char name[MAX_PATH] = {};
    // Wine's GetTempFileNameA can report a name it could not create, so the
    // file itself says whether the folder took it.
    if (folder.empty() || GetTempFileNameA(folder.c_str(), "TEM", 0, name) == 0 ||
        GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES)
        return std::string();
    return name;
}

std::string WriteCheckedImage(const std::string& folder, const ImageNote& note, const SaveProgress& progress) {
    const std::string image = NewFileIn(folder);
    return !image.empty() && WriteCheckedImageInto(image, note, progress) ? image : std::string();
}

bool WriteCheckedImageInto(const std::string& path, const ImageNote& note, const SaveProgress& progress) {
    const std::string self = OwnImagePath();
    const bool copied = CopyFileA(self.c_str(), path.c_str(), FALSE) && FilesAreIdentical(self, path);
    if (copied)
        Report(progress, 20);
    if (copied && WriteNote(path, note, progress)) {
        Report(progress, 100);
        return true;
    }
    DeleteFileA(path.c_str());
    return false;
}

bool SaveCheckedImageAs(const std::string& target, const ImageNote& note, const SaveProgress& progress) {
    // The running program cannot be replaced while it runs.
    if (IsOwnImagePath(target))
        return false;
    const std::string staged = WriteCheckedImage(FolderOf(target), note, progress);
    if (staged.empty())
        return false;
    if (MoveFileExA(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(staged.c_str());
    return false;
}
