#include "framework/menubar.h"

#include <windowsx.h>

#include <algorithm>
#include <cassert>

#include "framework/appcore.h"
#include "framework/menu.h"

namespace Casement {

namespace {

// Child, visible, clip siblings, list, flat, tooltips, no divider, no resize.
constexpr DWORD kMenuBarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_LIST | TBSTYLE_FLAT |
                                TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE;
static_assert(kMenuBarStyle == 0x54001944, "menu bar style");

// Owner-drawn menu items carry ODT_MENU; anything else is a control's.
bool IsMenuDrawing(UINT msg, LPARAM lParam) {
    if (msg == WM_DRAWITEM)
        return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType == ODT_MENU;
    return reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_MENU;
}

}  // namespace

void CMenuBar::AdjustCreateParams(CREATESTRUCTA& cs) {
    cs.style = kMenuBarStyle;
}

void CMenuBar::SetMenu(HMENU menu) {
    assert(IsWindow());
    m_hTopMenu = menu;
    DeleteAllButtons();
    // Text only: no room for images.
    SetBitmapSize(0, 0);
    const CMenu top(menu);
    for (int index = 0; index < top.GetMenuItemCount(); ++index)
        AddTextButton(static_cast<UINT>(index), top.GetMenuString(static_cast<UINT>(index), MF_BYPOSITION));
}

HWND CMenuBar::GetFrame() const {
    return GetAncestor(*this, GA_ROOT);
}

int CMenuBar::Wrap(int index) const {
    const int count = GetButtonCount();
    return count > 0 ? (index % count + count) % count : -1;
}

LRESULT CMenuBar::PassToFrame(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(GetFrame(), msg, wParam, lParam);
}

void CMenuBar::HandleKeyMenu(char key) {
    if (GetButtonCount() == 0)
        return;
    if (key == 0)
        EnterKeyboardMode(0);
    else
        OpenByMnemonic(key);
}

void CMenuBar::EnterKeyboardMode(int index) {
    if (!m_keyboardMode) {
        const HWND focus = GetFocus();
        m_hPrevFocus = focus != GetHwnd() ? focus : nullptr;
        m_keyboardMode = true;
        SetFocus(*this);
    }
    // Clicks anywhere come here, so one outside the bar ends the mode.
    SetCapture(*this);
    SetHotItem(index);
}

void CMenuBar::LeaveKeyboardMode(bool restoreFocus) {
    const HWND previous = m_hPrevFocus;
    const bool wasInKeyboardMode = m_keyboardMode;
    m_keyboardMode = false;
    m_hPrevFocus = nullptr;
    SetHotItem(-1);
    if (GetCapture() == GetHwnd())
        ReleaseCapture();
    if (wasInKeyboardMode && restoreFocus && ::IsWindow(previous))
        SetFocus(previous);
}

void CMenuBar::OnKeyboardModeKey(UINT key) {
    const int hot = GetHotItem() >= 0 ? GetHotItem() : 0;
    switch (key) {
    case VK_LEFT:
        SetHotItem(Wrap(hot - 1));
        break;
    case VK_RIGHT:
        SetHotItem(Wrap(hot + 1));
        break;
    case VK_RETURN:
    case VK_UP:
    case VK_DOWN:
        TrackPopups(hot, true);
        break;
    case VK_ESCAPE:
        LeaveKeyboardMode(true);
        break;
    case VK_SPACE:
        LeaveKeyboardMode(true);
        PostMessageA(GetFrame(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
        break;
    default:
        // Keys without a character (Shift, Ctrl, ...) are no mnemonics.
        if (const char ch = static_cast<char>(LOWORD(MapVirtualKeyA(key, MAPVK_VK_TO_CHAR))))
            OpenByMnemonic(ch);
        break;
    }
}

void CMenuBar::OpenByMnemonic(char ch) {
    UINT commandId = 0;
    if (MapAccelerator(ch, commandId))
        TrackPopups(CommandToIndex(commandId), true);
    else
        MessageBeep(0);
}

LRESULT CMenuBar::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int hit = HitTest(point);
    if (hit >= 0) {
        TrackPopups(hit, false);
        return 0;
    }
    if (m_keyboardMode) {
        LeaveKeyboardMode(true);
        return 0;
    }
    return CallPreviousProc(msg, wParam, lParam);
}

void CMenuBar::TrackPopups(int index, bool selectFirst) {
    while (index >= 0) {
        m_nextPopup = -1;
        TrackPopup(index, selectFirst);
        index = m_nextPopup;
        selectFirst = m_nextSelectFirst;
    }
    if (m_returnToKeyboardMode)
        EnterKeyboardMode(m_trackIndex);
    else
        LeaveKeyboardMode(true);
}

void CMenuBar::TrackPopup(int index, bool selectFirst) {
    m_trackIndex = index;
    m_returnToKeyboardMode = false;
    const HMENU popup = GetSubMenu(m_hTopMenu, index);
    if (popup == nullptr) {
        // A command item on the bar itself.
        PostMessageA(GetFrame(), WM_COMMAND, GetMenuItemID(m_hTopMenu, index), 0);
        return;
    }

    const UINT commandId = GetCommandId(index);
    RECT button = GetItemRect(index);
    MapWindowPoints(*this, nullptr, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS exclude = {};
    exclude.cbSize = sizeof exclude;
    exclude.rcExclude = button;

    m_hPopup = popup;
    m_openMenus.clear();
    m_hSelectedMenu = nullptr;
    m_selectedFlags = 0;
    SetHotItem(-1);
    PressButton(commandId, TRUE);
    // The popup's loop takes the mouse itself.
    if (GetCapture() == GetHwnd())
        ReleaseCapture();
    InstallMessageHook();
    // Opened from the keyboard, a popup starts with its first item selected,
    // as the system's menu bar does: the popup's loop reads this key first.
    if (selectFirst)
        PostMessageA(*this, WM_KEYDOWN, VK_DOWN, 0);
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, button.left,
                     button.bottom, *this, &exclude);
    RemoveMessageHook();
    m_hPopup = nullptr;
    PressButton(commandId, FALSE);
}

void CMenuBar::SwitchPopup(int index, bool selectFirst) {
    m_nextPopup = index;
    m_nextSelectFirst = selectFirst;
    EndMenu();
}

void CMenuBar::InstallMessageHook() {
    TLSData* pTLSData = GetApp().GetThreadRecord();
    pTLSData->pMenuBar = this;
    if (pTLSData->hMsgHook != nullptr)
        UnhookWindowsHookEx(pTLSData->hMsgHook);
    pTLSData->hMsgHook = SetWindowsHookExA(WH_MSGFILTER, StaticMessageHook, nullptr, GetCurrentThreadId());
}

void CMenuBar::RemoveMessageHook() {
    TLSData* pTLSData = GetApp().GetThreadRecord();
    if (pTLSData->hMsgHook != nullptr)
        UnhookWindowsHookEx(pTLSData->hMsgHook);
    pTLSData->hMsgHook = nullptr;
    pTLSData->pMenuBar = nullptr;
}

LRESULT CALLBACK CMenuBar::StaticMessageHook(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = nullptr;
    try {
        TLSData* pTLSData = GetApp().GetThreadRecord();
        hook = pTLSData->hMsgHook;
        CMenuBar* bar = pTLSData->pMenuBar;
        if (code == MSGF_MENU && bar != nullptr && bar->OnMenuInput(*reinterpret_cast<const MSG*>(lParam)))
            return TRUE;
    } catch (...) {
        KeepPendingException();
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

bool CMenuBar::OnMenuInput(const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
        return OnMenuKey(static_cast<UINT>(msg.wParam));
    case WM_MOUSEMOVE:
        return OnMenuMouseMove(msg.pt);
    default:
        return false;
    }
}

bool CMenuBar::OnMenuKey(UINT key) {
    // Inside a submenu these keys belong to the system's menu handling.
    const bool topPopupActive = m_hSelectedMenu == nullptr || m_hSelectedMenu == m_hPopup;
    if (!topPopupActive)
        return false;
    switch (key) {
    case VK_ESCAPE:
        m_returnToKeyboardMode = true;
        EndMenu();
        return true;
    case VK_LEFT:
        SwitchPopup(Wrap(m_trackIndex - 1), true);
        return true;
    case VK_RIGHT:
        // Right on an item with a submenu opens the submenu.
        if (m_selectedFlags & MF_POPUP)
            return false;
        SwitchPopup(Wrap(m_trackIndex + 1), true);
        return true;
    default:
        return false;
    }
}

bool CMenuBar::OnMenuMouseMove(POINT screenPoint) {
    POINT point = screenPoint;
    ScreenToClient(*this, &point);
    const int hit = HitTest(point);
    if (hit < 0 || hit == m_trackIndex)
        return false;
    SwitchPopup(hit, false);
    return true;
}

void CMenuBar::OnPopupOpened(HMENU menu) {
    if (std::find(m_openMenus.begin(), m_openMenus.end(), menu) == m_openMenus.end())
        m_openMenus.push_back(menu);
}

void CMenuBar::OnPopupClosed(HMENU menu) {
    m_openMenus.erase(std::remove(m_openMenus.begin(), m_openMenus.end(), menu), m_openMenus.end());
    // Closing a submenu (Left, Escape) moves the selection back to the item
    // that opened it, without a WM_MENUSELECT on every system.
    if (menu == m_hSelectedMenu && !m_openMenus.empty()) {
        m_hSelectedMenu = m_openMenus.back();
        m_selectedFlags = MF_POPUP;
    }
}

LRESULT CMenuBar::DefaultProcedure(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        if (!m_keyboardMode)
            break;
        OnKeyboardModeKey(static_cast<UINT>(wParam));
        return 0;
    case WM_CHAR:
        if (m_keyboardMode)
            return 0;
        break;
    case WM_SYSKEYDOWN:
        // Alt or F10 again ends keyboard mode, as on the system's menu bar.
        if (m_keyboardMode && (wParam == VK_MENU || wParam == VK_F10)) {
            LeaveKeyboardMode(true);
            return 0;
        }
        break;
    case WM_MOUSEMOVE:
        // With the mouse captured, the bar's own hot tracking would take the
        // hot item away from the keyboard.
        if (m_keyboardMode)
            return 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return OnLButtonDown(msg, wParam, lParam);
    case WM_KILLFOCUS:
        if (m_keyboardMode && m_hPopup == nullptr)
            LeaveKeyboardMode(false);
        break;
    case WM_MENUSELECT:
        m_hSelectedMenu = reinterpret_cast<HMENU>(lParam);
        m_selectedFlags = HIWORD(wParam);
        return PassToFrame(msg, wParam, lParam);
    case WM_INITMENUPOPUP:
        OnPopupOpened(reinterpret_cast<HMENU>(wParam));
        return PassToFrame(msg, wParam, lParam);
    case WM_UNINITMENUPOPUP:
        OnPopupClosed(reinterpret_cast<HMENU>(wParam));
        return PassToFrame(msg, wParam, lParam);
    case WM_MENUCHAR:
    case WM_MENURBUTTONUP:
        return PassToFrame(msg, wParam, lParam);
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
        if (IsMenuDrawing(msg, lParam))
            return PassToFrame(msg, wParam, lParam);
        break;
    case WM_COMMAND:
        // A command chosen in a popup (controls report with their handle).
        if (lParam == 0)
            return PassToFrame(msg, wParam, lParam);
        break;
    default:
        break;
    }
    return CToolBar::DefaultProcedure(msg, wParam, lParam);
}

}  // namespace Casement
