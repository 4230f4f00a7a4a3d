#include "image/paths.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "framework/cstring.h"
#include "framework/unique_handle.h"

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

// "~", four digits and ".tmp".
constexpr std::size_t kBesideSuffixLength = 9;

// Makes a new empty file before + digits hexadecimal digits + after. Names
// are tried from a varying start, as the system's own temporary names are,
// so that saves in quick succession rarely meet. Empty when none can be
// made; GetLastError then says why.
std::wstring NewNumberedFile(const std::wstring& before, unsigned digits, const std::wstring& after) {
    const unsigned count = 1u << (4 * digits);
    const unsigned start = GetTickCount() ^ GetCurrentProcessId();
    for (unsigned tried = 0; tried < count; ++tried) {
        const unsigned number = (start + tried) % count;
        std::wstring name;
        for (unsigned digit = digits; digit-- > 0;)
            name += HexDigit(number >> (4 * digit));
        const std::wstring path = before + name + after;
        const Casement::CHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.IsValid())
            return path;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return std::wstring();
    }
    SetLastError(ERROR_FILE_EXISTS);
    return std::wstring();
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
    if (prefix.size() >= kLongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::wstring();
    }
    const std::size_t room = kLongestPath - prefix.size();
    if (room >= 11)
        return NewNumberedFile(prefix + L"TEM", 4, L".tmp");
    return NewNumberedFile(prefix, static_cast<unsigned>(std::min<std::size_t>(room, 4)), L"");
}

std::wstring NewFileBeside(const std::wstring& program) {
    if (program.size() + kBesideSuffixLength > kLongestPath) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return std::wstring();
    }
    return NewNumberedFile(program + L"~", 4, L".tmp");
}

std::wstring NewFileToReplace(const std::wstring& target) {
    const std::wstring beside = NewFileBeside(target);
    if (beside.empty() && GetLastError() == ERROR_FILENAME_EXCED_RANGE)
        return NewFileIn(FolderOf(target));
    return beside;
}

bool IsMadeBeside(const std::wstring& program, const std::wstring& path) {
    const int length = static_cast<int>(program.size());
    if (path.size() != program.size() + kBesideSuffixLength || path[program.size()] != L'~')
        return false;
    const auto digits = path.begin() + length + 1;
    return CompareStringOrdinal(path.c_str(), length, program.c_str(), length, TRUE) == CSTR_EQUAL &&
           std::all_of(digits, digits + 4, [](wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'); }) &&
           CompareStringOrdinal(path.c_str() + length + 5, -1, L".tmp", -1, TRUE) == CSTR_EQUAL;
}
