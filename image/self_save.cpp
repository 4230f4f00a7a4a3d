#include "image/self_save.h"

#include <windows.h>

#include <cwchar>

#include "framework/unique_handle.h"
#include "image/checked_image.h"
#include "image/detached_process.h"
#include "image/file_facts.h"
#include "image/paths.h"

namespace {

constexpr wchar_t kWriteBackArgument[] = L"writeback";
constexpr int kAttempts = 101;
constexpr DWORD kIntervalMs = 100;

// Overwriting in place gives up the target's space first; what is free then
// must hold the whole image, or the target would be left cut short.
bool FitsInPlace(const std::wstring& self, const std::wstring& target) {
    const long long selfSize = FileSize(self);
    const long long targetSize = FileSize(target);
    return selfSize >= 0 && targetSize >= 0 &&
           (selfSize <= targetSize ||
            HasRoomToWrite(FolderOf(target), static_cast<unsigned long long>(selfSize - targetSize)));
}

// One attempt to put this image in the target's place. A checked copy is
// staged beside the target, so that the target is replaced by a rename,
// which never leaves it half written; a copy that fails its check is
// removed and the attempt fails. Only where the folder refuses new files is
// the target overwritten in place, and checked afterwards.
bool ReplaceTarget(const std::wstring& self, std::wstring& staged, const std::wstring& target) {
    if (staged.empty()) {
        // Named after the target where its path leaves room, so that the
        // next start removes a copy a killed write-back left.
        const std::wstring name = NewFileToReplace(target);
        if (name.empty())
            return GetLastError() == ERROR_ACCESS_DENIED && FitsInPlace(self, target) &&
                   CopyFileW(self.c_str(), target.c_str(), FALSE) && FilesAreIdentical(self, target);
        if (!WriteCheckedImageInto(name, ImageNote()))
            return false;
        staged = name;
    }
    if (MoveFileExW(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    // A start of the target meanwhile removes the copy as a leftover.
    if (GetLastError() == ERROR_FILE_NOT_FOUND)
        staged.clear();
    return false;
}

// A write-back that gives up must not hide the new note: say where it is.
void ReportFailure(const std::wstring& temporaryImage) {
    const std::wstring text = FromAnsi("无法将文档写回程序文件。新的文档保存在：") + temporaryImage;
    MessageBoxW(nullptr, text.c_str(), FromAnsi("错误").c_str(), MB_SYSTEMMODAL | MB_ICONERROR);
}

void WriteBack(const std::wstring& target) {
    // The saving process may still hold its executable; retry until it ends.
    const std::wstring self = OwnImagePath();
    std::wstring staged;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (ReplaceTarget(self, staged, target))
            return;
        Sleep(kIntervalMs);
    }
    if (!staged.empty())
        DeleteFileW(staged.c_str());
    ReportFailure(self);
}

}  // namespace

bool SaveThroughTemporaryImage(std::string_view text, std::string_view password, std::string_view cipher,
                               const SaveProgress& progress) {
    const ImageNote note{text.empty() ? ImageNote::Kind::Removed : ImageNote::Kind::Sealed, text, password, cipher};
    const std::wstring executable = OwnImagePath();
    if (executable.empty())
        return false;
    const std::wstring image = WriteCheckedImage(TemporaryFolder(), note, progress);
    if (image.empty())
        return false;
    // The write-back gets the saving process's inheritable handles.
    if (StartDetached(image, WriteBackCommandLine(executable), true))
        return true;
    DeleteFileW(image.c_str());
    return false;
}

void RemoveRedundantTemporaryImages() {
    const std::wstring folder = TemporaryFolder();
    const std::wstring self = OwnImagePath();
    const long long selfSize = FileSize(self);
    WIN32_FIND_DATAW found = {};
    const Casement::CFindHandle search(
        folder.empty() || self.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW((folder + L"TEM*.tmp").c_str(), &found));
    if (!search.IsValid())
        return;
    do {
        // Sizes first, so that unrelated files are never read.
        const long long size = (static_cast<long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        const std::wstring path = folder + found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && size == selfSize &&
            FilesAreIdentical(self, path))
            DeleteFileW(path.c_str());
    } while (FindNextFileW(search.GetHandle(), &found));
}

std::wstring WriteBackCommandLine(const std::wstring& executablePath) {
    return L"\"" + executablePath + L"\" " + kWriteBackArgument;
}

bool HandleWriteBack(int argc, wchar_t** argv) {
    if (argc > 2)
        return true;
    if (argc != 2 || std::wcscmp(argv[1], kWriteBackArgument) != 0)
        return false;
    // Started by hand as its own target, it has nothing to write back.
    if (!IsOwnImagePath(argv[0]))
        WriteBack(argv[0]);
    return true;
}
