// The exception family the framework throws when a system call it wraps fails.
// Every exception traces its throw to the debugger output when constructed.
#pragma once

#include <windows.h>

#include <exception>

namespace Casement {

class CException : public std::exception {
public:
    // Texts are cut to 254 characters; the error code is GetLastError() now.
    CException(LPCSTR text, int extra);
    ~CException() noexcept override = default;
    const char* what() const noexcept override = 0;

    LPCSTR GetText() const { return m_text; }
    LPCSTR GetErrorString() const { return m_errorString; }
    int GetExtra() const { return m_extra; }
    DWORD GetError() const { return m_error; }

protected:
    // Writes the throw trace: the kind line, the file name (if any), the
    // message and the system's description of the error code.
    void TraceThrow(LPCSTR kindLine, LPCSTR fileName = nullptr) const;

private:
    char m_text[255] = {};
    char m_errorString[255] = {};
    int m_extra;
    DWORD m_error;
};

class CWinException : public CException {
public:
    explicit CWinException(LPCSTR text = nullptr, int extra = 0);
    const char* what() const noexcept override { return "Casement::CWinException"; }
};

class CResourceException : public CException {
public:
    explicit CResourceException(LPCSTR text = nullptr, int extra = 0);
    const char* what() const noexcept override { return "Casement::CResourceException"; }
};

class CFileException : public CException {
public:
    explicit CFileException(LPCSTR fileName, LPCSTR text = nullptr, int extra = 0);
    const char* what() const noexcept override { return "Casement::CFileException"; }
    LPCSTR GetFileName() const { return m_fileName; }

private:
    char m_fileName[255] = {};
};

class CUserException : public CException {
public:
    explicit CUserException(LPCSTR text = nullptr, int extra = 0);
    const char* what() const noexcept override { return "Casement::CUserException"; }
};

class CNotSupportedException : public CException {
public:
    explicit CNotSupportedException(LPCSTR text = nullptr, int extra = 0);
    const char* what() const noexcept override { return "Casement::CNotSupportedException"; }
};

}  // namespace Casement
