#include "framework/regkey.h"

#include <cassert>
#include <vector>

namespace Casement {

CRegKey& CRegKey::operator=(CRegKey&& other) noexcept {
    if (this != &other) {
        Close();
        m_hKey = other.m_hKey;
        other.m_hKey = nullptr;
    }
    return *this;
}

LONG CRegKey::Open(HKEY parent, LPCSTR subKey, REGSAM access) {
    assert(subKey);
    Close();
    return RegOpenKeyExA(parent, subKey, 0, access, &m_hKey);
}

LONG CRegKey::Create(HKEY parent, LPCSTR subKey, REGSAM access) {
    assert(subKey);
    Close();
    return RegCreateKeyExA(parent, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &m_hKey,
                           nullptr);
}

void CRegKey::Close() {
    if (m_hKey != nullptr) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

LONG CRegKey::QueryDWORDValue(LPCSTR name, DWORD& value) const {
    assert(m_hKey);
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_DWORD || size != sizeof data)
        return ERROR_INVALID_DATA;
    value = data;
    return ERROR_SUCCESS;
}

LONG CRegKey::QueryStringValue(LPCSTR name, CString& value) const {
    assert(m_hKey);
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(m_hKey, name, nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (type != REG_SZ)
        return ERROR_INVALID_DATA;
    // The stored bytes need not end with a zero; one more keeps the copy
    // terminated either way.
    std::vector<char> buffer(size + 1, '\0');
    result = RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS)
        return result;
    value = buffer.data();
    return ERROR_SUCCESS;
}

LONG CRegKey::SetDWORDValue(LPCSTR name, DWORD value) const {
    assert(m_hKey);
    return RegSetValueExA(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

LONG CRegKey::SetStringValue(LPCSTR name, LPCSTR value) const {
    assert(m_hKey && value);
    return RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                          static_cast<DWORD>(lstrlenA(value) + 1));
}

LONG CRegKey::DeleteValue(LPCSTR name) const {
    assert(m_hKey);
    return RegDeleteValueA(m_hKey, name);
}

LONG CRegKey::DeleteSubKey(LPCSTR subKey) const {
    assert(m_hKey && subKey);
    return RegDeleteKeyA(m_hKey, subKey);
}

}  // namespace Casement
