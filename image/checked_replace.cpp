#include "image/checked_replace.h"

#include <windows.h>

#include <utility>

#include "image/paths.h"

namespace {

// The one owner of a staged file: it removes the file when it ends, also
// when writing throws, unless the file was kept.
class StagedFile {
public:
    explicit StagedFile(std::wstring path) : m_path(std::move(path)) {}
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    ~StagedFile() {
        if (!m_kept)
            DeleteFileW(m_path.c_str());
    }

    const std::wstring& Path() const { return m_path; }
    void Keep() { m_kept = true; }

private:
    std::wstring m_path;
    bool m_kept = false;
};

}  // namespace

bool RenameOver(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

Replacement RenameIntoPlace(const std::wstring& staged, const std::wstring& target) {
    return RenameOver(staged, target) ? Replacement::Replaced : Replacement::InUse;
}

Replacement ReplaceWithCheckedFile(const std::wstring& target, const WriteStaged& write, Staging staging,
                                   const PutInPlace& put) {
    const std::wstring path = staging == Staging::BesideOnly ? NewFileBeside(target) : NewFileToReplace(target);
    if (path.empty())
        return Replacement::NoNewFile;
    StagedFile staged(path);
    if (!write(staged.Path()))
        return Replacement::NotWritten;
    const Replacement outcome = put(staged.Path(), target);
    if (outcome == Replacement::Replaced || outcome == Replacement::Displaced)
        staged.Keep();
    return outcome;
}
