#include "image/paths.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/cstring.h"
#include "framework/unique_handle.h"
#include "image/leftover_records.h"

namespace {

// Calls query(buffer, size) with larger buffers until the result fits; the
// result is empty when the call fails. query returns the length written, or
// the size it needs when the buffer is too small, as the path calls do.
template <typename Query>
std::wstring AskForPath(Query query) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = query(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::wstring();
        if (length < buffer.size())
            return std::wstring(buffer.data(), length);
        if (buffer.size() >= 32768)
            return std::wstring();
        buffer.resize(std::max<std::size_t>(length + 1, buffer.size() * 2));
    }
}

std::wstring FullPath(const std::wstring& path) {
    return AskForPath([&](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); });
}

wchar_t HexDigit(unsigned value) { return L"0123456789ABCDEF"[value & 15]; }

// Makes a new empty file before + digits hexadecimal digits + after. Names
// are tried from a varying start, as the system's own temporary names are,
// so that saves in quick succession rarely meet. With an owner, each name is
// recorded as that program file's leftover before the file is made, and
// again with the file's identity once it is there, so that no moment leaves
// a file that the owner's next start could not tell for its own. Empty when
// none can be made; GetLastError then says why.
std::wstring NewNumberedFile(const std::wstring& before, unsigned digits, const std::wstring& after,
                             const std::wstring& owner) {
    const unsigned count = 1u << (4 * digits);
    const unsigned start = GetTickCount() ^ GetCurrentProcessId();
    for (unsigned tried = 0; tried < count; ++tried) {
        const unsigned number = (start + tried) % count;
        std::wstring name;
        for (unsigned digit = digits; digit-- > 0;)
            name += HexDigit(number >> (4 * digit));
        const std::wstring path = before + name + after;
        // A record must never name a file that was there before.
        if (!owner.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            continue;
        if (!owner.empty())
            RecordLeftover(owner, path, {});
        DWORD error = ERROR_SUCCESS;
        {
            const Casement::CHandle file(
                CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file.IsValid())
                error = GetLastError();
        }
        if (error == ERROR_SUCCESS) {
            if (!owner.empty())
                RecordLeftover(owner, path, {path});
            return path;
        }
        if (!owner.empty())
            ForgetLeftover(owner, path);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            SetLastError(error);
            return std::wstring();
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return std::wstring();
}

// A new file prefix + stem + four digits + ".tmp" where the longest path
// has room for that, or else prefix + as many digits as fit, up to four.
std::wstring NewFileFitting(const std::wstring& prefix, const std::wstring& stem, const std::wstring& owner) {
    if (prefix.size() >= kLongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::wstring();
    }
    const std::size_t room = kLongestPath - prefix.size();
    if (room >= stem.size() + 8)
        return NewNumberedFile(prefix + stem, 4, L".tmp", owner);
    return NewNumberedFile(prefix, static_cast<unsigned>(std::min<std::size_t>(room, 4)), L"", owner);
}

}  // namespace

std::wstring OwnImagePath() {
    // GetModuleFileNameW reports a cut path by filling the buffer entirely.
    return AskForPath([](wchar_t* buffer, DWORD size) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer, size);
        return length == size ? size + 1 : length;
    });
}

std::wstring TemporaryFolder() {
    return AskForPath([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::wstring FolderOf(const std::wstring& path) {
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring CanonicalPath(const std::wstring& path) {
    std::wstring full = FullPath(path);
    if (full.empty())
        full = path;
    // Short 8.3 names and the letter case of existing parts differ between
    // spellings; a file that does not exist yet keeps the spelling given.
    const std::wstring longPath = AskForPath(
        [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    const std::wstring& spelled = longPath.empty() ? full : longPath;
    std::wstring canonical(spelled.size(), L'\0');
    if (!spelled.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, spelled.data(), static_cast<int>(spelled.size()),
                     canonical.data(), static_cast<int>(canonical.size()));
    return canonical;
}

bool IsOwnImagePath(const std::wstring& path) {
    const std::wstring self = OwnImagePath();
    return !self.empty() && !path.empty() && CanonicalPath(path) == CanonicalPath(self);
}

std::wstring FromAnsi(std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(Casement::kWindowCodePage, 0, text.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(Casement::kWindowCodePage, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::wstring NewFileIn(const std::wstring& folder) {
    if (folder.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::wstring();
    }
    const std::wstring prefix = folder.back() == L'\\' || folder.back() == L'/' ? folder : folder + L'\\';
    return NewFileFitting(prefix, L"TEM", std::wstring());
}

std::wstring NewFileBeside(const std::wstring& program) {
    const std::wstring::size_type slash = program.find_last_of(L"\\/");
    const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    const std::wstring prefix = program.substr(0, nameStart);
    std::wstring name = program.substr(nameStart);
    // "~", four digits and ".tmp" take nine characters.
    if (prefix.size() < kLongestPath && kLongestPath - prefix.size() < name.size() + 9)
        name.resize(kLongestPath - prefix.size() < 9 ? 0 : kLongestPath - prefix.size() - 9);
    return NewFileFitting(prefix, name + L"~", program);
}
