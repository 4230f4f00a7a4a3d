// Replacing a file with a new one that was written and checked first. The
// new file is staged in the target's folder and takes the target's place by
// a rename, which never leaves the target half written; a replacement that
// fails leaves the target as it was and no staged file behind.
#pragma once

#include <functional>
#include <string>

enum class Replacement {
    Replaced,
    NoNewFile,    // no file could be made to stage in (or to move the target aside to)
    NotWritten,   // the staged file could not be written or did not pass its checks
    InUse,        // the target could not be replaced; it is as it was
    Displaced,    // the target could be neither replaced nor put back (see PutInPlace)
};

// Writes the staged file and checks what it holds; false when either fails.
using WriteStaged = std::function<bool(const std::wstring& staged)>;

// Puts the written and checked staged file at target. Replaced once target
// holds it. Displaced keeps the staged file, which then holds all that was
// to be saved; any other result has it removed.
using PutInPlace = std::function<Replacement(const std::wstring& staged, const std::wstring& target)>;

// Renames from to to, replacing a file there, and waits until the rename is
// on the disk. False when it fails; GetLastError then says why.
bool RenameOver(const std::wstring& from, const std::wstring& to);
// The plain way into place: renamed over the target, InUse when that fails.
Replacement RenameIntoPlace(const std::wstring& staged, const std::wstring& target);

// Stages a new file for target beside it (NewFileBeside, recorded as
// target's leftover while it is staged), has write fill and check it, then
// put puts it in place. When no file could be staged (NoNewFile at once),
// GetLastError says why.
Replacement ReplaceWithCheckedFile(const std::wstring& target, const WriteStaged& write,
                                   const PutInPlace& put = RenameIntoPlace);
