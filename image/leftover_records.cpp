#include "image/leftover_records.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <optional>

#include "framework/unique_handle.h"
#include "image/file_facts.h"
#include "image/paths.h"

namespace {

constexpr wchar_t kRecordPrefix[] = L"Scribecrypt.leftover.";
// A record holds one path and a few identities; anything longer is not one.
constexpr DWORD kLongestRecordBytes = 8192;
constexpr int kDeleteAttempts = 10;
constexpr DWORD kDeleteIntervalMs = 100;
// A record being written; one a killed process left is dropped.
constexpr wchar_t kWritingSuffix[] = L"~";

struct Record {
    std::wstring leftover;
    std::vector<std::wstring> identities;  // as HexOf spells them
};

std::wstring HexOf(const FileIdentity& identity) { return HexDigest(identity.data(), identity.size()); }

// Every record of owner's begins with this: a digest of the owner's
// canonical path, the same for every spelling of it. A save writes several
// records, and the canonical spelling walks the whole path, so it is worked
// out once for each owner and temporary folder.
std::wstring OwnerRecordPrefix(const std::wstring& owner) {
    const std::wstring folder = TemporaryFolder();
    if (folder.empty())
        return std::wstring();
    static std::map<std::pair<std::wstring, std::wstring>, std::wstring> prefixes;
    std::wstring& prefix = prefixes[{folder, owner}];
    if (prefix.empty()) {
        const std::wstring canonical = CanonicalPath(owner);
        prefix = folder + kRecordPrefix +
                 HexDigest(canonical.data(), canonical.size() * sizeof(wchar_t)).substr(0, 16) + L".";
    }
    return prefix;
}

std::wstring RecordPath(const std::wstring& owner, const std::wstring& leftover) {
    const std::wstring prefix = OwnerRecordPrefix(owner);
    return prefix.empty() ? prefix
                          : prefix + HexDigest(leftover.data(), leftover.size() * sizeof(wchar_t)).substr(0, 16);
}

std::optional<Record> ReadRecord(const std::wstring& recordPath) {
    const Casement::CHandle file = OpenForSharedReading(recordPath);
    std::wstring text(kLongestRecordBytes / sizeof(wchar_t), L'\0');
    DWORD read = 0;
    if (!file.IsValid() || !ReadFile(file.GetHandle(), text.data(), kLongestRecordBytes, &read, nullptr) ||
        read == kLongestRecordBytes)
        return std::nullopt;
    text.resize(read / sizeof(wchar_t));
    // The path and each identity end in a line feed, which no path holds.
    Record record;
    std::wstring::size_type start = 0;
    for (std::wstring::size_type end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        if (start == 0)
            record.leftover = text.substr(0, end);
        else
            record.identities.push_back(text.substr(start, end - start));
    }
    if (record.leftover.empty() || start != text.size())
        return std::nullopt;
    return record;
}

// Deletes the file at path; true once it is gone. A process killed in a
// save may let go of its files a moment after it ended, so a file in use is
// tried again for a short while.
bool DeleteSoon(const std::wstring& path) {
    for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
        if (DeleteFileW(path.c_str()))
            return true;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)
            return false;
        Sleep(kDeleteIntervalMs);
    }
    return false;
}

// The file at path is the one record names: one of the files recorded, or
// empty as it was made.
bool HoldsRecordedFile(const Record& record, const std::wstring& path) {
    if (record.leftover != path)
        return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    if (record.identities.empty())
        return FileSize(path) == 0;
    const std::optional<FileIdentity> identity = ReadFileIdentity(path);
    return identity && std::find(record.identities.begin(), record.identities.end(), HexOf(*identity)) !=
                           record.identities.end();
}

}  // namespace

bool RecordLeftover(const std::wstring& owner, const std::wstring& leftover, const std::vector<std::wstring>& holders) {
    const std::wstring recordPath = RecordPath(owner, leftover);
    if (recordPath.empty())
        return false;
    std::wstring text = leftover + L'\n';
    for (const std::wstring& holder : holders) {
        if (const std::optional<FileIdentity> identity = ReadFileIdentity(holder))
            text += HexOf(*identity) + L'\n';
    }
    // Written whole under a name of its own first and then renamed over the
    // earlier record, so that a process killed while writing leaves the
    // earlier record, never a cut one that would name nothing.
    const std::wstring writing = recordPath + kWritingSuffix;
    bool written = false;
    {
        const Casement::CHandle file(
            CreateFileW(writing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        DWORD done = 0;
        written = file.IsValid() && WriteFile(file.GetHandle(), text.data(), bytes, &done, nullptr) && done == bytes;
    }
    if (written && MoveFileExW(writing.c_str(), recordPath.c_str(), MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileW(writing.c_str());
    return false;
}

void ForgetLeftover(const std::wstring& owner, const std::wstring& leftover) {
    const std::wstring recordPath = RecordPath(owner, leftover);
    if (!recordPath.empty())
        DeleteFileW(recordPath.c_str());
}

bool IsOwnLeftover(const std::wstring& owner, const std::wstring& path) {
    const std::wstring recordPath = RecordPath(owner, path);
    const std::optional<Record> record = recordPath.empty() ? std::nullopt : ReadRecord(recordPath);
    return record && HoldsRecordedFile(*record, path);
}

void RemoveLeftovers(const std::wstring& owner) {
    const std::wstring prefix = OwnerRecordPrefix(owner);
    if (prefix.empty())
        return;
    const std::wstring folder = FolderOf(prefix) + L"\\";
    WIN32_FIND_DATAW found = {};
    const Casement::CFindHandle search(FindFirstFileW((prefix + L"*").c_str(), &found));
    if (!search.IsValid())
        return;
    do {
        const std::wstring recordPath = folder + found.cFileName;
        if (recordPath.back() == kWritingSuffix[0]) {
            DeleteFileW(recordPath.c_str());
            continue;
        }
        const std::optional<Record> record = ReadRecord(recordPath);
        if (!record || RecordPath(owner, record->leftover) != recordPath)
            continue;
        // A file that is not the one recorded was put there by someone else
        // since, and stays; a leftover still in use keeps its record.
        if (!HoldsRecordedFile(*record, record->leftover) || DeleteSoon(record->leftover))
            DeleteFileW(recordPath.c_str());
    } while (FindNextFileW(search.GetHandle(), &found));
}
