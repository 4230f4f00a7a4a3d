// The recent-files list: paths, most recent first, at most a set number of
// them, and the menu items that show them.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/cstring.h"
#include "framework/menu.h"

namespace Casement {

// A menu that shows the list holds an item with this id where the entries go;
// entry n has id IDW_FILE_MRU_FILE1 + n - 1.
constexpr UINT IDW_FILE_MRU_FILE1 = 0x7000;
constexpr UINT MAX_MRU = 16;

class CRecentFiles {
public:
    // Holds at most maxEntries paths, and never more than MAX_MRU.
    explicit CRecentFiles(UINT maxEntries = 0);

    UINT GetMaxEntries() const { return m_maxEntries; }
    const std::vector<CString>& GetEntries() const { return m_entries; }

    // Puts a path first. The same path, in any case, moves up instead of
    // appearing twice; past the limit the oldest entry drops off.
    void Add(LPCSTR path);
    // Puts a path last, as a stored list is read back; a full list takes no more.
    void Append(const CString& path);
    // What the menu shows for an entry: its number from 1, a blank, the path.
    CString GetMenuText(size_t index) const;
    // Shows the entries from the IDW_FILE_MRU_FILE1 item of the menu on,
    // replacing the entries shown before; without entries that item stays,
    // grayed. FALSE when the menu has no such item or one could not be set.
    BOOL ShowInMenu(CMenu& menu) const;

private:
    UINT m_maxEntries;
    std::vector<CString> m_entries;
};

}  // namespace Casement
