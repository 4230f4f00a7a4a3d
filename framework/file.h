// A file opened with CreateFileA, or CreateFileW for a path given in UTF-16,
// owned by the object: the handle is closed by Close, by reopening and by
// the destructor.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

namespace Casement {

class CFile {
public:
    // Open flags, combined with bitwise or. The low 4 bits are the creation
    // disposition (0 means openExisting); without modeRead or modeWrite the
    // file is opened for reading and writing, and without a share flag it is
    // not shared. So flags 0 open an existing file read/write, unshared.
    enum OpenFlags : UINT {
        createNew = CREATE_NEW,
        createAlways = CREATE_ALWAYS,
        openExisting = OPEN_EXISTING,
        openAlways = OPEN_ALWAYS,
        truncateExisting = TRUNCATE_EXISTING,
        shareRead = 0x20,
        shareWrite = 0x30,
        shareReadWrite = 0x40,
        modeRead = 0x100,
        modeWrite = 0x200,
        modeReadWrite = 0x300,
    };

    CFile() = default;
    // Opens the file; throws CFileException "Failed to open file".
    CFile(LPCSTR pszFileName, UINT nOpenFlags);
    // The same for a path that the ANSI code page may not spell; the path
    // the object keeps, and an exception names, is its ANSI form.
    CFile(LPCWSTR pszFileName, UINT nOpenFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    virtual ~CFile();

    virtual void Close();
    virtual BOOL Flush();
    // The part of the path after the last "\\".
    virtual CString GetFileName() const { return m_FileName; }
    // The file name's part after its last ".", empty without one.
    virtual CString GetFileNameExt() const;
    // The file name without its last "." and what follows it.
    virtual CString GetFileNameWOExt() const;
    // The path as given to Open or SetFilePath.
    virtual CString GetFilePath() const { return m_FilePath; }
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    // Closes a file that is still open, then opens pszFileName; throws
    // CFileException "Failed to open file" with that name.
    virtual void Open(LPCSTR pszFileName, UINT nOpenFlags);
    virtual void Open(LPCWSTR pszFileName, UINT nOpenFlags);
    // Reads once; returns the bytes read, fewer than nCount at the end of the
    // file. Throws CFileException "Failed to read from file".
    virtual UINT Read(LPVOID pBuf, UINT nCount);
    // Moves the file pointer (nFrom is FILE_BEGIN, FILE_CURRENT or FILE_END)
    // and returns the new position; (ULONGLONG)-1 when the system refuses the
    // move, which leaves the position unchanged.
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    virtual void SeekToBegin() { Seek(0, FILE_BEGIN); }
    virtual ULONGLONG SeekToEnd() { return Seek(0, FILE_END); }
    // Cuts or extends the file to length bytes; the position is kept.
    virtual BOOL SetLength(ULONGLONG length);
    // Writes all nCount bytes with one call or throws CFileException "Failed
    // to write to file"; nothing happens for a count of 0.
    virtual void Write(LPCVOID pBuf, UINT nCount);
    virtual BOOL LockRange(ULONGLONG pos, ULONGLONG count);
    virtual void SetFilePath(LPCSTR pszNewName);
    virtual BOOL UnlockRange(ULONGLONG pos, ULONGLONG count);

    // Null while no file is open.
    HANDLE GetHandle() const { return m_hFile; }

private:
    // Takes a handle just opened for pszFileName, or throws.
    void Adopt(HANDLE file, LPCSTR pszFileName);

    CString m_FilePath;
    CString m_FileName;
    HANDLE m_hFile = nullptr;
};

}  // namespace Casement
