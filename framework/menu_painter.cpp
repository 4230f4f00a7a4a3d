#include "framework/menu_painter.h"

#include <algorithm>

namespace Casement {

namespace {

// The colour sets of the visual styles, by colour-scheme name.
struct ColourScheme {
    const char* name;
    ThemeColours colours;
};
constexpr COLORREF kBlack = RGB(0, 0, 0);
const ColourScheme kColourSchemes[] = {
    {"NormalColor",
     {RGB(196, 215, 250), RGB(255, 238, 194), RGB(254, 197, 120), RGB(0, 45, 150), kBlack, kBlack}},
    {"Metallic",
     {RGB(219, 220, 232), RGB(255, 238, 194), RGB(254, 197, 120), RGB(75, 75, 111), kBlack, kBlack}},
    {"HomeStead",
     {RGB(217, 217, 167), RGB(255, 238, 194), RGB(254, 197, 120), RGB(63, 93, 56), kBlack, kBlack}},
};

// Without a visual style the bars and menus use the system's colours.
ThemeColours SystemColours() {
    return {GetSysColor(COLOR_BTNFACE),   GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_HIGHLIGHT),
            GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_MENUTEXT),  GetSysColor(COLOR_HIGHLIGHTTEXT)};
}

// Drawn menus in the colours of the visual style: from Windows XP (5.01),
// which brought visual styles.
bool SystemWantsDrawnMenus() {
    const DWORD version = GetVersion();
    return LOBYTE(LOWORD(version)) * 100 + HIBYTE(LOWORD(version)) >= 501;
}

// The character after the first single "&" of a menu text, or 0.
char MnemonicOf(const CString& text) {
    for (int i = 0; i + 1 < text.GetLength(); ++i) {
        if (text[i] == '&') {
            if (text[i + 1] != '&')
                return text[i + 1];
            ++i;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(text[i]))) {
            ++i;
        }
    }
    return 0;
}

char UpperCase(char ch) {
    return static_cast<char>(reinterpret_cast<UINT_PTR>(
        CharUpperA(reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(static_cast<BYTE>(ch))))));
}

// A menu text is the label, then after a tab the shortcut shown on the right.
struct MenuText {
    CString label;
    CString shortcut;
};
MenuText SplitMenuText(const CString& text) {
    const int tab = text.Find('\t');
    if (tab < 0)
        return {text, CString()};
    return {text.Left(tab), text.Mid(tab + 1)};
}

constexpr int kMenuTextMargin = 4;
constexpr int kMenuShortcutGap = 24;

}  // namespace

ThemeColours ColoursOfTheme(const CString& colourSchemeName) {
    for (const ColourScheme& scheme : kColourSchemes) {
        if (colourSchemeName == scheme.name)
            return scheme.colours;
    }
    return SystemColours();
}

void CMenuPainter::MakeOwnerDrawn(HMENU popup) {
    if (!SystemWantsDrawnMenus())
        return;
    CMenu menu(popup);
    for (int position = 0; position < menu.GetMenuItemCount(); ++position) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        const UINT byPosition = static_cast<UINT>(position);
        if (!menu.GetMenuItemInfo(byPosition, TRUE, info) || (info.fType & (MFT_OWNERDRAW | MFT_BITMAP)) != 0)
            continue;
        auto item = std::make_unique<MenuItemData>();
        item->menu = popup;
        item->position = byPosition;
        item->type = info.fType;
        item->itemData = info.dwItemData;
        item->text = menu.GetMenuString(byPosition, MF_BYPOSITION);

        MENUITEMINFOA drawn = {};
        drawn.cbSize = sizeof drawn;
        drawn.fMask = MIIM_FTYPE | MIIM_DATA;
        drawn.fType = info.fType | MFT_OWNERDRAW;
        drawn.dwItemData = reinterpret_cast<ULONG_PTR>(item.get());
        if (menu.SetMenuItemInfo(byPosition, TRUE, drawn))
            m_items.push_back(std::move(item));
    }
}

void CMenuPainter::RestoreItems(HMENU popup) {
    CMenu menu(popup);
    for (const auto& item : m_items) {
        if (item->menu != popup)
            continue;
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType = item->type;
        info.dwItemData = item->itemData;
        if ((item->type & MFT_SEPARATOR) == 0) {
            info.fMask |= MIIM_STRING;
            info.dwTypeData = const_cast<LPSTR>(item->text.c_str());
        }
        menu.SetMenuItemInfo(item->position, TRUE, info);
    }
    m_items.erase(std::remove_if(m_items.begin(), m_items.end(),
                                 [popup](const auto& item) { return item->menu == popup; }),
                  m_items.end());
}

const CMenuPainter::MenuItemData* CMenuPainter::FindMenuItemData(ULONG_PTR itemData) const {
    for (const auto& item : m_items) {
        if (reinterpret_cast<ULONG_PTR>(item.get()) == itemData)
            return item.get();
    }
    return nullptr;
}

