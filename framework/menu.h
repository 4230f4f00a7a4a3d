// Menus. Every wrapper points to one shared record per menu handle,
// registered in the application's menu map; a menu that a wrapper created or
// loaded is destroyed, with its submenus, when the last reference goes.
#pragma once

#include <windows.h>

#include "framework/appcore.h"
#include "framework/cstring.h"
#include "framework/sharedhandle.h"

namespace Casement {

// The shared record of the wrappers of one menu.
struct MenuData {
    HMENU hMenu = nullptr;
    LONG count = 1;
    bool isOwned = false;  // a wrapper created or loaded it, so the last one destroys it
};

// A menu given to a window (SetMenu) must be taken back (SetMenu with null)
// before the window is destroyed, which destroys the window's menu itself.
class CMenu {
public:
    CMenu() = default;
    // Wraps a menu without taking it over.
    explicit CMenu(HMENU hMenu) { Attach(hMenu); }
    CMenu(const CMenu& other) : m_pData(Shared::Copy(other.m_pData)) {}
    CMenu& operator=(const CMenu& other) {
        Shared::Assign(m_pData, other.m_pData);
        return *this;
    }
    virtual ~CMenu() { Release(); }

    void Attach(HMENU hMenu) { Share(hMenu, false); }
    // Drops this wrapper's reference; the last reference destroys an owned menu.
    void Release() { Shared::Release(m_pData); }
    HMENU GetHandle() const { return m_pData != nullptr ? m_pData->hMenu : nullptr; }
    operator HMENU() const { return GetHandle(); }

    // Menu resource id from the application's resource handle; FALSE if absent.
    BOOL LoadFromResource(UINT id) {
        return TakeOver(::LoadMenuA(GetApp().GetResourceHandle(), MAKEINTRESOURCEA(id)));
    }
    BOOL CreateMenu() { return TakeOver(::CreateMenu()); }
    BOOL CreatePopupMenu() { return TakeOver(::CreatePopupMenu()); }

    // With MF_POPUP, idOrPopup is a menu that from then on belongs to this one:
    // its wrappers stop owning it, since this menu destroys it.
    BOOL AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, LPCSTR text = nullptr) {
        const BOOL done = ::AppendMenuA(GetHandle(), flags, idOrPopup, text);
        if (done)
            GiveAwayPopup(flags, idOrPopup);
        return done;
    }
    BOOL InsertMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, LPCSTR text = nullptr) {
        const BOOL done = ::InsertMenuA(GetHandle(), position, flags, idOrPopup, text);
        if (done)
            GiveAwayPopup(flags, idOrPopup);
        return done;
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR idOrPopup = 0, LPCSTR text = nullptr) {
        const BOOL done = ::ModifyMenuA(GetHandle(), position, flags, idOrPopup, text);
        if (done)
            GiveAwayPopup(flags, idOrPopup);
        return done;
    }
    // RemoveMenu leaves a popup alive; DeleteMenu destroys it.
    BOOL RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(GetHandle(), position, flags); }
    BOOL DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(GetHandle(), position, flags); }

    UINT EnableMenuItem(UINT idOrPosition, UINT enable) { return ::EnableMenuItem(GetHandle(), idOrPosition, enable); }
    DWORD CheckMenuItem(UINT idOrPosition, UINT check) { return ::CheckMenuItem(GetHandle(), idOrPosition, check); }
    UINT GetMenuState(UINT idOrPosition, UINT flags) const { return ::GetMenuState(GetHandle(), idOrPosition, flags); }
    int GetMenuItemCount() const { return ::GetMenuItemCount(GetHandle()); }
    UINT GetMenuItemID(int position) const { return ::GetMenuItemID(GetHandle(), position); }
    CString GetMenuString(UINT idOrPosition, UINT flags) const {
        CString text;
        const int length = ::GetMenuStringA(GetHandle(), idOrPosition, nullptr, 0, flags);
        if (length > 0) {
            const int copied = ::GetMenuStringA(GetHandle(), idOrPosition, text.GetBuffer(length), length + 1, flags);
            text.ReleaseBuffer(copied);
        }
        return text;
    }
    BOOL GetMenuItemInfo(UINT item, BOOL byPosition, MENUITEMINFOA& info) const {
        return ::GetMenuItemInfoA(GetHandle(), item, byPosition, &info);
    }
    BOOL SetMenuItemInfo(UINT item, BOOL byPosition, const MENUITEMINFOA& info) {
        return ::SetMenuItemInfoA(GetHandle(), item, byPosition, &info);
    }
    // The popup at position, wrapped without ownership: it belongs to this menu.
    CMenu GetSubMenu(int position) const {
        HMENU popup = ::GetSubMenu(GetHandle(), position);
        return popup != nullptr ? CMenu(popup) : CMenu();
    }
    BOOL TrackPopupMenuEx(UINT flags, int x, int y, HWND hWnd, LPTPMPARAMS params = nullptr) const {
        return ::TrackPopupMenuEx(GetHandle(), flags, x, y, hWnd, params);
    }

private:
    // The last reference destroys a menu a wrapper created or loaded.
    static void DestroyOwned(MenuData& data) {
        if (data.isOwned)
            ::DestroyMenu(data.hMenu);
    }
    using Shared = CSharedHandle<HMENU, MenuData, &MenuData::hMenu, &CWinApp::MenuMap, DestroyOwned>;

    void Share(HMENU hMenu, bool owned) { Shared::Share(m_pData, hMenu, owned); }
    BOOL TakeOver(HMENU created) {
        if (created == nullptr)
            return FALSE;
        Share(created, true);
        return TRUE;
    }
    static void GiveAwayPopup(UINT flags, UINT_PTR idOrPopup) {
        if ((flags & MF_POPUP) == 0)
            return;
        CHandleMap<HMENU, MenuData>& map = GetApp().MenuMap();
        CThreadLock guard(map.GetLock());
        if (MenuData* popup = map.Find(reinterpret_cast<HMENU>(idOrPopup)))
            popup->isOwned = false;
    }

    MenuData* m_pData = nullptr;
};

}  // namespace Casement
