// A registry key opened or created by the object and closed by it: the
// handle has one owner, so the object can be moved but not copied.
#pragma once

#include <windows.h>

#include "framework/cstring.h"

namespace Casement {

class CRegKey {
public:
    CRegKey() = default;
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;
    CRegKey(CRegKey&& other) noexcept : m_hKey(other.m_hKey) { other.m_hKey = nullptr; }
    CRegKey& operator=(CRegKey&& other) noexcept;
    ~CRegKey() { Close(); }

    // Each returns the system's result code (ERROR_SUCCESS on success); a key
    // still open is closed first.
    LONG Open(HKEY parent, LPCSTR subKey, REGSAM access = KEY_READ);
    LONG Create(HKEY parent, LPCSTR subKey, REGSAM access);
    void Close();

    // A value of another type than asked for counts as unreadable
    // (ERROR_INVALID_DATA).
    LONG QueryDWORDValue(LPCSTR name, DWORD& value) const;
    LONG QueryStringValue(LPCSTR name, CString& value) const;
    LONG SetDWORDValue(LPCSTR name, DWORD value) const;
    LONG SetStringValue(LPCSTR name, LPCSTR value) const;
    LONG DeleteValue(LPCSTR name) const;
    // Deletes a subkey that has no subkeys of its own.
    LONG DeleteSubKey(LPCSTR subKey) const;

private:
    HKEY m_hKey = nullptr;
};

}  // namespace Casement
