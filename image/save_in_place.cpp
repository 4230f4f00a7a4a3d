#include "image/save_in_place.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "framework/unique_handle.h"
#include "image/detached_process.h"
#include "image/file_facts.h"
#include "image/paths.h"

namespace {

constexpr wchar_t kRemovalArgument[] = L"retire";
constexpr int kRemovalAttempts = 50;
constexpr DWORD kRemovalIntervalMs = 100;

// Retired files this process could not remove yet: the first of them is its
// own running image.
std::vector<std::wstring>& RetiredFiles() {
    static std::vector<std::wstring> files;
    return files;
}

bool Rename(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// A copy needs the program's size twice (the copy, and the rewrite of its
// resources through a mapping), besides the note.
bool HasRoomForCopy(const std::wstring& program, const ImageNote& note) {
    const long long size = FileSize(program);
    return size >= 0 && HasRoomToWrite(FolderOf(program), 2 * static_cast<unsigned long long>(size) + note.text.size());
}

void RetireOrRemove(const std::wstring& retired) {
    if (!DeleteFileW(retired.c_str()))
        RetiredFiles().push_back(retired);
}

}  // namespace

InPlaceSave SaveIntoOwnFile(const ImageNote& note, const SaveProgress& progress, std::wstring& retiredPath) {
    const std::wstring program = OwnImagePath();
    const DWORD attributes = program.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return InPlaceSave::CheckFailed;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return InPlaceSave::ReadOnly;
    if (!HasRoomForCopy(program, note))
        return InPlaceSave::NoRoom;

    const std::wstring staged = NewFileBeside(program);
    if (staged.empty())
        return InPlaceSave::NoNewFile;
    if (!WriteCheckedImageInto(staged, note, progress))
        return InPlaceSave::CheckFailed;
    const std::wstring retired = NewFileBeside(program);
    if (retired.empty()) {
        DeleteFileW(staged.c_str());
        return InPlaceSave::NoNewFile;
    }
    // The two renames follow each other at once: only between them is there
    // no file at the program's path.
    if (!Rename(program, retired)) {
        DeleteFileW(staged.c_str());
        DeleteFileW(retired.c_str());
        return InPlaceSave::InUse;
    }
    if (Rename(staged, program)) {
        RetireOrRemove(retired);
        return InPlaceSave::Saved;
    }
    if (Rename(retired, program)) {
        DeleteFileW(staged.c_str());
        return InPlaceSave::InUse;
    }
    // Both files stay: the staged one holds the new note, the retired one
    // the old note and the program.
    retiredPath = retired;
    return InPlaceSave::Displaced;
}

void StartRetiredFileRemoval() {
    std::vector<std::wstring>& retired = RetiredFiles();
    const std::wstring program = OwnImagePath();
    if (retired.empty() || program.empty())
        return;
    std::wstring commandLine = L"\"" + program + L"\" " + kRemovalArgument;
    for (const std::wstring& file : retired)
        commandLine += L" \"" + file + L"\"";
    StartDetached(program, commandLine, false);
}

bool HandleRetiredFileRemoval(int argc, wchar_t** argv) {
    if (argc < 3 || std::wcscmp(argv[1], kRemovalArgument) != 0)
        return false;
    const std::wstring program = OwnImagePath();
    std::vector<std::wstring> left;
    for (int i = 2; i < argc; ++i) {
        if (IsMadeBeside(program, argv[i]))
            left.push_back(argv[i]);
    }
    // The process that retired them may still run from one of them.
    for (int attempt = 0; attempt < kRemovalAttempts && !left.empty(); ++attempt) {
        if (attempt > 0)
            Sleep(kRemovalIntervalMs);
        std::vector<std::wstring> stillThere;
        for (const std::wstring& file : left) {
            if (!DeleteFileW(file.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
                stillThere.push_back(file);
        }
        left.swap(stillThere);
    }
    return true;
}

void RemoveSaveLeftovers() {
    const std::wstring program = OwnImagePath();
    if (program.empty())
        return;
    WIN32_FIND_DATAW found = {};
    const Casement::CFindHandle search(FindFirstFileW((program + L"~????.tmp").c_str(), &found));
    if (!search.IsValid())
        return;
    const std::wstring folder = FolderOf(program) + L"\\";
    do {
        const std::wstring path = folder + found.cFileName;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsMadeBeside(program, path))
            DeleteFileW(path.c_str());
    } while (FindNextFileW(search.GetHandle(), &found));
}
