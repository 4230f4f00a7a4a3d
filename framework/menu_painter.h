// The frame's menus drawn in the colours of the visual style: the items of
// open popups, which it makes owner-drawn while they show, and the hot or
// pressed item of the menu bar. The colour sets of the styles live here too.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <vector>

#include "framework/cstring.h"
#include "framework/gdi.h"
#include "framework/menu.h"
#include "framework/menubar.h"

namespace Casement {

// The colours of the bars and of the menus the frame draws.
struct ThemeColours {
    COLORREF barBackground;
    COLORREF hot;      // the item under the mouse or the keyboard
    COLORREF pressed;  // the menu-bar item whose popup is open
    COLORREF outline;  // around hot and pressed items
    COLORREF text;
    COLORREF hotText;
};

// The colours of a visual style by its colour-scheme name; the system's
// colours for any other name, and without a style (an empty name).
ThemeColours ColoursOfTheme(const CString& colourSchemeName);

class CMenuPainter {
public:
    void SetColours(const ThemeColours& colours) { m_colours = colours; }
    const ThemeColours& GetColours() const { return m_colours; }
    // The font of the menu texts.
    void SetFont(const CFont& font) { m_font = font; }

    // From Windows XP on, which brought visual styles, takes over drawing the
    // popup's items until RestoreItems; items drawn already or showing a
    // bitmap stay as they are.
    void MakeOwnerDrawn(HMENU popup);
    // Gives a closing popup's items back their own type, data and text.
    void RestoreItems(HMENU popup);
    // Lets go of every item without touching the menus, whose windows are gone.
    void ForgetItems() { m_items.clear(); }

    // For WM_MEASUREITEM and WM_DRAWITEM: FALSE for an item this object does
    // not draw.
    BOOL MeasureItem(MEASUREITEMSTRUCT& measure) const;
    BOOL DrawItem(const DRAWITEMSTRUCT& draw) const;
    // The position in the popup of the drawn item whose mnemonic is the
    // character, in any case, or -1. Drawn items have no text the system
    // could search.
    int FindMnemonic(HMENU popup, char character) const;
    // The menu bar's custom-draw notification: hot and pressed items in the
    // style's colours, showing the texts of the bar's menu.
    LRESULT DrawMenuBarItem(NMTBCUSTOMDRAW& draw, const CMenuBar& menuBar, const CMenu& menu) const;

private:
    // An item of an open popup that is drawn here: what it had before.
    struct MenuItemData {
        HMENU menu;
        UINT position;
        UINT type;
        ULONG_PTR itemData;
        CString text;
    };

    const MenuItemData* FindMenuItemData(ULONG_PTR itemData) const;

    ThemeColours m_colours = {};
    CFont m_font;
    std::vector<std::unique_ptr<MenuItemData>> m_items;
};

}  // namespace Casement
