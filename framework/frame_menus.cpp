// The frame's menus: popups refreshed and drawn by the frame, mnemonics,
// the system menu, and Alt keys typed in a child given to the menu bar.
#include "framework/frame.h"
#include "framework/frame_support.h"
#include "framework/menu.h"

namespace Casement {

BOOL CFrame::OnMeasureItem(MEASUREITEMSTRUCT& measure) {
    return m_MenuPainter.MeasureItem(measure);
}

BOOL CFrame::OnDrawItem(const DRAWITEMSTRUCT& draw) {
    return m_MenuPainter.DrawItem(draw);
}

void CFrame::OnHelp() {
    ShowAboutDialog();
}

LRESULT CFrame::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (wParam & 0xFFF0) {
    case SC_KEYMENU:
        // Alt with a blank opens the system menu the usual way.
        if (lParam != ' ' && m_MenuBar.IsWindow()) {
            m_MenuBar.HandleKeyMenu(static_cast<char>(lParam));
            return 0;
        }
        break;
    case SC_MINIMIZE:
        RememberFocus();
        break;
    default:
        break;
    }
    return CallPreviousProc(msg, wParam, lParam);
}

void CFrame::OnInitMenuPopup(HMENU popup, BOOL isSystemMenu) {
    if (isSystemMenu)
        return;
    const CMenu menu(popup);
    for (int position = 0; position < menu.GetMenuItemCount(); ++position)
        SendMessageA(*this, UWM_UPDATECOMMAND, menu.GetMenuItemID(position), 0);
    m_MenuPainter.MakeOwnerDrawn(popup);
}

void CFrame::OnUninitMenuPopup(HMENU popup) {
    m_MenuPainter.RestoreItems(popup);
}

void CFrame::OnMenuSelect(UINT id, UINT flags, HMENU menu) {
    if (!m_bShowMenuStatus || !m_StatusBar.IsWindow())
        return;
    // A closed menu reports flags 0xFFFF, which include MF_POPUP.
    const bool isCommand = menu != m_Menu.GetHandle() && id != 0 && (flags & MF_POPUP) == 0;
    SetStatusText(isCommand ? LoadText(id) : m_strStatusText);
}

LRESULT CFrame::OnMenuChar(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int position =
        m_MenuPainter.FindMnemonic(reinterpret_cast<HMENU>(lParam), static_cast<char>(LOWORD(wParam)));
    if (position >= 0)
        return MAKELRESULT(position, MNC_EXECUTE);
    return CallPreviousProc(msg, wParam, lParam);
}

BOOL CFrame::FilterMessage(MSG& msg) {
    // Alt with a printable character typed in a child: on Windows the
    // child's default handling passes the SC_KEYMENU it makes up to the
    // frame, but Wine's opens the frame's system menu from the child
    // directly. Making the SC_KEYMENU here gives the menu bar the key on
    // both. Alt with a control key (Alt+Backspace undoes in edit controls)
    // and Alt+Space (the system menu) stay the child's.
    if (msg.message != WM_SYSCHAR || !m_MenuBar.IsWindow() || (HIWORD(msg.lParam) & KF_ALTDOWN) == 0)
        return FALSE;
    const char ch = static_cast<char>(msg.wParam);
    if (static_cast<BYTE>(ch) <= ' ' || ch == '\x7f' || (msg.hwnd != GetHwnd() && !IsChild(*this, msg.hwnd)))
        return FALSE;
    SendMessageA(*this, WM_SYSCOMMAND, SC_KEYMENU, static_cast<BYTE>(ch));
    return TRUE;
}

}  // namespace Casement