BOOL CMenuPainter::MeasureItem(MEASUREITEMSTRUCT& measure) const {
    const MenuItemData* item = measure.CtlType == ODT_MENU ? FindMenuItemData(measure.itemData) : nullptr;
    if (item == nullptr)
        return FALSE;
    if (item->type & MFT_SEPARATOR) {
        measure.itemWidth = 0;
        measure.itemHeight = static_cast<UINT>(GetSystemMetrics(SM_CYMENU) / 2);
        return TRUE;
    }
    CClientDC dc(nullptr);
    dc.SelectObject(m_font);
    const MenuText text = SplitMenuText(item->text);
    RECT label = {};
    dc.DrawText(text.label, -1, label, DT_CALCRECT | DT_SINGLELINE);
    RECT shortcut = {};
    if (!text.shortcut.IsEmpty())
        dc.DrawText(text.shortcut, -1, shortcut, DT_CALCRECT | DT_SINGLELINE);
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    const int shortcutWidth = shortcut.right > 0 ? kMenuShortcutGap + shortcut.right : 0;
    measure.itemWidth = static_cast<UINT>(checkWidth + 2 * kMenuTextMargin + label.right + shortcutWidth);
    measure.itemHeight = static_cast<UINT>(std::max<int>(label.bottom + 4, GetSystemMetrics(SM_CYMENU)));
    return TRUE;
}

BOOL CMenuPainter::DrawItem(const DRAWITEMSTRUCT& draw) const {
    const MenuItemData* item = draw.CtlType == ODT_MENU ? FindMenuItemData(draw.itemData) : nullptr;
    if (item == nullptr)
        return FALSE;
    CDC dc(draw.hDC);
    RECT rect = draw.rcItem;
    const bool selected = (draw.itemState & ODS_SELECTED) != 0 && (item->type & MFT_SEPARATOR) == 0;
    dc.FillRect(rect, selected ? CBrush(m_colours.hot) : CBrush(GetSysColor(COLOR_MENU)));
    if (item->type & MFT_SEPARATOR) {
        rect.top += (rect.bottom - rect.top) / 2;
        dc.DrawEdge(rect, EDGE_ETCHED, BF_TOP);
        return TRUE;
    }
    if (selected)
        FrameRect(dc, &rect, CBrush(m_colours.outline));

    dc.SetBkMode(TRANSPARENT);
    const bool disabled = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    dc.SetTextColor(disabled   ? GetSysColor(COLOR_GRAYTEXT)
                    : selected ? m_colours.hotText
                               : GetSysColor(COLOR_MENUTEXT));
    const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    if (draw.itemState & ODS_CHECKED) {
        // Marlett's "a" is a check mark, its "h" a radio bullet.
        CFont marks;
        marks.CreateFont(rect.bottom - rect.top - 4, 0, 0, 0, FW_NORMAL, 0, 0, 0, SYMBOL_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Marlett");
        dc.SelectObject(marks);
        RECT markRect = {rect.left + kMenuTextMargin / 2, rect.top, rect.left + checkWidth + kMenuTextMargin,
                         rect.bottom};
        dc.DrawText((item->type & MFT_RADIOCHECK) ? "h" : "a", 1, markRect,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    dc.SelectObject(m_font);
    RECT textRect = {rect.left + checkWidth + kMenuTextMargin, rect.top, rect.right - kMenuTextMargin,
                     rect.bottom};
    const UINT prefix = (draw.itemState & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
    const MenuText text = SplitMenuText(item->text);
    dc.DrawText(text.label, -1, textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | prefix);
    if (!text.shortcut.IsEmpty())
        dc.DrawText(text.shortcut, -1, textRect, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    return TRUE;
}

int CMenuPainter::FindMnemonic(HMENU popup, char character) const {
    const char key = UpperCase(character);
    for (const auto& item : m_items) {
        if (item->menu == popup && UpperCase(MnemonicOf(item->text)) == key && key != 0)
            return static_cast<int>(item->position);
    }
    return -1;
}

LRESULT CMenuPainter::DrawMenuBarItem(NMTBCUSTOMDRAW& draw, const CMenuBar& menuBar,
                                      const CMenu& menu) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    const UINT state = draw.nmcd.uItemState;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || (state & (CDIS_HOT | CDIS_SELECTED)) == 0)
        return CDRF_DODEFAULT;

    CDC dc(draw.nmcd.hdc);
    RECT rect = draw.nmcd.rc;
    dc.FillRect(rect, CBrush((state & CDIS_SELECTED) ? m_colours.pressed : m_colours.hot));
    FrameRect(dc, &rect, CBrush(m_colours.outline));
    dc.SelectObject(m_font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(m_colours.hotText);
    const int index = menuBar.CommandToIndex(static_cast<UINT>(draw.nmcd.dwItemSpec));
    const CString text = menu.GetMenuString(static_cast<UINT>(index), MF_BYPOSITION);
    const UINT prefix = menuBar.IsInKeyboardMode() ? 0 : DT_HIDEPREFIX;
    dc.DrawText(text, -1, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
    return CDRF_SKIPDEFAULT;
}

}  // namespace Casement
