#include "image/self_save.h"

#include <windows.h>

#include <cstring>

#include "framework/unique_handle.h"
#include "image/checked_image.h"
#include "image/resources.h"

namespace {

constexpr char kWriteBackArgument[] = "writeback";
constexpr int kAttempts = 101;
constexpr DWORD kIntervalMs = 100;

std::string TemporaryFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder) : std::string();
}

bool StartWriteBack(const std::string& image, const std::string& executable) {
    std::string commandLine = WriteBackCommandLine(executable);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(image.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // The write-back runs on its own: neither handle is needed.
    const Casement::CHandle thread(process.hThread);
    const Casement::CHandle started(process.hProcess);
    return true;
}

// Overwriting in place gives up the target's space first; what is free then
// must hold the whole image, or the target would be left cut short.
bool FitsInPlace(const std::string& self, const std::string& target) {
    const long long selfSize = FileSize(self);
    const long long targetSize = FileSize(target);
    return selfSize >= 0 && targetSize >= 0 &&
           (selfSize <= targetSize || HasRoomFor(FolderOf(target), static_cast<unsigned long long>(selfSize - targetSize)));
}

// One attempt to put this image in the target's place. A checked copy is
// staged beside the target, so that the target is replaced by a rename,
// which never leaves it half written; a copy that fails its check is
// removed and the attempt fails. Only where the folder takes no new file is
// the target overwritten in place, and checked afterwards.
bool ReplaceTarget(const std::string& self, std::string& staged, const std::string& target) {
    if (staged.empty()) {
        const std::string name = NewFileIn(FolderOf(target));
        if (name.empty())
            return FitsInPlace(self, target) && CopyFileA(self.c_str(), target.c_str(), FALSE) &&
                   FilesAreIdentical(self, target);
        if (!WriteCheckedImageInto(name, ImageNote()))
            return false;
        staged = name;
    }
    return MoveFileExA(staged.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
           FALSE;
}

// A write-back that gives up must not hide the new note: say where it is.
void ReportFailure(const std::string& temporaryImage) {
    const std::string text = "无法将文档写回程序文件。新的文档保存在：" + temporaryImage;
    MessageBoxA(nullptr, text.c_str(), "错误", MB_SYSTEMMODAL | MB_ICONERROR);
}

void WriteBack(const std::string& target) {
    // The saving process may still hold its executable; retry until it ends.
    const std::string self = OwnImagePath();
    std::string staged;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        if (ReplaceTarget(self, staged, target))
            return;
        Sleep(kIntervalMs);
    }
    if (!staged.empty())
        DeleteFileA(staged.c_str());
    ReportFailure(self);
}

}  // namespace

bool SaveThroughTemporaryImage(std::string_view text, std::string_view password, std::string_view cipher,
                               const SaveProgress& progress) {
    const ImageNote note{text.empty() ? ImageNote::Kind::Removed : ImageNote::Kind::Sealed, text, password, cipher};
    const std::string executable = OwnImagePath();
    const std::string image = WriteCheckedImage(TemporaryFolder(), note, progress);
    if (image.empty())
        return false;
    if (StartWriteBack(image, executable))
        return true;
    DeleteFileA(image.c_str());
    return false;
}

void RemoveRedundantTemporaryImages() {
    const std::string folder = TemporaryFolder();
    const std::string self = OwnImagePath();
    const long long selfSize = FileSize(self);
    WIN32_FIND_DATAA found = {};
    HANDLE search = folder.empty() ? INVALID_HANDLE_VALUE : FindFirstFileA((folder + "TEM*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        // Sizes first, so that unrelated files are never read.
        const long long size = (static_cast<long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        const std::string path = folder + found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && size == selfSize &&
            FilesAreIdentical(self, path))
            DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string WriteBackCommandLine(const std::string& executablePath) {
    return "\"" + executablePath + "\" " + kWriteBackArgument;
}

bool HandleWriteBack(int argc, char** argv) {
    if (argc > 2)
        return true;
    if (argc != 2 || std::strcmp(argv[1], kWriteBackArgument) != 0)
        return false;
    // Started by hand as its own target, it has nothing to write back.
    if (!IsOwnImagePath(argv[0]))
        WriteBack(argv[0]);
    return true;
}
