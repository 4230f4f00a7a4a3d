#include "cli/file_access.h"

#include <windows.h>

#include <aclapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/staged_file.h"
#include "cli/wide_text.h"
#include "crypto/wipe.h"

namespace {

// The system's text for an error code, in English words where the system
// has them, without the trailing line end.
std::string Reason(const std::string& what, DWORD error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text != nullptr ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) message = L"error " + std::to_wstring(error);
    std::string result = what + ": " + Utf8FromWide(message);
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
        result += " (a running program cannot be rewritten; close it or write a copy with -o)";
    return result;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool closed = !valid() || CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// What is read may be a plain text: every buffer it passes through is wiped
// when let go, also the ones outgrown while reading from a pipe.
std::vector<std::uint8_t> ReadHandle(HANDLE handle, const std::string& name) {
    std::vector<std::uint8_t> bytes;
    LARGE_INTEGER size{};
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileSizeEx(handle, &size)) {
        if (static_cast<std::uint64_t>(size.QuadPart) > kMaxReadBytes) throw TooLargeToRead(name);
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    std::uint8_t chunk[1 << 16];
    const WipeOnExit wipeChunk(chunk, sizeof chunk);
    try {
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(handle, chunk, sizeof chunk, &got, nullptr)) {
                const DWORD error = GetLastError();
                if (error == ERROR_BROKEN_PIPE) return bytes;
                throw FileError(Reason("cannot read " + name, error));
            }
            if (got == 0) return bytes;
            if (bytes.size() + got > kMaxReadBytes) throw TooLargeToRead(name);
            AppendWiping(bytes, chunk, got);
        }
    } catch (...) {
        WipeVector(bytes);
        throw;
    }
}

void WriteAll(HANDLE handle, const std::uint8_t* bytes, std::size_t size, const std::string& name) {
    while (size > 0) {
        const DWORD part = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes, part, &written, nullptr)) throw FileError(Reason("cannot write " + name, GetLastError()));
        bytes += written;
        size -= written;
    }
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/:");
    if (separator == std::wstring::npos) return L".";
    return path.substr(0, path[separator] == L':' ? separator + 1 : separator + (separator == 0 ? 1 : 0));
}

// The name of the staged file beside the target, named like the program's
// own staged copies; removed unless it was renamed over the target.
class StagedName {
public:
    explicit StagedName(const std::string& target) {
        wchar_t path[MAX_PATH + 1] = {};
        if (GetTempFileNameW(FolderOf(WideFromUtf8(target)).c_str(), L"TEM", 0, path) == 0)
            throw FileError(Reason("cannot create a file beside " + target, GetLastError()));
        m_path = path;
    }
    ~StagedName() {
        if (!m_renamed) DeleteFileW(m_path.c_str());
    }
    StagedName(const StagedName&) = delete;
    StagedName& operator=(const StagedName&) = delete;

