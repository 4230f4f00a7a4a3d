#include "image/save_in_place.h"

#include <windows.h>

#include <cwchar>
#include <optional>
#include <vector>

#include "image/checked_replace.h"
#include "image/detached_process.h"
#include "image/file_facts.h"
#include "image/file_instance.h"
#include "image/leftover_records.h"
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

// A copy needs the program's size twice (the copy, and the rewrite of its
// resources through a mapping), besides the note.
bool HasRoomForCopy(const std::wstring& program, const NoteChange& note) {
    const long long size = FileSize(program);
    return size >= 0 && HasRoomToWrite(FolderOf(program), 2 * static_cast<unsigned long long>(size) + note.text.size());
}

// The running program's file cannot be overwritten, but it can be renamed:
// it is moved aside under a retired name beside it, and the staged copy
// takes its place. The two renames follow each other at once: only between
// them is there no file at the program's path.
Replacement RetireAndReplace(const std::wstring& staged, const std::wstring& program, std::wstring& retired) {
    retired = NewFileBeside(program);
    if (retired.empty())
        return Replacement::NoNewFile;
    // The retired name will hold the program file: the next start removes
    // it also when this process is cut short after the rename.
    RecordLeftover(program, retired, {retired, program});
    // The instance is named after the file, and the staged copy, a file of
    // its own, becomes the program file: this editor takes its instance
    // before the rename, so a start after the save meets it. A rename keeps
    // a file's identity. Nobody else can hold the instance of a file just
    // made, so the result says nothing.
    static_cast<void>(HoldFileInstance(staged));
    if (!RenameOver(program, retired)) {
        if (DeleteFileW(retired.c_str()))
            ForgetLeftover(program, retired);
        ReleaseFileInstance(staged);
        return Replacement::InUse;
    }
    if (RenameOver(staged, program))
        return Replacement::Replaced;
    ReleaseFileInstance(staged);
    if (RenameOver(retired, program)) {
        ForgetLeftover(program, retired);
        return Replacement::InUse;
    }
    // Both files stay for the user: the staged one holds the new note, the
    // retired one the old note and the program.
    ForgetLeftover(program, retired);
    return Replacement::Displaced;
}

// The retired file is no program file any longer, and once removed its
// identity may pass to another file: its instance goes first.
void RetireOrRemove(const std::wstring& program, const std::wstring& retired) {
    ReleaseFileInstance(retired);
    if (DeleteFileW(retired.c_str()))
        ForgetLeftover(program, retired);
    else
        RetiredFiles().push_back(retired);
}

}  // namespace

InPlaceSave SaveIntoOwnFile(const NoteChange& note, const SaveProgress& progress, std::wstring& retiredPath) {
    // The renames work on the file itself, never on a link to it, which
    // stays a link; a second name of the file would keep the old note and
    // the old password.
    const std::optional<ReachedFile> file = OwnProgramFile();
    if (!file)
        return InPlaceSave::CheckFailed;
    if (file->names > 1)
        return InPlaceSave::OtherNames;
    const std::wstring& program = file->path;
    const DWORD attributes = GetFileAttributesW(program.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return InPlaceSave::CheckFailed;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return InPlaceSave::ReadOnly;
    if (!HasRoomForCopy(program, note))
        return InPlaceSave::NoRoom;

    // Staged and retired files are recorded as the program's leftovers, so
    // that the next start removes what a save that was cut short left.
    std::wstring retired;
    const Replacement outcome = ReplaceWithCheckedFile(
        program, [&](const std::wstring& staged) { return WriteCheckedImageInto(staged, note, progress); },
        [&](const std::wstring& staged, const std::wstring& target) { return RetireAndReplace(staged, target, retired); });
    switch (outcome) {
    case Replacement::Replaced:
        RetireOrRemove(program, retired);
        return InPlaceSave::Saved;
    case Replacement::NoNewFile:
        return InPlaceSave::NoNewFile;
    case Replacement::NotWritten:
        return InPlaceSave::CheckFailed;
    case Replacement::InUse:
        return InPlaceSave::InUse;
    case Replacement::Displaced:
        retiredPath = retired;
        return InPlaceSave::Displaced;
    }
    return InPlaceSave::CheckFailed;
}

void StartRetiredFileRemoval() {
    std::vector<std::wstring>& retired = RetiredFiles();
    const std::optional<ReachedFile> programFile = OwnProgramFile();
    if (retired.empty() || !programFile)
        return;
    const std::wstring& program = programFile->path;
    std::wstring commandLine = L"\"" + program + L"\" " + kRemovalArgument;
    for (const std::wstring& file : retired)
        commandLine += L" \"" + file + L"\"";
    StartDetached(program, commandLine, false);
}

bool HandleRetiredFileRemoval(int argc, wchar_t** argv) {
    if (argc < 3 || std::wcscmp(argv[1], kRemovalArgument) != 0)
        return false;
    const std::optional<ReachedFile> programFile = OwnProgramFile();
    if (!programFile)
        return true;
    const std::wstring& program = programFile->path;
    std::vector<std::wstring> left;
    for (int i = 2; i < argc; ++i) {
        if (IsOwnLeftover(program, argv[i]))
            left.push_back(argv[i]);
    }
    // The process that retired them may still run from one of them.
    for (int attempt = 0; attempt < kRemovalAttempts && !left.empty(); ++attempt) {
        if (attempt > 0)
            Sleep(kRemovalIntervalMs);
        std::vector<std::wstring> stillThere;
        for (const std::wstring& file : left) {
            if (DeleteFileW(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
                ForgetLeftover(program, file);
            else
                stillThere.push_back(file);
        }
        left.swap(stillThere);
    }
    return true;
}

void RemoveSaveLeftovers() {
    // Saves record their files under the program file's own path, which a
    // start through a link or a short name does not spell.
    if (const std::optional<ReachedFile> programFile = OwnProgramFile())
        RemoveLeftovers(programFile->path);
}
