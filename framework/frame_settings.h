// The frame's settings in the registry, under
// HKEY_CURRENT_USER\Software\<key name>: its placement and which bars show
// ("Frame Settings"), and the recent-files list ("Recent Files"). Without a
// key name nothing is read or written.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/cstring.h"
#include "framework/recent_files.h"

namespace Casement {

// The window settings the frame opens with.
struct FrameInitValues {
    RECT rcPos = {};        // the normal position; empty: the system's default
    int ShowCmd = SW_SHOW;  // SW_MAXIMIZE opens the window maximised
    BOOL ShowStatusBar = TRUE;
    BOOL ShowToolBar = TRUE;
};

// What closing the frame stores.
struct FrameState {
    std::optional<WINDOWPLACEMENT> placement;  // none when it could not be read
    BOOL statusBarShown;
    BOOL toolBarShown;
};

class CFrameSettings {
public:
    CFrameSettings() = default;
    explicit CFrameSettings(LPCSTR keyName) : m_keyName(keyName) {}

    bool HasKeyName() const { return !m_keyName.IsEmpty(); }

    // FALSE, leaving values as they are, when nothing is stored. A stored
    // value that cannot be read deletes the stored settings and gives FALSE
    // with the defaults.
    BOOL ReadInitValues(FrameInitValues& values) const;
    // The position is kept on the screen and large enough to be grabbed
    // again. A failure deletes the stored settings and gives FALSE.
    BOOL WriteState(const FrameState& state) const;
    // Appends the stored paths up to the list's limit; FALSE when nothing is stored.
    BOOL ReadRecentFiles(CRecentFiles& files) const;
    // Stores the list, removing older entries beyond it; TRUE when nothing
    // is to be stored.
    BOOL WriteRecentFiles(const CRecentFiles& files) const;

private:
    CString SoftwareKeyPath() const;
    CString FrameSettingsPath() const;
    CString RecentFilesPath() const;
    void DeleteFrameSettings() const;
    void WriteFrameSettings(const FrameState& state) const;

    CString m_keyName;
};

}  // namespace Casement