    const std::wstring& path() const { return m_path; }
    std::string name() const { return Utf8FromWide(m_path); }
    void RenameOver(const std::string& target) {
        if (!MoveFileExW(m_path.c_str(), WideFromUtf8(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw FileError(Reason("cannot replace " + target, GetLastError()));
        m_renamed = true;
    }

private:
    std::wstring m_path;
    bool m_renamed = false;
};

// Leaves only the user running the companion at a file, as 0600 does
// natively: its list of access holds one entry, full access for the user,
// and is protected, so nothing is inherited from the folder. Set while the
// staged file is still empty, before any text is in it.
void MakePrivateToUser(const std::wstring& path, const std::string& name) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        throw FileError(Reason("cannot make " + name + " private", GetLastError()));
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, user.data(), size, &size);
    const DWORD tokenError = GetLastError();
    CloseHandle(token);
    if (!known) throw FileError(Reason("cannot make " + name + " private", tokenError));
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    std::vector<unsigned char> list(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
    const auto acl = reinterpret_cast<ACL*>(list.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(list.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, sid))
        throw FileError(Reason("cannot make " + name + " private", GetLastError()));
    const DWORD error = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                              nullptr, nullptr, acl, nullptr);
    if (error != ERROR_SUCCESS) throw FileError(Reason("cannot make " + name + " private", error));
}

// A path the system gave back, without the "\\?\" it puts before a drive.
std::wstring WithoutLongPrefix(std::wstring path) {
    if (path.rfind(L"\\\\?\\", 0) == 0 && path.size() > 6 && path[5] == L':') path.erase(0, 4);
    return path;
}

// The file a write to target replaces. A symbolic link is followed to the
// file it names, so that the change reaches every name of the file and the
// link stays a link. Only a file on disk is replaced, and only one the user
// may write and that has no other names: the hard links would keep the old
// note.
std::string ReplaceableTarget(const std::string& target) {
    const std::wstring wide = WideFromUtf8(target);
    // The attributes of the name itself: a link's are its own.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return target;
        throw FileError(Reason("cannot look at " + target, error));
    }
    // Opened without FILE_FLAG_OPEN_REPARSE_POINT: a link is followed.
    Handle file(CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) throw FileError(Reason("cannot look at " + target, GetLastError()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw NotARegularFile(target);
    std::string named = target;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        std::wstring path(GetFinalPathNameByHandleW(file.get(), nullptr, 0, FILE_NAME_NORMALIZED), L'\0');
        const DWORD length = GetFinalPathNameByHandleW(file.get(), &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (length == 0 || length >= path.size()) throw FileError(Reason(target + " is a link to nothing usable", GetLastError()));
        path.resize(length);
        named = Utf8FromWide(WithoutLongPrefix(path));
    }
    if (info.nNumberOfLinks > 1) throw HasOtherNames(named, info.nNumberOfLinks);
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) throw ReadOnlyForUser(named);
    return named;
}

}  // namespace

std::vector<std::uint8_t> ReadRegularFile(const std::string& path) {
    Handle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) throw FileError(Reason("cannot open " + path, GetLastError()));
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw FileError("cannot read " + path + ": it is not a regular file (a device, pipe or console)");
    return ReadHandle(file.get(), path);
}

bool IsSameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a{}, b{};
    const auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        Handle file(CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.valid() && GetFileInformationByHandle(file.get(), &info);
    };
    return identify(first, a) && identify(second, b) && a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

std::vector<std::uint8_t> ReadStandardInput() {
    _setmode(_fileno(stdin), _O_BINARY);
    return ReadHandle(GetStdHandle(STD_INPUT_HANDLE), "standard input");
}

void WriteStandardOutput(std::string_view bytes) {
    WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
             "standard output");
}

struct StagedFile::State {
    explicit State(const std::string& replaced) : file(replaced), staged(replaced) {}
    std::string file;  // the file replaced, a symbolic link followed
    StagedName staged;
    std::optional<Handle> written;  // open from Write to Flush
};

StagedFile::StagedFile(const std::string& target, const std::string& permissionsFrom)
    : m_state(std::make_unique<State>(ReplaceableTarget(target))) {
    // A program file keeps what its folder gives it; a text is the user's alone.
    if (permissionsFrom.empty()) MakePrivateToUser(m_state->staged.path(), m_state->staged.name());
}

StagedFile::~StagedFile() = default;

void StagedFile::Write(const std::vector<std::uint8_t>& bytes) {
    const StagedName& staged = m_state->staged;
    const Handle& written = m_state->written.emplace(CreateFileW(staged.path().c_str(), GENERIC_WRITE, 0, nullptr,
                                                                 TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!written.valid()) throw FileError(Reason("cannot write " + staged.name(), GetLastError()));
    WriteAll(written.get(), bytes.data(), bytes.size(), staged.name());
}

void StagedFile::Flush() {
    Handle& written = *m_state->written;
    if (!FlushFileBuffers(written.get()) || !written.Close())
        throw FileError(Reason("cannot write " + m_state->staged.name(), GetLastError()));
}

std::vector<std::uint8_t> StagedFile::ReadBack() { return ReadRegularFile(m_state->staged.name()); }

void StagedFile::PlaceOverTarget() { m_state->staged.RenameOver(m_state->file); }
