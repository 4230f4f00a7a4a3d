#include "image/checked_replace.h"

#include <windows.h>

#include <utility>

#include "image/leftover_records.h"
#include "image/paths.h"

namespace {

// The one owner of a staged file: it removes the file when it ends, also
// when writing throws, unless the file was kept. Once the file is gone,
// renamed into place or kept for the user, it is no leftover of target's.
class StagedFile {
public:
    StagedFile(std::wstring path, std::wstring target) : m_path(std::move(path)), m_target(std::move(target)) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile() {
        if (m_kept || DeleteFileW(m_path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
            ForgetLeftover(m_target, m_path);
    }

    const std::wstring& Path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    std::wstring m_path;
    std::wstring m_target;
    bool m_kept = false;
};

}  // namespace

bool RenameOver(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

Replacement RenameIntoPlace(const std::wstring& staged, const std::wstring& target) {
    return RenameOver(staged, target) ? Replacement::Replaced : Replacement::InUse;
}

Replacement ReplaceWithCheckedFile(const std::wstring& target, const WriteStaged& write, const PutInPlace& put) {
    const std::wstring path = NewFileBeside(target);
    if (path.empty())
        return Replacement::NoNewFile;
    StagedFile staged(path, target);
    if (!write(staged.Path()))
        return Replacement::NotWritten;
    const Replacement outcome = put(staged.Path(), target);
    if (outcome == Replacement::Replaced || outcome == Replacement::Displaced)
        staged.Keep();
    return outcome;
}
