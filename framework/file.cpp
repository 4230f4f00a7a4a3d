#include "framework/file.h"

#include <cassert>
#include <string>

#include "framework/cexception.h"
#include "framework/cstring.h"

namespace Casement {

namespace {

DWORD CreationDisposition(UINT flags) {
    const DWORD disposition = flags & 0xF;
    return disposition != 0 ? disposition : OPEN_EXISTING;
}

DWORD DesiredAccess(UINT flags) {
    switch (flags & 0xF00) {
    case CFile::modeRead:
        return GENERIC_READ;
    case CFile::modeWrite:
        return GENERIC_WRITE;
    default:
        return GENERIC_READ | GENERIC_WRITE;
    }
}

DWORD ShareMode(UINT flags) {
    switch (flags & 0xF0) {
    case CFile::shareRead:
        return FILE_SHARE_READ;
    case CFile::shareWrite:
        return FILE_SHARE_WRITE;
    case CFile::shareReadWrite:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    default:
        return 0;
    }
}

}  // namespace

CFile::CFile(LPCSTR pszFileName, UINT nOpenFlags) { Open(pszFileName, nOpenFlags); }

CFile::CFile(LPCWSTR pszFileName, UINT nOpenFlags) { Open(pszFileName, nOpenFlags); }

CFile::~CFile() { Close(); }

void CFile::Close() {
    if (m_hFile != nullptr) {
        CloseHandle(m_hFile);
        m_hFile = nullptr;
    }
}

BOOL CFile::Flush() {
    assert(m_hFile);
    return FlushFileBuffers(m_hFile);
}

CString CFile::GetFileNameExt() const {
    const int dot = m_FileName.ReverseFind('.');
    return dot >= 0 ? m_FileName.Mid(dot + 1) : CString();
}

CString CFile::GetFileNameWOExt() const {
    const int dot = m_FileName.ReverseFind('.');
    return dot >= 0 ? m_FileName.Left(dot) : m_FileName;
}

ULONGLONG CFile::GetLength() const {
    assert(m_hFile);
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position = {};
    LARGE_INTEGER end = {};
    SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT);
    SetFilePointerEx(m_hFile, zero, &end, FILE_END);
    SetFilePointerEx(m_hFile, position, nullptr, FILE_BEGIN);
    return end.QuadPart;
}

ULONGLONG CFile::GetPosition() const {
    assert(m_hFile);
    LARGE_INTEGER zero = {};
    LARGE_INTEGER position = {};
    SetFilePointerEx(m_hFile, zero, &position, FILE_CURRENT);
    return position.QuadPart;
}

void CFile::Open(LPCSTR pszFileName, UINT nOpenFlags) {
    assert(pszFileName);
    Close();
    Adopt(CreateFileA(pszFileName, DesiredAccess(nOpenFlags), ShareMode(nOpenFlags), nullptr,
                      CreationDisposition(nOpenFlags), FILE_ATTRIBUTE_NORMAL, nullptr),
          pszFileName);
}

void CFile::Open(LPCWSTR pszFileName, UINT nOpenFlags) {
    assert(pszFileName);
    Close();
    HANDLE file = CreateFileW(pszFileName, DesiredAccess(nOpenFlags), ShareMode(nOpenFlags), nullptr,
                              CreationDisposition(nOpenFlags), FILE_ATTRIBUTE_NORMAL, nullptr);
    // The conversion must not change the error the exception traces.
    const DWORD error = GetLastError();
    const int size = WideCharToMultiByte(kWindowCodePage, 0, pszFileName, -1, nullptr, 0, nullptr, nullptr);
    std::string name(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
    WideCharToMultiByte(kWindowCodePage, 0, pszFileName, -1, &name[0], size, nullptr, nullptr);
    SetLastError(error);
    Adopt(file, name.c_str());
}

void CFile::Adopt(HANDLE file, LPCSTR pszFileName) {
    if (file == INVALID_HANDLE_VALUE)
        throw CFileException(pszFileName, "Failed to open file");
    m_hFile = file;
    SetFilePath(pszFileName);
}

UINT CFile::Read(LPVOID pBuf, UINT nCount) {
    if (nCount == 0)
        return 0;
    assert(pBuf);
    assert(m_hFile);
    DWORD read = 0;
    if (!ReadFile(m_hFile, pBuf, nCount, &read, nullptr))
        throw CFileException(m_FilePath, "Failed to read from file");
    return read;
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    assert(nFrom == FILE_BEGIN || nFrom == FILE_CURRENT || nFrom == FILE_END);
    assert(m_hFile);
    LARGE_INTEGER distance;
    distance.QuadPart = lOff;
    LARGE_INTEGER position;
    if (!SetFilePointerEx(m_hFile, distance, &position, nFrom))
        return static_cast<ULONGLONG>(-1);
    return position.QuadPart;
}

BOOL CFile::SetLength(ULONGLONG length) {
    assert(m_hFile);
    const ULONGLONG position = GetPosition();
    Seek(static_cast<LONGLONG>(length), FILE_BEGIN);
    const BOOL done = SetEndOfFile(m_hFile);
    Seek(static_cast<LONGLONG>(position), FILE_BEGIN);
    return done;
}

void CFile::Write(LPCVOID pBuf, UINT nCount) {
    if (nCount == 0)
        return;
    assert(pBuf);
    assert(m_hFile);
    DWORD written = 0;
    if (!WriteFile(m_hFile, pBuf, nCount, &written, nullptr))
        throw CFileException(m_FilePath, "Failed to write to file");
    if (written != nCount) {
        // The call succeeded and reported no error of its own (a full pipe, for
        // instance), so an older error code must not be traced with it.
        SetLastError(ERROR_SUCCESS);
        throw CFileException(m_FilePath, "Failed to write to file");
    }
}

BOOL CFile::LockRange(ULONGLONG pos, ULONGLONG count) {
    assert(m_hFile);
    return LockFile(m_hFile, static_cast<DWORD>(pos), static_cast<DWORD>(pos >> 32), static_cast<DWORD>(count),
                    static_cast<DWORD>(count >> 32));
}

void CFile::SetFilePath(LPCSTR pszNewName) {
    assert(pszNewName);
    m_FilePath = pszNewName;
    m_FileName = m_FilePath.Mid(m_FilePath.ReverseFind('\\') + 1);
}

BOOL CFile::UnlockRange(ULONGLONG pos, ULONGLONG count) {
    assert(m_hFile);
    return UnlockFile(m_hFile, static_cast<DWORD>(pos), static_cast<DWORD>(pos >> 32), static_cast<DWORD>(count),
                      static_cast<DWORD>(count >> 32));
}

}  // namespace Casement
