#include "framework/frame_settings.h"

#include <algorithm>

#include "framework/cexception.h"
#include "framework/regkey.h"

namespace Casement {

namespace {

const char kFrameSettings[] = "Frame Settings";
const char kRecentFiles[] = "Recent Files";

DWORD ReadDWORD(const CRegKey& key, LPCSTR name) {
    DWORD value = 0;
    if (key.QueryDWORDValue(name, value) != ERROR_SUCCESS)
        throw CUserException("RegQueryValueEx Failed");
    return value;
}

void WriteDWORD(const CRegKey& key, LPCSTR name, LONG value) {
    if (key.SetDWORDValue(name, static_cast<DWORD>(value)) != ERROR_SUCCESS)
        throw CUserException("RegSetValueEx failed");
}

FrameInitValues ReadFrameSettings(const CRegKey& key) {
    FrameInitValues values;
    values.rcPos.top = static_cast<LONG>(ReadDWORD(key, "Top"));
    values.rcPos.left = static_cast<LONG>(ReadDWORD(key, "Left"));
    values.rcPos.right = values.rcPos.left + static_cast<LONG>(ReadDWORD(key, "Width"));
    values.rcPos.bottom = values.rcPos.top + static_cast<LONG>(ReadDWORD(key, "Height"));
    // A window stored minimised (or in any other state) opens normally.
    values.ShowCmd = ReadDWORD(key, "ShowCmd") == SW_MAXIMIZE ? SW_MAXIMIZE : SW_SHOW;
    values.ShowStatusBar = ReadDWORD(key, "StatusBar") & 1;
    values.ShowToolBar = ReadDWORD(key, "ToolBar") & 1;
    return values;
}

CString RecentFileValueName(UINT number) {
    CString name;
    name.Format("File %d", static_cast<int>(number));
    return name;
}

}  // namespace

CString CFrameSettings::SoftwareKeyPath() const {
    return CString("Software\\") + m_keyName;
}

CString CFrameSettings::FrameSettingsPath() const {
    return SoftwareKeyPath() + "\\" + kFrameSettings;
}

CString CFrameSettings::RecentFilesPath() const {
    return SoftwareKeyPath() + "\\" + kRecentFiles;
}

void CFrameSettings::DeleteFrameSettings() const {
    CRegKey parent;
    if (parent.Open(HKEY_CURRENT_USER, SoftwareKeyPath(), KEY_READ) == ERROR_SUCCESS)
        parent.DeleteSubKey(kFrameSettings);
}

BOOL CFrameSettings::ReadInitValues(FrameInitValues& values) const {
    const CString path = FrameSettingsPath();
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, path, KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    try {
        values = ReadFrameSettings(key);
        return TRUE;
    } catch (const CUserException& e) {
        OutputDebugStringA("*** Failed to load values from registry, using defaults. ***\n");
        OutputDebugStringA(e.GetText());
        OutputDebugStringA(path);
        OutputDebugStringA("\n");
        key.Close();
        DeleteFrameSettings();
        values = FrameInitValues();
        return FALSE;
    }
}

void CFrameSettings::WriteFrameSettings(const FrameState& state) const {
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, FrameSettingsPath(), KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE) !=
        ERROR_SUCCESS)
        throw CUserException("RegCreateKeyEx failed");
    if (state.placement) {
        const RECT& normal = state.placement->rcNormalPosition;
        WriteDWORD(key, "Top", std::max(normal.top, 0L));
        WriteDWORD(key, "Left", std::max(normal.left, 0L));
        WriteDWORD(key, "Width", std::max(normal.right - normal.left, 100L));
        WriteDWORD(key, "Height", std::max(normal.bottom - normal.top, 50L));
        WriteDWORD(key, "ShowCmd", static_cast<LONG>(state.placement->showCmd));
    }
    WriteDWORD(key, "StatusBar", state.statusBarShown ? 1 : 0);
    WriteDWORD(key, "ToolBar", state.toolBarShown ? 1 : 0);
}

BOOL CFrameSettings::WriteState(const FrameState& state) const {
    try {
        WriteFrameSettings(state);
        return TRUE;
    } catch (const CUserException& e) {
        OutputDebugStringA("*** Failed to save registry settings. ***\n");
        OutputDebugStringA(e.GetText());
        OutputDebugStringA("\n");
        DeleteFrameSettings();
        return FALSE;
    }
}

BOOL CFrameSettings::ReadRecentFiles(CRecentFiles& files) const {
    if (!HasKeyName())
        return FALSE;
    CRegKey key;
    if (key.Open(HKEY_CURRENT_USER, RecentFilesPath(), KEY_READ) != ERROR_SUCCESS)
        return FALSE;
    for (UINT number = 1; number <= files.GetMaxEntries(); ++number) {
        CString path;
        if (key.QueryStringValue(RecentFileValueName(number), path) != ERROR_SUCCESS) {
            OutputDebugStringA("CFrameSettings::ReadRecentFiles: RegQueryValueEx failed\n");
            break;
        }
        if (!path.IsEmpty())
            files.Append(path);
    }
    return TRUE;
}

BOOL CFrameSettings::WriteRecentFiles(const CRecentFiles& files) const {
    if (!HasKeyName() || files.GetMaxEntries() == 0)
        return TRUE;
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, RecentFilesPath(), KEY_SET_VALUE) != ERROR_SUCCESS)
        return FALSE;
    const std::vector<CString>& entries = files.GetEntries();
    for (UINT number = 1; number <= files.GetMaxEntries(); ++number) {
        const CString name = RecentFileValueName(number);
        if (number <= entries.size()) {
            if (key.SetStringValue(name, entries[number - 1]) != ERROR_SUCCESS)
                return FALSE;
        } else {
            // A shorter list leaves no older entries behind.
            key.DeleteValue(name);
        }
    }
    return TRUE;
}

}  // namespace Casement
