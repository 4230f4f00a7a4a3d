// The frame's settings and recent-file list in the registry, for programs
// that give the frame a key name.
#include <cassert>

#include "framework/frame.h"
#include "framework/frame_support.h"

namespace Casement {

BOOL CFrame::LoadRegistrySettings(LPCSTR keyName) {
    assert(keyName);
    m_Settings = CFrameSettings(keyName);
    return m_Settings.ReadInitValues(m_InitValues);
}

BOOL CFrame::LoadRegistryMRUSettings(UINT maxMRU) {
    m_RecentFiles = CRecentFiles(maxMRU);
    if (!m_Settings.ReadRecentFiles(m_RecentFiles))
        return FALSE;
    if (IsWindow() && m_RecentFiles.GetMaxEntries() != 0)
        UpdateMRUMenu();
    return TRUE;
}

BOOL CFrame::SaveRegistryMRUSettings() {
    return m_Settings.WriteRecentFiles(m_RecentFiles);
}

FrameState CFrame::CurrentState() const {
    FrameState state = {};
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (GetWindowPlacement(*this, &placement))
        state.placement = placement;
    state.statusBarShown = IsShown(m_StatusBar);
    state.toolBarShown = IsShown(m_ToolBar);
    return state;
}

BOOL CFrame::SaveRegistrySettings() {
    if (!m_Settings.HasKeyName())
        return TRUE;
    if (!m_Settings.WriteState(CurrentState()))
        return FALSE;
    if (!SaveRegistryMRUSettings())
        OutputDebugStringA("*** Failed to save registry MRU settings. ***\n");
    return TRUE;
}

void CFrame::UpdateMRUMenu() {
    CMenu fileMenu = m_Menu.GetSubMenu(0);
    if (!m_RecentFiles.ShowInMenu(fileMenu))
        OutputDebugStringA("Failed to set MRU menu item\n");
}

void CFrame::AddMRUEntry(LPCSTR path) {
    if (m_RecentFiles.GetMaxEntries() == 0)
        return;
    m_RecentFiles.Add(path);
    if (IsWindow())
        UpdateMRUMenu();
}

}  // namespace Casement
