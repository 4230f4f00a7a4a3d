#include "image/self_save.h"

#include <windows.h>

#include <cwchar>
#include <optional>

#include "framework/unique_handle.h"
#include "image/checked_image.h"
#include "image/checked_replace.h"
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

// Only where the folder refuses new files is the target overwritten in
// place, and checked afterwards.
bool OverwriteInPlace(const std::wstring& self, const std::wstring& target) {
    return FitsInPlace(self, target) && CopyFileW(self.c_str(), target.c_str(), FALSE) &&
           FilesAreIdentical(self, target);
}

// Puts this image in the target's place: a checked copy is staged beside the
// target (recorded as its leftover, so that the next start removes a copy a
// killed write-back left) and renamed over it. The saving
// process may still hold its executable, so every failed step waits and is
// tried again, kAttempts tries in all; a staged copy is kept for the next
// rename and staged anew only when a start of the target removed it
// meanwhile as a leftover. The target is replaced only while it is still
// the file the saving editor ran from: a new start of it may have saved a
// newer note meanwhile, which this one must never replace. (While such an
// editor runs, its image cannot be renamed over anyway.)
bool ReplaceTarget(const std::wstring& self, const std::wstring& target) {
    const std::optional<ReachedFile> savedFrom = FileReachedBy(target);
    bool superseded = false;
    const auto mayReplace = [&] {
        if (savedFrom) {
            const std::optional<ReachedFile> now = FileReachedBy(target);
            superseded = !now || !now->IsSameFile(*savedFrom);
        }
        return !superseded;
    };
    int tries = 0;
    const auto tryAgain = [&] {
        if (superseded)
            return false;
        Sleep(kIntervalMs);
        return ++tries < kAttempts;
    };
    const PutInPlace renameRetrying = [&](const std::wstring& staged, const std::wstring& to) {
        for (;;) {
            bool removed = false;
            if (mayReplace()) {
                if (RenameOver(staged, to))
                    return Replacement::Replaced;
                removed = GetLastError() == ERROR_FILE_NOT_FOUND;
            }
            if (!tryAgain() || removed)
                return Replacement::InUse;
        }
    };
    const WriteStaged writeSelf = [](const std::wstring& staged) { return WriteCheckedImageInto(staged, NoteChange()); };
    for (;;) {
        const Replacement outcome = ReplaceWithCheckedFile(target, writeSelf, renameRetrying);
        if (outcome == Replacement::Replaced ||
            (outcome == Replacement::NoNewFile && GetLastError() == ERROR_ACCESS_DENIED && mayReplace() &&
             OverwriteInPlace(self, target)))
            return true;
        // A failed rename has waited and counted its tries already.
        if (superseded || (outcome == Replacement::InUse ? tries >= kAttempts : !tryAgain()))
            return false;
    }
}

// A write-back that gives up must not hide the new note: say where it is.
void ReportFailure(const std::wstring& temporaryImage) {
    const std::wstring text = FromAnsi("无法将文档写回程序文件。新的文档保存在：") + temporaryImage;
    MessageBoxW(nullptr, text.c_str(), FromAnsi("错误").c_str(), MB_SYSTEMMODAL | MB_ICONERROR);
}

void WriteBack(const std::wstring& target) {
    const std::wstring self = OwnImagePath();
    if (!ReplaceTarget(self, target))
        ReportFailure(self);
}

}  // namespace

WriteBackStart SaveThroughTemporaryImage(const NoteChange& note, const SaveProgress& progress) {
    // The write-back replaces the file itself, never a link to it; a second
    // name of the file would keep the old note and the old password.
    const std::optional<ReachedFile> program = OwnProgramFile();
    if (!program)
        return WriteBackStart::Failed;
    if (program->names > 1)
        return WriteBackStart::OtherNames;
    const std::wstring image = WriteCheckedImage(TemporaryFolder(), note, progress);
    if (image.empty())
        return WriteBackStart::Failed;
    // The write-back gets the saving process's inheritable handles.
    if (StartDetached(image, WriteBackCommandLine(program->path), true))
        return WriteBackStart::Started;
    DeleteFileW(image.c_str());
    return WriteBackStart::Failed;
}

void RemoveRedundantTemporaryImages() {
    const std::wstring folder = TemporaryFolder();
    const std::wstring self = OwnImagePath();
    if (folder.empty() || self.empty())
        return;
    const long long selfSize = FileSize(self);
    WIN32_FIND_DATAW found = {};
    const Casement::CFindHandle search(FindFirstFileW((folder + L"TEM*.tmp").c_str(), &found));
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
