#include "framework/recent_files.h"

#include <algorithm>
#include <cassert>

namespace Casement {

namespace {

// The position of the item with that command id, or -1.
int PositionOf(const CMenu& menu, UINT id) {
    for (int position = 0; menu.GetHandle() != nullptr && position < menu.GetMenuItemCount(); ++position) {
        if (menu.GetMenuItemID(position) == id)
            return position;
    }
    return -1;
}

}  // namespace

CRecentFiles::CRecentFiles(UINT maxEntries) : m_maxEntries(std::min(maxEntries, MAX_MRU)) {}

void CRecentFiles::Add(LPCSTR path) {
    assert(path);
    if (m_maxEntries == 0)
        return;
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [path](const CString& entry) { return entry.CompareNoCase(path) == 0; }),
                    m_entries.end());
    m_entries.insert(m_entries.begin(), CString(path));
    if (m_entries.size() > m_maxEntries)
        m_entries.resize(m_maxEntries);
}

void CRecentFiles::Append(const CString& path) {
    if (m_entries.size() < m_maxEntries)
        m_entries.push_back(path);
}

CString CRecentFiles::GetMenuText(size_t index) const {
    CString text;
    text.Format("%d ", static_cast<int>(index) + 1);
    text += m_entries.at(index);
    return text;
}

BOOL CRecentFiles::ShowInMenu(CMenu& menu) const {
    const int placeholder = PositionOf(menu, IDW_FILE_MRU_FILE1);
    if (placeholder < 0)
        return FALSE;
    for (UINT id = IDW_FILE_MRU_FILE1 + 1; id < IDW_FILE_MRU_FILE1 + MAX_MRU; ++id)
        menu.DeleteMenu(id, MF_BYCOMMAND);

    // The placeholder shows the first entry.
    if (m_entries.empty())
        return menu.EnableMenuItem(IDW_FILE_MRU_FILE1, MF_BYCOMMAND | MF_GRAYED) != static_cast<UINT>(-1);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const UINT id = IDW_FILE_MRU_FILE1 + static_cast<UINT>(i);
        const CString text = GetMenuText(i);
        const BOOL shown = i == 0 ? menu.ModifyMenu(id, MF_BYCOMMAND | MF_STRING | MF_ENABLED, id, text)
                                  : menu.InsertMenu(static_cast<UINT>(placeholder) + static_cast<UINT>(i),
                                                    MF_BYPOSITION | MF_STRING, id, text);
        if (!shown)
            return FALSE;
    }
    return TRUE;
}

}  // namespace Casement
